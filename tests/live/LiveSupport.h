#pragma once
// Folder trees for the build-mark and live-list tests: files with chosen contents and
// modification times, and bounded waits on a window's own signals.

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>

namespace livetest {

// Creates `relative` below `root` with the given content, making its folders.
inline void writeFile(const QString& root, const QString& relative, const QByteArray& content = "program X;\r\n")
{
    const QString path = root + "/" + relative;
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

// Sets the last-write time of a path given as bytes to `seconds` since the epoch.
inline bool setModified(const QByteArray& path, qint64 seconds)
{
    const timespec times[2] = {{time_t(seconds), 0}, {time_t(seconds), 0}};
    return ::utimensat(AT_FDCWD, path.constData(), times, 0) == 0;
}
inline bool setModified(const QString& path, qint64 seconds) { return setModified(QFile::encodeName(path), seconds); }

// Runs the event loop until `done` holds, waking on `spy`'s signal; false after
// `timeoutMs` in all.
inline bool waitFor(QSignalSpy& spy, const std::function<bool()>& done, int timeoutMs = 5000)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        const int left = int(timeoutMs - clock.elapsed());
        if (left <= 0)
            return false;
        spy.wait(left);
    }
    return true;
}

} // namespace livetest
