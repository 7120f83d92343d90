#pragma once
// Paints each row of a list on a background colour that a function picks at drawing
// time, so a change of the colours shows at the next repaint. Selected rows keep the
// selection colours.

#include "app/ReportList.h"

#include <functional>

class RowColorDelegate final : public ReportListDelegate {
    Q_OBJECT
public:
    // Receives the row's first-column text; an invalid colour leaves the default.
    using ColorOf = std::function<QColor(const QString& firstColumn)>;

    RowColorDelegate(ColorOf colorOf, QObject* parent);

    // Dark text on a light row, light text on a dark one.
    static QColor textColorOn(const QColor& background);

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;

private:
    ColorOf m_colorOf;
};
