#pragma once
// What the targets share: a named stop for a broken invariant, and for the readers that
// take a path, a folder per process on a tmpfs (made at the first use, removed at exit).

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

namespace fuzz {

// Stops the run with a message naming the broken rule; libFuzzer saves the input.
[[noreturn]] inline void violated(const char* rule)
{
    std::fprintf(stderr, "invariant violated: %s\n", rule);
    std::fflush(stderr);
    __builtin_trap();
}

#define FUZZ_CHECK(condition, rule)                                                                            \
    do {                                                                                                       \
        if (!(condition))                                                                                      \
            ::fuzz::violated(rule);                                                                            \
    } while (false)

// The process's folder, with a final "/".
inline const QString& scratchFolder()
{
    static const QString folder = [] {
        const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        QByteArray pattern = QByteArray(base) + "/kbl-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data())) {
            std::perror("mkdtemp");
            std::abort();
        }
        static const QString path = QString::fromLocal8Bit(pattern);
        std::atexit([] { QDir(path).removeRecursively(); });
        return path + u'/';
    }();
    return folder;
}

// An empty folder `name` below the scratch folder, so that no run sees the files of the
// one before; its path with a final "/".
inline QString freshFolder(const QString& name)
{
    const QString path = scratchFolder() + name;
    QDir(path).removeRecursively();
    if (!QDir().mkpath(path)) {
        std::perror("making a scratch folder");
        std::abort();
    }
    return path + u'/';
}

// Writes `bytes` to `path`, making its folders; returns the path.
inline QString writeFile(const QString& path, QByteArrayView bytes)
{
    QDir().mkpath(path.left(path.lastIndexOf(u'/')));
    FILE* file = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!file || std::fwrite(bytes.data(), 1, size_t(bytes.size()), file) != size_t(bytes.size())
        || std::fclose(file) != 0) {
        std::perror("writing a scratch file");
        std::abort();
    }
    return path;
}

} // namespace fuzz
