#include "platform/Process.h"

#include "platform/DesktopAssociation.h"

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QThread>
#include <QUrl>

namespace platform {

namespace {

// A started program is running until /proc no longer lists it or lists it as a zombie:
// a detached program is no child of ours, so waitpid cannot tell, and where nothing
// reaps orphans the zombie would otherwise count as alive.
bool processRunning(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return false;
    const QByteArray text = stat.readAll();
    const qsizetype close = text.lastIndexOf(')');
    if (close < 0 || close + 2 >= text.size())
        return false;
    const char state = text.at(close + 2);
    return state != 'Z' && state != 'X' && state != 'x';
}

} // namespace

std::optional<QStringList> splitArguments(const QString& text)
{
    // The quote counting of QProcess::splitCommand, kept only to see whether a quote
    // is still open at the end.
    bool inQuote = false;
    int quoteCount = 0;
    for (const QChar c : text) {
        if (c == u'"') {
            if (++quoteCount == 3)
                quoteCount = 0;
            continue;
        }
        if (quoteCount == 1)
            inQuote = !inQuote;
        quoteCount = 0;
    }
    if (quoteCount == 1)
        inQuote = !inQuote;
    if (inQuote)
        return std::nullopt;
    return QProcess::splitCommand(text);
}

StartResult startDetached(const CommandLine& command, ShowState)
{
    if (command.program.isEmpty())
        return {false, QStringLiteral("No program to start.")};
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    if (!process.startDetached())
        return {false, process.errorString()};
    return {true, QString()};
}

StartResult openDocument(const QString& path)
{
    if (!QFileInfo::exists(path))
        return {false, QStringLiteral("The file %1 does not exist.").arg(path)};

    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    QStringList types;
    if (type.isValid()) {
        types << type.name() << type.aliases() << type.allAncestors();
    }
    if (const auto app = defaultApplication(types, XdgFolders::fromEnvironment())) {
        const auto command = execCommandLine(app->exec, path, app->filePath);
        if (!command)
            return {false, QStringLiteral("The desktop entry %1 has no usable command.").arg(app->filePath)};
        return startDetached(*command);
    }
    // A desktop may keep its associations elsewhere; its own opener knows them.
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(path)))
        return {true, QString()};
    return {false, QStringLiteral("No application is associated with %1 (%2).")
                       .arg(path, type.isValid() ? type.name() : QStringLiteral("unknown type"))};
}

void executeAndWait(const CommandLine& command, ShowState, int timeoutMs)
{
    if (command.program.isEmpty())
        return;
    QProcess process;
    process.setProgram(command.program);
    process.setArguments(command.arguments);
    qint64 pid = 0;
    if (!process.startDetached(&pid) || pid <= 0)
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && processRunning(pid))
        QThread::msleep(10);
}

bool isExistingFile(const QString& path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

bool isExecutableFile(const QString& path)
{
    if (path.isEmpty())
        return false;
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

} // namespace platform
