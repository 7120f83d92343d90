#include "platform/Process.h"

#include "platform/DesktopAssociation.h"
#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/LastError.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeDatabase>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <QUrl>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

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

// The program to execute: a name without "/" is looked up on PATH, as a shell would.
QByteArray programPath(const QString& program)
{
    if (program.contains(u'/'))
        return fileNameToBytes(program);
    const QString found = QStandardPaths::findExecutable(program);
    return found.isEmpty() ? QByteArray() : fileNameToBytes(found);
}

} // namespace

QString findProgram(const QString& program)
{
    if (program.isEmpty())
        return QString();
    if (program.contains(u'/'))
        return isExecutableFile(program) ? program : QString();
    return QStandardPaths::findExecutable(program);
}

namespace {

// What the two forked processes tell the caller through the pipe.
struct SpawnMessage {
    enum Kind : int { Started, Failed } kind;
    int value; // the program's pid, or the errno of a failed exec or chdir
};

void writeMessage(int fd, SpawnMessage message)
{
    // One write below PIPE_BUF is atomic, so the two writers never interleave.
    while (::write(fd, &message, sizeof message) < 0 && errno == EINTR) {
    }
}

// Starts the program as a grandchild that init adopts, so it outlives Kestrabel and never
// lingers as our zombie. Every argument keeps its bytes; nothing goes through a shell.
// Between fork and exec only async-signal-safe calls are made.
std::optional<pid_t> spawnDetached(const CommandLine& command)
{
    if (command.program.isEmpty()) {
        recordErrorText(QCoreApplication::translate("Process", "No program to start."));
        return std::nullopt;
    }
    const QByteArray program = programPath(command.program);
    if (program.isEmpty()) {
        recordError(ENOENT);
        return std::nullopt;
    }
    std::vector<QByteArray> bytes;
    bytes.push_back(fileNameToBytes(command.program));
    for (const QString& argument : command.arguments)
        bytes.push_back(fileNameToBytes(argument));
    std::vector<char*> argv;
    for (QByteArray& argument : bytes)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const QByteArray folder = fileNameToBytes(command.workingFolder);

    int channel[2];
    if (::pipe2(channel, O_CLOEXEC) != 0) {
        recordError(errno);
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        recordError(errno);
        ::close(channel[0]);
        ::close(channel[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(channel[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            sigset_t none;
            ::sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::signal(SIGPIPE, SIG_DFL);
            if (!folder.isEmpty() && ::chdir(folder.constData()) != 0) {
                writeMessage(channel[1], {SpawnMessage::Failed, errno});
                ::_exit(127);
            }
            ::execve(program.constData(), argv.data(), environ);
            writeMessage(channel[1], {SpawnMessage::Failed, errno});
            ::_exit(127);
        }
        if (grandchild < 0)
            writeMessage(channel[1], {SpawnMessage::Failed, errno});
        else
            writeMessage(channel[1], {SpawnMessage::Started, int(grandchild)});
        ::_exit(0);
    }
    ::close(channel[1]);
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
    }
    // The pipe closes when the program has been executed (close-on-exec) or has failed.
    std::optional<pid_t> started;
    int failure = 0;
    SpawnMessage message{};
    for (;;) {
        const ssize_t n = ::read(channel[0], &message, sizeof message);
        if (n < 0 && errno == EINTR)
            continue;
        if (n != ssize_t(sizeof message))
            break;
        if (message.kind == SpawnMessage::Started)
            started = pid_t(message.value);
        else
            failure = message.value;
    }
    ::close(channel[0]);
    if (failure != 0 || !started) {
        recordError(failure != 0 ? failure : ECHILD);
        return std::nullopt;
    }
    return started;
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
    const std::optional<pid_t> pid = spawnDetached(command);
    if (!pid)
        return {false, lastErrorText()};
    return {true, QString()};
}

StartResult openDocument(const QString& path, const QString& workingFolder)
{
    if (!pathExists(path))
        return {false, QCoreApplication::translate("Process", "The file %1 does not exist.").arg(displayName(path))};

    // By name alone: the database would open a file it cannot find under Qt's reading of
    // the name, and a name is what desktops go by.
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QStringList types;
    if (type.isValid()) {
        types << type.name() << type.aliases() << type.allAncestors();
    }
    if (const auto app = defaultApplication(types, XdgFolders::fromEnvironment())) {
        auto command = execCommandLine(app->exec, path, app->filePath);
        if (!command)
            return {false, QCoreApplication::translate("Process", "The desktop entry %1 has no usable command.").arg(displayName(app->filePath))};
        command->workingFolder = workingFolder;
        return startDetached(*command);
    }
    // A desktop may keep its associations elsewhere; its own opener knows them.
    if (QDesktopServices::openUrl(fileUrl(path)))
        return {true, QString()};
    return {false, QCoreApplication::translate("Process", "No application is associated with %1 (%2).")
                       .arg(displayName(path), type.isValid() ? type.name() : QCoreApplication::translate("Process", "unknown type"))};
}

void executeAndWait(const CommandLine& command, ShowState, int timeoutMs)
{
    const std::optional<pid_t> pid = spawnDetached(command);
    if (!pid)
        return;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < timeoutMs && processRunning(*pid))
        QThread::msleep(10);
}

} // namespace platform
