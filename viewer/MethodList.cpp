#include "viewer/MethodList.h"

#include <QCollator>
#include <QTreeWidgetItem>

#include <algorithm>

namespace viewer {

namespace {

int compareNames(const QString& a, const QString& b)
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    const int order = collator.compare(a, b);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

int compareLines(int a, int b) { return a < b ? -1 : a > b ? 1 : 0; }

int directed(int result, bool ascending) { return ascending ? result : -result; }

} // namespace

int CompareMethodItems(const QTreeWidgetItem& row1, const QTreeWidgetItem& row2, int column, bool ascending)
{
    if (column == 0)
        return directed(compareNames(row1.text(0), row2.text(0)), ascending);
    if (column == 1)
        return directed(compareLines(row1.text(1).toInt(), row2.text(1).toInt()), ascending);
    return 0;
}

int CompareMethodEntries(const MethodEntry& entry1, const MethodEntry& entry2, int column, bool ascending)
{
    if (column == 0)
        return directed(compareNames(entry1.text, entry2.text), ascending);
    if (column == 1)
        return directed(compareLines(entry1.line, entry2.line), ascending);
    return 0;
}

void jumpToLine(MemoAccess& memo, int line)
{
    memo.setSelPar(line);
    const qint64 l = memo.SelLine();
    // A short window or a large font: fifteen lines down would be below the page.
    const qint64 below = std::clamp<qint64>(memo.VisibleLineCount() - 1, 0, JumpLinesBelowTop);
    memo.setTopLine(std::max<qint64>(l - below, 0));
    memo.setSelPar(line);
    memo.setSelCol(0);
    memo.setSelLength(memo.paragraphText(memo.SelPar()).size());
}

} // namespace viewer
