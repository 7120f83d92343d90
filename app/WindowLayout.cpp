#include "app/WindowLayout.h"

#include <cmath>

namespace layout {

QList<int> columnWidths(int listWidth, int scrollBarWidth, const QList<double>& fractions)
{
    return panelWidths(listWidth - 2 * scrollBarWidth, fractions);
}

QList<int> panelWidths(int barWidth, const QList<double>& fractions)
{
    QList<int> widths;
    for (double fraction : fractions)
        widths << std::max(0, int(std::lround(fraction * barWidth)));
    return widths;
}

} // namespace layout
