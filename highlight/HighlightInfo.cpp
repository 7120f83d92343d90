#include "highlight/HighlightInfo.h"

namespace kbl {

void THighlightInfo::setAltFont(bool v)
{
    if (v == altFont)
        return;
    altFont = v;
    changed();
}

void THighlightInfo::setStyle(quint8 v)
{
    v &= 0x0F;
    if (v == style)
        return;
    style = v;
    changed();
}

void THighlightInfo::setBackground(qint32 v)
{
    if (v == background)
        return;
    background = v;
    changed();
}

void THighlightInfo::setForeground(qint32 v)
{
    if (v == foreground)
        return;
    foreground = v;
    changed();
}

void THighlightInfo::CopyFrom(const THighlightInfo& source)
{
    altFont = source.altFont;
    style = source.style;
    background = source.background;
    foreground = source.foreground;
    changed();
}

} // namespace kbl
