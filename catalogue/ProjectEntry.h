#pragma once
// One row of the main list or the hotlist. The project path is relative to the root the
// entry was made under; every user joins it to the current root.

#include <QString>

struct ProjectEntry {
    QString applicationName;
    QString executableName; // file name beside the project, or empty
    QString projectPath;    // root text cut from the project file's full path
    int image = 0;          // 0 main list, 1 hotlist

    friend bool operator==(const ProjectEntry&, const ProjectEntry&) = default;
};

namespace listimage {
inline constexpr int MainList = 0;
inline constexpr int Hotlist = 1;
inline constexpr int File = 2;
} // namespace listimage
