#include "app/RowColorDelegate.h"

RowColorDelegate::RowColorDelegate(ColorOf colorOf, QObject* parent)
    : ReportListDelegate(parent), m_colorOf(std::move(colorOf))
{
}

QColor RowColorDelegate::textColorOn(const QColor& background)
{
    // Relative luminance as the web's contrast rules weigh the channels.
    const double luminance = 0.2126 * background.redF() + 0.7152 * background.greenF() + 0.0722 * background.blueF();
    return luminance > 0.45 ? QColor(0x1c, 0x1c, 0x1c) : QColor(Qt::white);
}

void RowColorDelegate::initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const
{
    ReportListDelegate::initStyleOption(option, index);
    const QColor color = m_colorOf(index.siblingAtColumn(0).data(Qt::DisplayRole).toString());
    if (!color.isValid())
        return;
    option->backgroundBrush = color;
    // The kind colours are fixed light colours: the text must read on them whatever the
    // palette, a dark theme's light text included.
    const QColor text = textColorOn(color);
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        option->palette.setColor(group, QPalette::Text, text);
        option->palette.setColor(group, QPalette::WindowText, text);
    }
}
