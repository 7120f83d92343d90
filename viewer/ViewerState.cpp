#include "viewer/ViewerState.h"

#include "app/SettingsKeys.h"

#include <QFileInfo>

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

bool isHighlightedFile(const QString& path)
{
    const QString name = QFileInfo(path).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return true;
    return name.mid(dot).toLower() != QLatin1String(".txt");
}

} // namespace viewer
