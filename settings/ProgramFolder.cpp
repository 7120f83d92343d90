#include "settings/ProgramFolder.h"

#include "platform/Files.h"
#include "settings/SettingsKeys.h"

#include <QCoreApplication>
#include <QDir>

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

// An XDG base folder: the variable when it holds an absolute path, else its default below
// the home folder.
QString xdgFolder(const char* variable, const char* belowHome)
{
    const QString value = qEnvironmentVariable(variable);
    if (QDir::isAbsolutePath(value))
        return withSeparator(value);
    return withSeparator(QDir::homePath()) + QLatin1String(belowHome);
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

QString Locations::settingsFile() const { return settingsFolder + QLatin1String(settings::FileName); }

QString Locations::listFile(const QString& name) const { return dataFolder + name; }

Locations locate()
{
    Locations where;
    const QString home = folder();
    where.portable = platform::pathExists(home + QLatin1String(settings::FileName)) || platform::canCreateFilesIn(home);
    if (where.portable) {
        where.settingsFolder = where.dataFolder = home;
    } else {
        where.settingsFolder = xdgFolder("XDG_CONFIG_HOME", ".config/") + QStringLiteral("kestrabel/");
        where.dataFolder = xdgFolder("XDG_DATA_HOME", ".local/share/") + QStringLiteral("kestrabel/");
    }
    where.helpFile = helpFile();
    return where;
}

QString helpFile()
{
    // Beside the executable, or where an installation puts it: <prefix>/share/kestrabel/.
    const QString home = folder();
    for (const QString& help :
         {home + QStringLiteral("kbl.hlp"), QDir::cleanPath(home + QStringLiteral("../share/kestrabel/kbl.hlp"))}) {
        if (platform::isExistingFile(help))
            return help;
    }
    return QString();
}

bool makeFolderFor(const QString& file)
{
    const QString folder = file.left(file.lastIndexOf(u'/') + 1);
    return folder.isEmpty() || platform::makeFolders(folder);
}

} // namespace program
