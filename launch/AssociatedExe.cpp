#include "launch/AssociatedExe.h"

#include <QDir>
#include <QStandardPaths>

namespace launch {

QString trimAssociationCommand(QString command)
{
    if (const qsizetype percent = command.indexOf(u'%'); percent >= 0)
        command.truncate(percent);
    if (command.startsWith(u'"'))
        command.remove(0, 1);
    if (command.endsWith(u'"'))
        command.chop(1);
    while (command.endsWith(u' ') || command.endsWith(u'"'))
        command.chop(1);
    if (const qsizetype exe = command.indexOf(QLatin1String(".exe"), 0, Qt::CaseInsensitive); exe >= 0)
        command.truncate(exe + 4);
    return command;
}

QString GetAssociatedExe(const QString& extension, const platform::XdgFolders& folders)
{
    const auto command = platform::associatedCommand(extension, folders);
    if (!command)
        return QString();
    const QString program = trimAssociationCommand(*command);
    if (program.isEmpty() || QDir::isAbsolutePath(program))
        return program;
    // A relative name would otherwise be tested against whatever folder we run in.
    if (program.contains(u'/'))
        return QString();
    return QStandardPaths::findExecutable(program);
}

} // namespace launch
