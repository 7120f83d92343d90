#include "app/ProgramFolder.h"

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

QString folder()
{
    if (!folderOverride().isEmpty())
        return withSeparator(folderOverride());
    return withSeparator(QCoreApplication::applicationDirPath());
}

QString executablePath() { return QCoreApplication::applicationFilePath(); }

void setFolderOverride(const QString& path) { folderOverride() = path; }

} // namespace program
