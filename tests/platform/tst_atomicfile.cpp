#include "platform/AtomicFile.h"
#include "platform/LastError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(AtomicFile, ReplacesContentsAndKeepsPermissions)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("list.dat");
    ASSERT_TRUE(platform::replaceFile(path, "first"));
    ::chmod(QFile::encodeName(path).constData(), 0600);
    ASSERT_TRUE(platform::replaceFile(path, "second"));
    EXPECT_EQ(readAll(path), "second");
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);
}

TEST(AtomicFile, FailureRecordsTheSystemErrorAndTouchesNothing)
{
    QTemporaryDir dir;
    EXPECT_FALSE(platform::replaceFile(dir.filePath("missing/x.dat"), "data"));
    EXPECT_EQ(platform::lastErrorText(), QString::fromLocal8Bit(std::strerror(ENOENT)));
    // The target is a folder: rename fails, the temporary file is removed.
    QDir(dir.path()).mkdir("taken");
    EXPECT_FALSE(platform::replaceFile(dir.filePath("taken"), "data"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList());
}

} // namespace
