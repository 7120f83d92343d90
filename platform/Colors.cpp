#include "platform/Colors.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

QColor systemColor(int index)
{
    const QPalette palette = QGuiApplication::palette();
    switch (index) {
    case 5: return palette.color(QPalette::Active, QPalette::Base);
    case 8: return palette.color(QPalette::Active, QPalette::Text);
    case 13: return palette.color(QPalette::Active, QPalette::Highlight);
    case 14: return palette.color(QPalette::Active, QPalette::HighlightedText);
    case 15: return palette.color(QPalette::Active, QPalette::Button);
    case 17: return palette.color(QPalette::Disabled, QPalette::Text);
    case 18: return palette.color(QPalette::Active, QPalette::ButtonText);
    case 23: return palette.color(QPalette::Active, QPalette::ToolTipText);
    case 24: return palette.color(QPalette::Active, QPalette::ToolTipBase);
    default: return palette.color(QPalette::Active, QPalette::Window);
    }
}

} // namespace

QColor toQColor(qint32 value)
{
    if (value == ColorNone)
        return {};
    if (isSystemColor(value))
        return systemColor(value & 0xFF);
    return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
}

qint32 fromQColor(const QColor& color)
{
    return rgbColor(color.red(), color.green(), color.blue());
}

} // namespace platform
