#include "Measure.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

double bestOf(int runs, const std::function<void()>& body)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        const auto start = std::chrono::steady_clock::now();
        body();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
    }
    return best;
}

namespace {
long statusField(const char* name)
{
    QFile file(QStringLiteral("/proc/self/status"));
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : file.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(qsizetype(qstrlen(name))).trimmed().split(' ').value(0).toLong();
    return -1;
}
} // namespace

long peakResidentKiB() { return statusField("VmHWM:"); }
long residentKiB() { return statusField("VmRSS:"); }

QString fdProgram()
{
    // Debian installs fd as "fdfind".
    for (const char* name : {"fd", "fdfind"})
        if (const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name)); !found.isEmpty())
            return found;
    return QString();
}

QString bfsProgram() { return QStandardPaths::findExecutable(QStringLiteral("bfs")); }

int runCounting(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed: %s\n", qPrintable(program), qPrintable(process.errorString()));
        return -1;
    }
    return int(process.readAllStandardOutput().count('\n'));
}

void runFindCat(const QString& root)
{
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    find.start(QStringLiteral("find"), {root, QStringLiteral("-iname"), QStringLiteral("*.dpr"), QStringLiteral("-type"),
                                        QStringLiteral("f"), QStringLiteral("-exec"), QStringLiteral("cat"),
                                        QStringLiteral("{}"), QStringLiteral("+")});
    if (!find.waitForFinished(-1) || find.exitCode() != 0)
        std::fprintf(stderr, "find failed: %s\n", qPrintable(find.errorString()));
}
