#include "platform/DesktopEntries.h"

#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace platform {

namespace {

QString environment(const char* name) { return qEnvironmentVariable(name); }

QStringList splitDirs(const QString& value, const QStringList& fallback)
{
    QStringList dirs;
    for (const QString& dir : value.split(u':', Qt::SkipEmptyParts))
        if (QDir::isAbsolutePath(dir))
            dirs.append(dir);
    return dirs.isEmpty() ? fallback : dirs;
}

QString homeDir() { return QDir::homePath(); }

QString configHome()
{
    const QString value = environment("XDG_CONFIG_HOME");
    return QDir::isAbsolutePath(value) ? value : homeDir() + QStringLiteral("/.config");
}

QString dataHome()
{
    const QString value = environment("XDG_DATA_HOME");
    return QDir::isAbsolutePath(value) ? value : homeDir() + QStringLiteral("/.local/share");
}

// Calls `entry(key, value)` for each line of `group` in an INI-like XDG file.
template <typename Fn>
void forEachKey(const QString& path, QStringView group, Fn&& entry)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    // These files are small; a huge one is not a real configuration file.
    const QByteArray bytes = file.read(1 << 20);
    bool inGroup = false;
    forEachLine(bytes, [&](QByteArrayView raw) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(u'[')) {
            inGroup = line == u'[' + group.toString() + u']';
            return;
        }
        if (!inGroup || line.startsWith(u'#'))
            return;
        const qsizetype eq = line.indexOf(u'=');
        if (eq > 0)
            entry(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    });
}

QString findDesktopEntry(const QString& desktopId)
{
    if (desktopId.isEmpty() || desktopId.contains(u'/'))
        return {};
    for (const QString& dir : xdgDataDirs()) {
        const QString path = dir + QStringLiteral("/applications/") + desktopId;
        if (QFileInfo(path).isFile())
            return path;
    }
    return {};
}

} // namespace

QStringList xdgConfigDirs()
{
    QStringList dirs{configHome()};
    dirs += splitDirs(environment("XDG_CONFIG_DIRS"), {QStringLiteral("/etc/xdg")});
    return dirs;
}

QStringList xdgDataDirs()
{
    QStringList dirs{dataHome()};
    dirs += splitDirs(environment("XDG_DATA_DIRS"), {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    return dirs;
}

QString defaultApplicationFor(const QString& mimeType)
{
    // The order the XDG rules give: desktop-specific lists before the common
    // one, configuration folders before data folders; the old defaults.list last.
    QStringList desktops;
    for (const QString& name : environment("XDG_CURRENT_DESKTOP").split(u':', Qt::SkipEmptyParts))
        desktops.append(name.toLower());
    QStringList lists;
    const auto addFolder = [&](const QString& dir) {
        for (const QString& desktop : desktops)
            lists.append(dir + u'/' + desktop + QStringLiteral("-mimeapps.list"));
        lists.append(dir + QStringLiteral("/mimeapps.list"));
    };
    for (const QString& dir : xdgConfigDirs())
        addFolder(dir);
    for (const QString& dir : xdgDataDirs())
        addFolder(dir + QStringLiteral("/applications"));
    for (const QString& dir : xdgDataDirs())
        lists.append(dir + QStringLiteral("/applications/defaults.list"));

    for (const QString& list : lists) {
        QString found;
        forEachKey(list, u"Default Applications", [&](const QString& key, const QString& value) {
            if (!found.isEmpty() || key != mimeType)
                return;
            for (const QString& id : value.split(u';', Qt::SkipEmptyParts))
                if (!findDesktopEntry(id.trimmed()).isEmpty()) {
                    found = id.trimmed();
                    break;
                }
        });
        if (!found.isEmpty())
            return found;
    }
    return {};
}

QString desktopEntryExec(const QString& desktopId)
{
    const QString path = findDesktopEntry(desktopId);
    QString exec;
    if (!path.isEmpty())
        forEachKey(path, u"Desktop Entry", [&](const QString& key, const QString& value) {
            if (exec.isEmpty() && key == u"Exec")
                exec = value;
        });
    return exec;
}

QString programOfExecLine(const QString& execLine)
{
    const QStringList words = QProcess::splitCommand(execLine);
    if (words.isEmpty())
        return {};
    const QString& program = words.front();
    if (program.contains(u'/')) {
        const QFileInfo info(program);
        return info.isAbsolute() && info.isFile() && info.isExecutable() ? info.absoluteFilePath() : QString();
    }
    return QStandardPaths::findExecutable(program);
}

QString xdgUserDir(const QString& name)
{
    QString result;
    QFile file(configHome() + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString key = QStringLiteral("XDG_") + name + QStringLiteral("_DIR");
    forEachLine(file.read(1 << 20), [&](QByteArrayView raw) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(key + u'='))
            return;
        QString value = line.mid(key.size() + 1);
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QStringLiteral("$HOME")))
            value = homeDir() + value.mid(5);
        if (QDir::isAbsolutePath(value))
            result = value;
    });
    return result;
}

QString proposedFileManager()
{
    const QString program = programOfExecLine(desktopEntryExec(defaultApplicationFor(QStringLiteral("inode/directory"))));
    if (!program.isEmpty())
        return program;
    for (const char* name : {"nautilus", "dolphin", "thunar", "nemo", "caja", "pcmanfm"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace platform
