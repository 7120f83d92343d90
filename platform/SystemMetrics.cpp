#include "platform/SystemMetrics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStyle>

namespace platform {

int verticalScrollBarWidth()
{
    return QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
}

QFont cjkFont(const QString& family, int pixelHeight)
{
    QFont font(family);
    font.setPixelSize(pixelHeight);
    if (QFontDatabase::hasFamily(family))
        return font;

    static const QString substitute = [] {
        const QStringList preferred = {QStringLiteral("Noto Sans CJK TC"), QStringLiteral("Noto Sans Mono CJK TC"),
                                       QStringLiteral("Noto Serif CJK TC"), QStringLiteral("AR PL UMing TW")};
        for (const QString& name : preferred)
            if (QFontDatabase::hasFamily(name))
                return name;
        const QStringList chinese = QFontDatabase::families(QFontDatabase::TraditionalChinese);
        return chinese.isEmpty() ? QString() : chinese.first();
    }();
    if (!substitute.isEmpty())
        font.setFamilies({family, substitute});
    return font;
}

} // namespace platform
