#pragma once
// Drawing a list cell whose text a filter matched: the matched characters bold, the rest
// as the list draws its texts, cut with an ellipsis when the cell is too narrow. Used by
// the method jumper and the main window's project lists.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

#include <vector>

class QPainter;
class QStyleOptionViewItem;

namespace viewer {

// `bold`: ascending indexes into `text`.
void drawMatchedText(QPainter& painter, const QRect& rect, Qt::Alignment alignment, const QString& text,
                     const std::vector<int>& bold, const QFont& font, const QColor& color);

// Draws an item-view cell (as the style would: background, selection, icon) with its
// text drawn by drawMatchedText. `option` is the cell's option after initStyleOption.
void drawMatchedCell(QPainter& painter, const QStyleOptionViewItem& option, const std::vector<int>& bold);

} // namespace viewer
