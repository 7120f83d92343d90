#pragma once
// The method jumper's three 16 × 16 row images.

#include <QIcon>
#include <QList>

namespace viewer {

// Index 0 procedure, 1 function, 2 section marker.
QList<QIcon> methodImages();

} // namespace viewer
