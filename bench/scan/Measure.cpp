#include "Measure.h"

#include <QFile>
#include <QProcess>

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
