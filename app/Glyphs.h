#pragma once
// The program's own pictures: the seven 32 × 32 tool-button glyphs and the 14 × 15 row
// markers of the lists.

#include <QIcon>
#include <QList>

namespace glyphs {

enum class Tool { SetRoot, Scan, Options, RunProject, RunExe, OpenFolder, ViewFile };

QIcon toolGlyph(Tool tool);

// Index 0 main-list row, 1 hotlist row, 2 file row.
QList<QIcon> rowImages();

} // namespace glyphs
