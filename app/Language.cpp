#include "app/Language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace language {

namespace {

QString& current()
{
    static QString language;
    return language;
}

// The translation one locale language ("zh-Hant-TW", "en-US", "C") calls for.
QString forLocaleLanguage(const QString& name)
{
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return QString();
    if (name == QLatin1String("zh") || name.startsWith(QLatin1String("zh-")) || name.startsWith(QLatin1String("zh_"))) {
        const bool traditional = name.contains(QLatin1String("Hant")) || name.contains(QLatin1String("TW"))
                                 || name.contains(QLatin1String("HK")) || name.contains(QLatin1String("MO"));
        return traditional ? QString() : QString::fromLatin1(SimplifiedChinese);
    }
    // Every other language reads English better than Chinese.
    return QString::fromLatin1(English);
}

} // namespace

QString chosen(const QString& setting, const QStringList& uiLanguages)
{
    if (setting == QLatin1String(English) || setting == QLatin1String(SimplifiedChinese))
        return setting;
    if (setting == QLatin1String(DesignTexts))
        return QString();
    return forLocaleLanguage(uiLanguages.value(0));
}

bool install(const QString& language)
{
    current() = language;
    if (language.isEmpty())
        return true;
    // Owned by the application, so they live exactly as long as it does.
    auto* own = new QTranslator(QCoreApplication::instance());
    const bool found = own->load(QStringLiteral(":/i18n/kestrabel_") + language);
    if (found)
        QCoreApplication::installTranslator(own);
    auto* qt = new QTranslator(QCoreApplication::instance());
    if (qt->load(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    return found;
}

QString installed() { return current(); }

} // namespace language
