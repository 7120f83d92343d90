// The file system by path: names that are not UTF-8 keep their bytes both ways, and what
// is no regular file is refused without blocking.
#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/TextCodec.h"

#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

// "測試" in Big5 and "café" in Latin-1: names an unzipped Windows archive leaves behind.
const QByteArray Big5 = "\xb4\xfa\xb8\xd5";
const QByteArray Latin1 = "caf\xe9.pas";

void writeRaw(const QByteArray& path, const QByteArray& bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
    ::close(fd);
}

TEST(FileNames, EveryByteSequenceRoundTripsAndUtf8StaysText)
{
    EXPECT_EQ(fileNameFromBytes("Sorter.dpr"), "Sorter.dpr");
    EXPECT_EQ(fileNameFromBytes("\xe4\xb8\xad.pas"), QString::fromUtf8("中.pas"));
    const QString escaped = fileNameFromBytes(Latin1);
    EXPECT_EQ(escaped.size(), 8);
    EXPECT_EQ(escaped[3].unicode(), 0xDCE9);
    EXPECT_EQ(fileNameFromBytes("\xef\xbb\xbf\xe4\xb8\xad"), QChar(0xFEFF) + QString::fromUtf8("中"));
    // Overlong forms, encoded surrogates and truncated sequences are kept as bytes too.
    for (const QByteArray& bytes : {Big5, Latin1, QByteArray("\xc0\xaf"), QByteArray("\xed\xa0\x80"),
                                    QByteArray("a\xe4\xb8"), QByteArray("\xf4\x90\x80\x80"), QByteArray("\xff"),
                                    // A name may begin with a BOM's bytes: part of the name, not a mark.
                                    QByteArray("\xef\xbb\xbfx.dpr"), QByteArray("\xef\xbb\xbf\xef\xbb\xbf\xff")})
        EXPECT_EQ(fileNameToBytes(fileNameFromBytes(bytes)), bytes) << bytes.toHex().constData();
    // Text written to our files keeps the bytes the same way.
    EXPECT_EQ(encodeText(fileNameFromBytes(Big5 + "/p.dpr")), Big5 + "/p.dpr");

    // ASCII names are told in blocks: one byte that is not ASCII, at any place of a name
    // of any length, still takes the careful way, both ways round.
    for (int length = 1; length <= 20; ++length) {
        for (int at = 0; at < length; ++at) {
            for (const char odd : {'\xe9', '\x80', '\xff'}) {
                QByteArray bytes(length, 'a');
                bytes[at] = odd;
                const QString name = fileNameFromBytes(bytes);
                EXPECT_EQ(name.size(), length);
                EXPECT_EQ(name[at].unicode(), 0xDC00 + uchar(odd)) << length << ' ' << at;
                EXPECT_EQ(fileNameToBytes(name), bytes) << length << ' ' << at;
            }
            QString text(length, u'a');
            text[at] = QChar(0x4E2D);
            EXPECT_EQ(fileNameToBytes(text), text.toUtf8()) << length << ' ' << at;
        }
    }
    const QString astral = QString::fromUtf8("a\xf0\x9f\x98\x80" "b");
    EXPECT_EQ(fileNameToBytes(astral), QByteArray("a\xf0\x9f\x98\x80" "b"));
}

TEST(Files, PathsThatAreNotUtf8ReachTheFileSystemUnchanged)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + '/' + Big5;
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    writeRaw(folder + '/' + Latin1, "unit Cafe;\r\n");

    const QString folderPath = fileNameFromBytes(folder);
    EXPECT_TRUE(isFolder(folderPath));
    const auto entries = listFolder(folderPath);
    ASSERT_TRUE(entries);
    ASSERT_EQ(entries->size(), 1u);
    EXPECT_EQ(fileNameToBytes(entries->front().name), Latin1);
    EXPECT_EQ(entries->front().kind, FileKind::File);

    const QString file = folderPath + u'/' + entries->front().name;
    const FileStatus status = fileStatus(file);
    EXPECT_TRUE(status.isFile());
    EXPECT_EQ(status.size, 12);
    EXPECT_TRUE(isExistingFile(file));
    const FileRead read = readFile(file);
    ASSERT_TRUE(read);
    EXPECT_EQ(read.bytes, "unit Cafe;\r\n");
    // Qt's own reading of the name would have lost the bytes.
    EXPECT_FALSE(QFile::exists(file));
}

