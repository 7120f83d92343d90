#include "viewer/MethodList.h"

#include <QCollator>
#include <QTreeWidgetItem>

#include <algorithm>

namespace viewer {

int CompareMethodItems(const QTreeWidgetItem& row1, const QTreeWidgetItem& row2, int column, bool ascending)
{
    int result = 0;
    if (column == 0) {
        static const QCollator collator = [] {
            QCollator c;
            c.setCaseSensitivity(Qt::CaseInsensitive);
            return c;
        }();
        const int order = collator.compare(row1.text(0), row2.text(0));
        result = order < 0 ? -1 : order > 0 ? 1 : 0;
    } else if (column == 1) {
        const int a = row1.text(1).toInt();
        const int b = row2.text(1).toInt();
        result = a < b ? -1 : a > b ? 1 : 0;
    }
    return ascending ? result : -result;
}

void jumpToLine(MemoAccess& memo, int line)
{
    memo.setSelPar(line);
    const qint64 l = memo.SelLine();
    memo.setTopLine(std::max<qint64>(l - JumpLinesBelowTop, 0));
    memo.setSelPar(line);
    memo.setSelCol(0);
    memo.setSelLength(memo.paragraphText(memo.SelPar()).size());
}

} // namespace viewer
