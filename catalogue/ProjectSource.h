#pragma once
// Reading a Delphi project file for the two texts of its list entry: the application name
// and the executable beside it. Both functions only read the file system, keep no state
// and may run on any thread. Neither reports an error: what cannot be read gives "".

#include <QString>

// The application title of the last "Application.Title := '" line, else the program
// name of a first line "program Name;", else empty. Lines end at CR LF, CR or LF; a
// Ctrl-Z byte ends the text. The file is streamed, so its size costs time, not memory;
// of an over-long line only the first MaxProjectLineBytes bytes are looked at.
QString ReadApplicationName(const QString& projectFile);

// The executable beside the project under the project's base name: base + ".exe", else
// base + ".scr", else the bare base name when it is an executable file (what Free Pascal
// builds on Linux); the file name alone, spelt as the project file is; else empty.
QString FindExecutableName(const QString& projectFile);

// The program name of a first line "program Name;" (lines end at CR LF, CR or LF), else
// empty: the name of a program file without an application title.
QString ReadProgramName(const QString& programFile);

// The executable that `base` (a path without extension) stands for, by the rules of
// FindExecutableName: base + ".exe", base + ".scr", or base itself when it is an
// executable file; the part of its path after `folder` (a folder with its separator),
// else empty.
QString ExecutableNameFor(const QString& folder, const QString& base);

// A project of either kind as its list entry's two texts: a Lazarus project (.lpi) by
// its own rules, any other file as a Delphi project.
struct ProjectTexts {
    QString applicationName;
    QString executableName;

    bool operator==(const ProjectTexts&) const = default;
};
ProjectTexts ReadProjectTexts(const QString& projectFile);

namespace platform {
class FolderHandle;
class FolderEntries;
} // namespace platform

// The same two texts of the Delphi project `name` in an open folder, as a scan's walk has
// it: the project is read through the folder. When the folder's entries are known, of
// the executable names only one they cannot settle (a link, a bare name's mode) is asked
// of the file system.
ProjectTexts ReadProjectTexts(const platform::FolderHandle& folder, const platform::FolderEntries* entries,
                              const char* name);

// Whether the file is a Lazarus project, by its extension (any letter case).
bool isLazarusProject(const QString& projectFile);

inline constexpr qsizetype MaxProjectLineBytes = 64 * 1024;
