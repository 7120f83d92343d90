#pragma once
// Where the program's help file lies; platform/Help.h opens it.

#include <QString>

namespace viewer {

// The help file beside the executable or in its installation's share/kestrabel/ folder;
// the one beside the executable when neither exists.
QString helpFilePath();

} // namespace viewer
