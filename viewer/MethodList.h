#pragma once
// The method jumper's row order and its jump into the viewer's text.

#include "viewer/DeclarationScanner.h"
#include "viewer/MemoAccess.h"

class QTreeWidgetItem;

namespace viewer {

// Column 0: captions, locale-aware and without regard to case; column 1: the line numbers
// as integers; other columns: equal. Negated when not ascending. Returns -1, 0 or 1.
int CompareMethodItems(const QTreeWidgetItem& row1, const QTreeWidgetItem& row2, int column, bool ascending);
// The same order for the scanner's entries, before they become rows.
int CompareMethodEntries(const MethodEntry& entry1, const MethodEntry& entry2, int column, bool ascending);

// Puts file line `line` fifteen display lines below the top of the view, or on the lowest
// row that shows it whole when the view holds fewer lines (the view at its first line
// when the line is nearer the top), and selects the whole line.
void jumpToLine(MemoAccess& memo, int line);

// How far below the top of the view a jump places its line.
inline constexpr int JumpLinesBelowTop = 15;

} // namespace viewer
