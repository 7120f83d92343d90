#pragma once
// A small program for tests of process starts: a shell script that writes its working
// folder and its arguments into a record file, so a test sees exactly what a started
// program received.

#include <QString>
#include <QStringList>

#include <optional>

namespace kbltest {

struct ProgramRecord {
    QString workingFolder;
    QStringList arguments;
};

class RecordingProgram {
public:
    // Writes the script `name` into `folder` (with the execute bit). With `holdUntilReleased`
    // the script, after recording, waits until release() is called (ten seconds at most)
    // and then writes a second mark, so a test can tell that it kept running.
    RecordingProgram(const QString& folder, const QString& name, bool holdUntilReleased = false);

    QString path() const { return path_; }

    // The record, once the script has written it; nullopt after `timeoutMs` without one.
    std::optional<ProgramRecord> waitForRecord(int timeoutMs = 5000) const;

    // True when the script has recorded by now.
    bool ran() const;

    // Lets a holding script finish; finished() becomes true once it has.
    void release() const;
    bool waitForFinished(int timeoutMs = 5000) const;

private:
    QString path_;
    QString record_;
    QString releaseMark_;
    QString finishedMark_;
};

} // namespace kbltest
