#pragma once
// Where the program keeps its files. A portable copy keeps kbl.ini, projects.dat,
// hotlist.dat and kbl.hlp beside its executable. An installed copy (its folder not
// writable, such as /usr/local/bin, and no kbl.ini there) keeps kbl.ini in
// $XDG_CONFIG_HOME/kestrabel/ and the lists in $XDG_DATA_HOME/kestrabel/, and finds its
// help file in the share/kestrabel/ folder of its installation. Tests point the
// executable's folder at a temporary folder instead.

#include <QString>

namespace program {

// The folder of the running executable, with a trailing separator.
QString folder();

// Full path of the running executable.
QString executablePath();

// Makes folder() return `path` (tests); an empty path restores the executable's folder.
void setFolderOverride(const QString& path);

// The folders in use for one start of the program, each with a trailing separator.
struct Locations {
    bool portable = true;
    QString settingsFolder; // kbl.ini
    QString dataFolder;     // projects.dat, hotlist.dat
    QString helpFile;       // kbl.hlp; empty when there is none

    QString settingsFile() const;
    QString listFile(const QString& name) const;
};

// Decides where the files live now: beside the executable when its folder already holds
// kbl.ini or new files can be created there, else the user's XDG folders (their
// standard defaults when the variables are unset). Creates nothing.
Locations locate();

// The help file kbl.hlp beside the executable, else in the share/kestrabel/ folder of an
// installation; empty when there is none.
QString helpFile();

// Creates the folder of `file` when it is missing: the XDG folders are made on the first
// write, not on a read. False when it cannot be made.
bool makeFolderFor(const QString& file);

} // namespace program
