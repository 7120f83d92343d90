#pragma once
// The monospaced font the text view tests measure with (installed by scripts/setup).

#include <QFont>

namespace kbltest {

inline QFont monospacedFont()
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(14);
    return font;
}

} // namespace kbltest
