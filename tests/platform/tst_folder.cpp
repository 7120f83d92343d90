// Listing folders: every entry once, however many reads it takes and whether or not the
// file system marks where a listing ends; a listing's entries found again by name.
#include "platform/Folder.h"

#include <QFile>
#include <QTemporaryDir>

#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace platform;

namespace {

std::map<std::string, EntryType> listAll(FolderLister& lister)
{
    std::map<std::string, EntryType> seen;
    FolderLister::Entry entry;
    while (lister.next(entry)) {
        const bool fresh = seen.emplace(entry.name.toByteArray().toStdString(), entry.type).second;
        EXPECT_TRUE(fresh) << "listed twice: " << entry.name.toByteArray().toStdString();
    }
    return seen;
}

std::map<std::string, EntryType> listAll(const FolderHandle& folder, bool endMarked)
{
    FolderLister lister;
    lister.begin(folder, endMarked);
    return listAll(lister);
}

} // namespace

TEST(FolderListing, EveryEntryOnceOverManyReadsWithOrWithoutAnEndMark)
{
    QTemporaryDir dir;
    const QByteArray root = QFile::encodeName(dir.path());
    // Long names: the listing takes several reads of the lister's buffer.
    constexpr int files = 3000;
    const std::string pad(80, 'n');
    for (int i = 0; i < files; ++i) {
        const std::string path = root.toStdString() + "/" + pad + std::to_string(i) + ".dpr";
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    ASSERT_EQ(::mkdir((root + "/sub").constData(), 0755), 0);
    ASSERT_EQ(::symlink("sub", (root + "/link").constData()), 0);

    // Whatever this file system is, a listing trusted to mark its end loses nothing.
    for (const bool endMarked : {false, true, FolderHandle::open(root).marksListingEnd()}) {
        const FolderHandle folder = FolderHandle::open(root); // a listing reads a handle once
        ASSERT_TRUE(folder.isValid());
        const auto seen = listAll(folder, endMarked);
        EXPECT_EQ(seen.size(), std::size_t(files) + 2) << endMarked;
        EXPECT_EQ(seen.count("."), 0u);
        EXPECT_EQ(seen.count(".."), 0u);
        ASSERT_EQ(seen.count("sub"), 1u);
        EXPECT_EQ(seen.at("sub"), EntryType::Folder);
        ASSERT_EQ(seen.count("link"), 1u);
        EXPECT_EQ(seen.at("link"), EntryType::Link);
        EXPECT_EQ(seen.count(pad + "2999.dpr"), 1u);
    }
    // Told the folder's id, the lister asks its device itself, once: twice the same.
    FolderLister lister;
    for (int round = 0; round < 2; ++round) {
        const FolderHandle folder = FolderHandle::open(root);
        lister.begin(folder, folder.id());
        EXPECT_EQ(listAll(lister).size(), std::size_t(files) + 2) << round;
    }
    // A small folder, listed in one read.
    const FolderHandle sub = FolderHandle::open(root + "/sub");
    EXPECT_TRUE(listAll(sub, true).empty());
    EXPECT_FALSE(FolderHandle().marksListingEnd());
}

TEST(FolderListing, EntriesAreFoundByTheirWholeName)
{
    FolderEntries entries;
    for (const char* name : {"Tool", "Tool.exe", "a", "Zeta.scr", "tool.EXE", "Sub"})
        entries.add(name, name[0] == 'S' ? EntryType::Folder : EntryType::File);
    entries.add("Link.exe", EntryType::Link);
    entries.index();
    EXPECT_EQ(entries.find("Tool.exe"), EntryType::File);
    EXPECT_EQ(entries.find("tool.EXE"), EntryType::File);
    EXPECT_EQ(entries.find("Tool"), EntryType::File);
    EXPECT_EQ(entries.find("Sub"), EntryType::Folder);
    EXPECT_EQ(entries.find("Link.exe"), EntryType::Link);
    EXPECT_EQ(entries.find("a"), EntryType::File);
    // Neither a part, nor more, nor another letter case.
    EXPECT_FALSE(entries.find("Tool.ex"));
    EXPECT_FALSE(entries.find("Tool.exe2"));
    EXPECT_FALSE(entries.find("TOOL.EXE"));
    EXPECT_FALSE(entries.find(""));
    entries.clear();
    entries.index();
    EXPECT_FALSE(entries.find("Tool"));
}
