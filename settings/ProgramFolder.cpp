#include "settings/ProgramFolder.h"

#include "platform/Files.h"

#include <QCoreApplication>

namespace program {

namespace {
QString& folderOverride()
{
    static QString path;
    return path;
}

QString withSeparator(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}
} // namespace

QString executablePath()
{
    // The link of the running process keeps the folder's bytes, which Qt's own answer
    // would not for a name that is not UTF-8.
    const QString path = platform::executableFilePath();
    return path.isEmpty() ? QCoreApplication::applicationFilePath() : path;
}

QString folder()
{
    if (!folderOverride().isEmpty())
        return withSeparator(folderOverride());
    const QString path = executablePath();
    return withSeparator(path.left(path.lastIndexOf(u'/')));
}

void setFolderOverride(const QString& path) { folderOverride() = path; }

} // namespace program
