#pragma once
// Whether a project's executable is up to date with its sources: missing, older than the
// newest source file of the project's folder, or current. Only reads the file system and
// keeps no state, so it may run on any thread.

#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

namespace catalogue {

enum class BuildState { Missing, Stale, Current };

struct BuildMark {
    BuildState state = BuildState::Missing;
    qint64 executableMs = 0;   // last-write time, ms since the epoch; 0 when missing
    qint64 newestSourceMs = 0; // of the folder's newest source; 0 when it has none
    bool projectExists = false;

    friend bool operator==(const BuildMark&, const BuildMark&) = default;
};

// Whether a file name is a source that a build reads: .dpr, .pas, .dfm, .inc, .lpr,
// .lfm, .lpi, .res, in any letter case.
bool isBuildSource(QByteArrayView name);

// The last-write time of the newest source lying directly in `folder`; 0 when it has
// none or cannot be listed.
qint64 newestSourceMs(const QString& folder);

// An executable written at or after the newest source is current; a missing one is
// missing whatever the sources say.
BuildState compareBuild(qint64 executableMs, bool executableExists, qint64 newestSourceMs);

// The mark of a row: its project file and the executable its Exe column names (relative
// to the project's folder; empty when the project has none). One folder listing.
BuildMark buildMarkOf(const QString& projectFile, const QString& executableName);
// The same with the newest source of the project's folder already known.
BuildMark buildMarkOf(const QString& projectFile, const QString& executableName, qint64 newestSourceMs);

// The folder part of a project file's path, with its separator.
QString projectFolderOf(const QString& projectFile);

} // namespace catalogue
