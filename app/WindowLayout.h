#pragma once
// The proportional layout of the main window: list columns share the list's width
// less two scroll-bar widths; status panels share the bar's width.

#include <QList>

namespace layout {

// round(fraction · (listWidth − 2 · scrollBarWidth)) for each fraction.
QList<int> columnWidths(int listWidth, int scrollBarWidth, const QList<double>& fractions);

// round(fraction · barWidth) for each fraction.
QList<int> panelWidths(int barWidth, const QList<double>& fractions);

inline const QList<double> ProjectColumns = {0.3, 0.3, 0.4};
inline const QList<double> FileColumns = {0.7, 0.3};
inline const QList<double> StatusPanels = {0.65, 0.10, 0.15, 0.10};

} // namespace layout
