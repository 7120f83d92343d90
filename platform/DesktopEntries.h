#pragma once
// The desktop's own answers to "which program opens this?" and "where is the user's
// folder for that?", read from the XDG files (mimeapps.list, desktop entries,
// user-dirs.dirs) the way the desktop itself reads them. No program is started.

#include <QString>
#include <QStringList>

namespace platform {

// The configuration and data folders searched, most important first (XDG_CONFIG_HOME,
// XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS with their standard defaults).
QStringList xdgConfigDirs();
QStringList xdgDataDirs();

// The desktop-entry id (such as "org.gnome.Nautilus.desktop") of the default application
// for a MIME type, from the mimeapps.list files; empty when none is set or installed.
QString defaultApplicationFor(const QString& mimeType);

// The Exec line of an installed desktop entry; empty when it is not found.
QString desktopEntryExec(const QString& desktopId);

// The program an Exec line starts, as an existing path: its first word, looked up on PATH
// when it is a bare name; empty when it does not name an executable file.
QString programOfExecLine(const QString& execLine);

// A folder of user-dirs.dirs ("TEMPLATES", "PUBLICSHARE", ...) with $HOME expanded; empty
// when the file does not name it.
QString xdgUserDir(const QString& name);

// The program that shows folders: the default application for inode/directory, else the
// first of the common file managers found on PATH; empty when there is none.
QString proposedFileManager();

} // namespace platform
