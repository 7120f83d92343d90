#include "support/RecordingProgram.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

namespace kbltest {

namespace {

// The test folders are QTemporaryDir paths, which hold no single quote.
QString shellQuoted(const QString& path) { return u'\'' + path + u'\''; }

bool waitForFile(const QString& path, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!QFileInfo::exists(path)) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(10);
    }
    return true;
}

} // namespace

RecordingProgram::RecordingProgram(const QString& folder, const QString& name, bool holdUntilReleased)
    : path_(folder + u'/' + name)
    , record_(path_ + QStringLiteral(".record"))
    , releaseMark_(path_ + QStringLiteral(".release"))
    , finishedMark_(path_ + QStringLiteral(".finished"))
{
    QString script = QStringLiteral("#!/bin/sh\n"
                                    "{ printf '%s\\0' \"$(pwd -P)\"; for a in \"$@\"; do printf '%s\\0' \"$a\"; done; } > %1.tmp && mv %1.tmp %1\n")
                         .arg(shellQuoted(record_));
    if (holdUntilReleased) {
        script += QStringLiteral("n=0\n"
                                 "while [ ! -e %1 ] && [ $n -lt 200 ]; do sleep 0.05; n=$((n+1)); done\n"
                                 ": > %2\n")
                      .arg(shellQuoted(releaseMark_), shellQuoted(finishedMark_));
    }
    QFile file(path_);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(script.toUtf8());
        file.close();
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

std::optional<ProgramRecord> RecordingProgram::waitForRecord(int timeoutMs) const
{
    if (!waitForFile(record_, timeoutMs))
        return std::nullopt;
    QFile file(record_);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.readAll();
    // The working folder and each argument end with a NUL: any of them may hold a line break.
    const qsizetype end = bytes.indexOf('\0');
    ProgramRecord record;
    record.workingFolder = QString::fromUtf8(bytes.left(end));
    QByteArray rest = bytes.mid(end + 1);
    while (!rest.isEmpty()) {
        const qsizetype nul = rest.indexOf('\0');
        record.arguments << QString::fromUtf8(rest.left(nul));
        rest = rest.mid(nul + 1);
    }
    return record;
}

bool RecordingProgram::ran() const { return QFileInfo::exists(record_); }

void RecordingProgram::release() const
{
    QFile mark(releaseMark_);
    if (mark.open(QIODevice::WriteOnly))
        mark.close();
}

bool RecordingProgram::waitForFinished(int timeoutMs) const { return waitForFile(finishedMark_, timeoutMs); }

} // namespace kbltest
