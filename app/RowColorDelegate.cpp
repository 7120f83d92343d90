#include "app/RowColorDelegate.h"

RowColorDelegate::RowColorDelegate(ColorOf colorOf, QObject* parent)
    : ReportListDelegate(parent), m_colorOf(std::move(colorOf))
{
}

void RowColorDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    const QColor color = m_colorOf(index.siblingAtColumn(0).data(Qt::DisplayRole).toString());
    if (color.isValid())
        option->backgroundBrush = color;
}