TEST(Files, ReadingRefusesWhatIsNoRegularFileWithoutBlocking)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("pipe.pas");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(readFile(fifo).outcome, FileRead::Outcome::NotAFile); // would block in open()
    EXPECT_EQ(fileStatus(fifo).kind, FileKind::Other);
    EXPECT_FALSE(isExistingFile(fifo));
    EXPECT_EQ(readFile(dir.path()).outcome, FileRead::Outcome::NotAFile);
    EXPECT_EQ(readFile("/dev/zero").outcome, FileRead::Outcome::NotAFile); // would never end
    const FileRead missing = readFile(dir.filePath("gone.pas"));
    EXPECT_EQ(missing.outcome, FileRead::Outcome::Missing);
    EXPECT_FALSE(missing.errorText.isEmpty());
    EXPECT_EQ(readFile(QString()).outcome, FileRead::Outcome::Missing);
    EXPECT_FALSE(fileStatus(QString()).exists());
}

TEST(Files, ReadingGivesEveryByteWhateverSizeTheFileReports)
{
    // Around the sizes the read is made in, and a file that reports no size at all.
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    for (const int size : {0, 1, 4095, 4096, 4097, 65536, 300001}) {
        QByteArray bytes(size, Qt::Uninitialized);
        for (int i = 0; i < size; ++i)
            bytes[i] = char(i * 7 + i / 251);
        const QByteArray path = root + "/f" + QByteArray::number(size);
        writeRaw(path, bytes);
        const FileRead read = readFile(fileNameFromBytes(path));
        ASSERT_TRUE(read) << size;
        EXPECT_EQ(read.bytes, bytes) << size;
    }
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        GTEST_SKIP() << "no /proc";
    ASSERT_EQ(fileStatus(maps.fileName()).size, 0);
    const qsizetype expected = maps.readAll().size();
    ASSERT_GT(expected, 8192); // several times the first read: a Qt program maps many files
    const FileRead read = readFile(maps.fileName());
    ASSERT_TRUE(read);
    // The process's own mappings: their number may change by a few lines meanwhile.
    EXPECT_GT(read.bytes.size(), expected / 2);
    EXPECT_TRUE(read.bytes.endsWith('\n'));
}

TEST(Files, ListingsFollowLinksAndReportDanglingOnesAsMissing)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    ASSERT_EQ(::mkdir((root + "/sub").constData(), 0755), 0);
    writeRaw(root + "/file", "x");
    ASSERT_EQ(::symlink("sub", (root + "/to-sub").constData()), 0);
    ASSERT_EQ(::symlink("nowhere", (root + "/dangling").constData()), 0);
    auto entries = listFolder(dir.path()).value();
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].name, "dangling");
    EXPECT_EQ(entries[0].kind, FileKind::Missing);
    EXPECT_EQ(entries[1].kind, FileKind::File);
    EXPECT_EQ(entries[2].kind, FileKind::Folder);
    EXPECT_EQ(entries[3].name, "to-sub");
    EXPECT_EQ(entries[3].kind, FileKind::Folder);
    EXPECT_FALSE(listFolder(dir.filePath("file")));
}

TEST(Files, DisplayNamesShowUndecodableBytesInTheAnsiCodePage)
{
    EXPECT_EQ(displayName("/plain/Sorter.dpr"), "/plain/Sorter.dpr");
    const QString shown = displayName(fileNameFromBytes("/x/" + Latin1));
    EXPECT_FALSE(std::any_of(shown.begin(), shown.end(), [](QChar c) { return c.isSurrogate(); }));
    EXPECT_EQ(shown, "/x/" + decodeCodePage(Latin1, ansiCodePage()));
}

TEST(Files, FileUrlsCarryTheNamesBytes)
{
    EXPECT_EQ(fileUrl(fileNameFromBytes("/a b/" + Latin1)).toEncoded(), "file:///a%20b/caf%E9.pas");
    EXPECT_EQ(fileUrl("/x/中.pas").toEncoded(), "file:///x/%E4%B8%AD.pas");
}

} // namespace
