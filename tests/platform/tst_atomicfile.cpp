#include "platform/AtomicFile.h"
#include "platform/FileNames.h"
#include "platform/LastError.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

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

TEST(AtomicFile, AWriteProtectedFileStaysProtected)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("kbl.ini");
    ASSERT_TRUE(platform::replaceFile(path, "old"));
    ::chmod(QFile::encodeName(path).constData(), 0444);
    // Refused even to root: a file without any write bit was protected on purpose.
    EXPECT_FALSE(platform::replaceFile(path, "new"));
    EXPECT_EQ(platform::lastErrorText(), QString::fromLocal8Bit(std::strerror(EACCES)));
    EXPECT_EQ(readAll(path), "old");
    struct stat info {};
    ::stat(QFile::encodeName(path).constData(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0444u);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"kbl.ini"});
    // Through a link, the file it names decides.
    ASSERT_EQ(::symlink("kbl.ini", QFile::encodeName(dir.filePath("link.ini")).constData()), 0);
    EXPECT_FALSE(platform::replaceFile(dir.filePath("link.ini"), "new"));
    EXPECT_EQ(readAll(path), "old");
}

TEST(AtomicFile, AWritableFileInAFolderThatRefusesNewFilesIsRewrittenInPlace)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may create files in any folder";
    QTemporaryDir dir;
    const QString path = dir.filePath("kbl.ini");
    ASSERT_TRUE(platform::replaceFile(path, "old contents"));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0555);
    EXPECT_TRUE(platform::replaceFile(path, "new"));
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);
    EXPECT_EQ(readAll(path), "new");
}

TEST(AtomicFile, NamesThatAreNotUtf8KeepTheirBytes)
{
    QTemporaryDir dir;
    // "測試" in Big5, as an unzipped Windows archive leaves it.
    const QString name = platform::fileNameFromBytes("\xb4\xfa\xb8\xd5.dat");
    ASSERT_TRUE(platform::replaceFile(dir.path() + u'/' + name, "data"));
    const QByteArray raw = QFile::encodeName(dir.path()) + "/\xb4\xfa\xb8\xd5.dat";
    struct stat info {};
    EXPECT_EQ(::stat(raw.constData(), &info), 0);
    EXPECT_EQ(info.st_size, 4);
}

} // namespace
