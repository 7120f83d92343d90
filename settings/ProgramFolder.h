#pragma once
// The folder of the running executable, where kbl.ini, projects.dat, hotlist.dat and
// kbl.hlp live. Tests point it at a temporary folder instead.

#include <QString>

namespace program {

// The folder with a trailing separator.
QString folder();

// Full path of the running executable.
QString executablePath();

// Makes folder() return `path` (tests); an empty path restores the executable's folder.
void setFolderOverride(const QString& path);

} // namespace program
