#pragma once
// The file system by path. File names are bytes on Linux; every path the program holds
// is text that may carry undecodable bytes as escaped code units (FileNames.h). Qt's file
// classes would replace those bytes, so every path meets the file system here, through
// fileNameToBytes(), and every name read from a folder comes back through
// fileNameFromBytes(): a project in a Big5-named folder opens again after a restart.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <vector>

namespace platform {

enum class FileKind { Missing, Folder, File, Other };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    qint64 size = 0;
    qint64 modifiedMs = 0; // milliseconds since the epoch (UTC)
    bool writable = false;   // this user may write it
    bool executable = false; // a regular file this user may execute
    bool readOnlyMode = false; // no write bit at all (protected even from root)

    bool exists() const { return kind != FileKind::Missing; }
    bool isFolder() const { return kind == FileKind::Folder; }
    bool isFile() const { return kind == FileKind::File; }
};

// What `path` names, links followed; Missing when nothing (or a dangling link).
FileStatus fileStatus(const QString& path);

bool pathExists(const QString& path);
bool isFolder(const QString& path);

// True when `path` names an existing regular file (a folder does not count).
bool isExistingFile(const QString& path);

// True when `path` names an existing regular file that this user may execute.
bool isExecutableFile(const QString& path);

// The whole of a regular file. A folder, pipe or device is refused without blocking
// (reading a pipe would wait for a writer forever).
struct FileRead {
    enum class Outcome { Read, Missing, NotAFile, Failed };
    Outcome outcome = Outcome::Failed;
    QByteArray bytes;
    QString errorText; // the system's reason when not Read

    explicit operator bool() const { return outcome == Outcome::Read; }
};
FileRead readFile(const QString& path);

// One entry of a folder listing.
struct FolderEntry {
    QString name;
    FileKind kind = FileKind::Missing; // links followed; Missing for a dangling link
};

// The entries of `folder` in the order the file system lists them ("." and ".." left
// out); nullopt when it cannot be listed.
std::optional<std::vector<FolderEntry>> listFolder(const QString& folder);

// True when a new file can be made in `folder`: tried, not guessed from permission bits,
// which say nothing for root or a read-only mount.
bool canCreateFilesIn(const QString& folder);

// Creates `folder` and the folders above it that are missing (mode 0700 for new ones,
// as the XDG folders want); true when it exists afterwards.
bool makeFolders(const QString& folder);

// The canonical path with every link resolved; empty when it does not exist.
QString resolvedPath(const QString& path);

// The running executable's full path, its bytes kept.
QString executableFilePath();

// The file: URL of a path, its bytes percent-encoded as they are.
QUrl fileUrl(const QString& path);

// A path or name as the user should read it: undecodable bytes are shown in the
// locale's ANSI code page instead of as escapes. Only for display; never open the result.
QString displayName(const QString& name);

} // namespace platform
