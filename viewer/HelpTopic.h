#pragma once
// Where the program's help file lies; platform/Help.h opens it.

#include <QString>

namespace viewer {

// The help file beside the executable, whether or not it exists.
QString helpFilePath();

} // namespace viewer
