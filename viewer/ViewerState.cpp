#include "viewer/ViewerState.h"

#include "settings/SettingsKeys.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

#include <QCoreApplication>

namespace viewer {

QString storedFindText(const QString& text) { return u'-' + text + u'-'; }

QString restoredFindText(const QString& stored)
{
    if (stored.isEmpty())
        return stored;
    return stored.mid(1, stored.size() - 2);
}

std::pair<QString, QString> customColorEntry(const QString& line)
{
    const qsizetype eq = line.indexOf(u'=');
    if (eq < 0)
        return {QString(), QString()};
    return {line.left(eq), line.mid(eq + 1, settings::MaxCustomColorValueLength)};
}

ViewerFileText readViewerFile(const QString& path)
{
    const platform::FileRead file = platform::readFile(path);
    switch (file.outcome) {
    case platform::FileRead::Outcome::Read: return {true, platform::decodeText(file.bytes), QString()};
    case platform::FileRead::Outcome::Missing: return {false, QString(), QCoreApplication::translate("ViewerState", "Can't find file:") + QStringLiteral("\r\n") + path};
    case platform::FileRead::Outcome::NotAFile: return {false, QString(), QCoreApplication::translate("ViewerState", "Not a file:") + QStringLiteral("\r\n") + path};
    case platform::FileRead::Outcome::Failed: break;
    }
    return {false, QString(), QCoreApplication::translate("ViewerState", "Cannot open file \"%1\". %2").arg(path, file.errorText)};
}

bool isHighlightedFile(const QString& path)
{
    const QString name = path.mid(path.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return true;
    return name.mid(dot).toLower() != QLatin1String(".txt");
}

} // namespace viewer
