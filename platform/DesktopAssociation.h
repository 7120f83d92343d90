#pragma once
// Which program the desktop opens a kind of file with. Linux desktops record this in
// `mimeapps.list` files and desktop entries under the XDG base folders; this is our own
// reading of those files, so it behaves the same on every desktop and needs no helper
// program.

#include "platform/Process.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// The XDG base folders, most important first within each list.
struct XdgFolders {
    QString configHome;
    QStringList configDirs;
    QString dataHome;
    QStringList dataDirs;
    QStringList desktops; // XDG_CURRENT_DESKTOP, lower case, for "<desktop>-mimeapps.list"

    // From XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and
    // XDG_CURRENT_DESKTOP, with the standard defaults for unset variables.
    static XdgFolders fromEnvironment();
};

// One application's desktop entry.
struct DesktopEntry {
    QString id;       // "lazarus.desktop"; "kde-foo.desktop" for applications/kde/foo.desktop
    QString filePath;
    QString name;
    QString exec;     // the Exec value with the general escapes (\s, \\ ...) resolved
};

// Reads one desktop entry; nullopt when the file is not an installed application
// (unreadable, not Type=Application, Hidden=true, or a TryExec program that is missing).
std::optional<DesktopEntry> readDesktopEntry(const QString& filePath, const QString& id);

// The desktop's default application for the first of `mimeTypes` that has one: the
// [Default Applications] of the mimeapps.list files, then their [Added Associations],
// then any application whose desktop entry lists the type, minus [Removed Associations].
std::optional<DesktopEntry> defaultApplication(const QStringList& mimeTypes, const XdgFolders& folders);

// The MIME types under which files with this extension (without the dot) are associated:
// the type the MIME database gives a file name with the extension, and its aliases. The
// database does not know every extension of Delphi projects, so "dpr" also stands for
// Pascal source.
QStringList associationTypesForExtension(const QString& extension);

// The Exec line of the default application for files with this extension; nullopt when
// no application is associated.
std::optional<QString> associatedCommand(const QString& extension,
                                         const XdgFolders& folders = XdgFolders::fromEnvironment());

// The command that opens `file` with an application whose Exec line is `exec`: quoting
// and field codes (%f %F %u %U %k %%) resolved; the file is appended when the line names
// none. nullopt for an empty or badly quoted line, or one whose program is a field code.
std::optional<CommandLine> execCommandLine(const QString& exec, const QString& file,
                                           const QString& desktopFile = QString());

// The command that opens `file` with the default application for its extension: the
// application's Exec line with its field codes, quoting and arguments, the file as one
// argument, and the program found (on PATH for a bare name). nullopt when no application
// is associated or its program cannot be started.
std::optional<CommandLine> associatedCommandLine(const QString& file,
                                                 const XdgFolders& folders = XdgFolders::fromEnvironment());

// The program that shows folders, as an existing executable path: the program of the
// default application for inode/directory, else the first of the common file managers
// found on PATH; empty when there is none.
QString proposedFileManager(const XdgFolders& folders = XdgFolders::fromEnvironment());

} // namespace platform
