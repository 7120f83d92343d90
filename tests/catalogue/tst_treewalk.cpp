// The walk on several threads against a plain recursive walk on one: the same records in
// the same order, however many walkers share the tree and however little they may find
// ahead of the caller.

#include "catalogue/TreeWalk.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstdio>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <random>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using catalogue::TreeWalkOptions;

namespace {

bool isProjectName(const std::string& name)
{
    if (name.size() < 4)
        return false;
    std::string tail = name.substr(name.size() - 4);
    for (char& c : tail)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return tail == ".dpr";
}

std::string matchLine(const std::string& path, long long size) { return "M:" + path + ":" + std::to_string(size); }

// The rules walked the simplest way: recursion, one folder at a time.
void referenceWalk(const std::string& path, bool report, std::vector<std::pair<dev_t, ino_t>>& onPath,
                   std::vector<std::string>& out)
{
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string full = path + "/" + name;
        struct stat st {};
        const bool followed = ::stat(full.c_str(), &st) == 0;
        if (report && isProjectName(name) && (followed || ::lstat(full.c_str(), &st) == 0))
            out.push_back(matchLine(full, (long long)st.st_size));
        if (name[0] != '.' && followed && S_ISDIR(st.st_mode))
            folders.push_back(name);
    }
    ::closedir(dir);
    for (const std::string& name : folders) {
        const std::string full = path + "/" + name;
        const int fd = ::open(full.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st {};
        if (fd >= 0 && ::fstat(fd, &st) == 0) {
            bool loop = false;
            for (const auto& [device, inode] : onPath)
                loop = loop || (device == st.st_dev && inode == st.st_ino);
            if (loop) {
                ::close(fd);
                continue;
            }
        }
        out.push_back("P:" + full);
        if (fd < 0)
            continue;
        ::close(fd);
        onPath.emplace_back(st.st_dev, st.st_ino);
        referenceWalk(full, true, onPath, out);
        onPath.pop_back();
    }
}

std::vector<std::string> reference(const std::string& root)
{
    std::vector<std::string> out;
    std::vector<std::pair<dev_t, ino_t>> onPath;
    struct stat st {};
    if (::stat(root.c_str(), &st) == 0)
        onPath.emplace_back(st.st_dev, st.st_ino);
    referenceWalk(root, false, onPath, out);
    return out;
}

// What a walker saw of a match while its folder was open.
struct SeenNote final : catalogue::MatchNote {
    std::string path;
    bool hadEntries = false;
    bool listsItself = false;
    bool listsExecutable = false;
    bool executableThere = false; // asked of the open folder
};

// Records the walk; can slow the walkers or the caller, and stop after a count.
class Recorder final : public catalogue::TreeWalkVisitor {
public:
    bool notesMatches() const override { return noting; }
    std::unique_ptr<catalogue::MatchNote> noteMatch(const catalogue::MatchedEntry& match) const override
    {
        auto note = std::make_unique<SeenNote>();
        note->path = match.path.toByteArray().toStdString();
        note->hadEntries = match.entries != nullptr;
        if (!match.entries) {
            ++withoutEntries;
            return note;
        }
        note->listsItself = match.entries->find(QByteArrayView(match.name)).has_value();
        std::string executable(match.name);
        executable.replace(executable.size() - 4, 4, ".exe");
        note->listsExecutable = match.entries->find(QByteArrayView(executable)).has_value();
        struct stat st {};
        note->executableThere = ::fstatat(match.folder.descriptor(), executable.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0;
        return note;
    }
    // Asked by the walkers too: the count, not the lines.
    bool cancelled() const override { return stopAfter >= 0 && recorded.load() >= stopAfter; }
    bool matches(QByteArrayView name) const override
    {
        examined.fetch_add(1, std::memory_order_relaxed);
        if (slowWalkers)
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        return isProjectName(name.toByteArray().toStdString());
    }
    void folder(QByteArrayView path) override
    {
        EXPECT_FALSE(cancelled()) << "a record after the stop";
        if (lines.empty() && pauseFirst) {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            examinedDuringPause = examined.load();
        }
        lines.push_back("P:" + path.toByteArray().toStdString());
        ++recorded;
    }
    void match(QByteArrayView path, const platform::EntryInfo& info, const catalogue::MatchNote* note) override
    {
        EXPECT_FALSE(cancelled()) << "a record after the stop";
        const auto* seen = dynamic_cast<const SeenNote*>(note);
        EXPECT_EQ(seen != nullptr, noting);
        if (seen) {
            EXPECT_EQ(seen->path, path.toByteArray().toStdString());
            EXPECT_EQ(seen->hadEntries, keptEntries > 0) << seen->path;
            if (seen->hadEntries) {
                EXPECT_TRUE(seen->listsItself) << seen->path;
                EXPECT_EQ(seen->listsExecutable, seen->executableThere) << seen->path;
            }
        }
        lines.push_back(matchLine(path.toByteArray().toStdString(), info.size));
        ++recorded;
    }

    std::vector<std::string> lines;
    std::atomic<int> recorded{0};
    int stopAfter = -1;
    bool noting = false;
    std::size_t keptEntries = 8192; // what the walk is told; 0: it keeps none
    mutable std::atomic<int> withoutEntries{0};
    bool slowWalkers = false;
    bool pauseFirst = false;
    int examinedDuringPause = -1;
    mutable std::atomic<int> examined{0};
};

void makeFolder(const std::string& path) { ASSERT_EQ(::mkdir(path.c_str(), 0755), 0) << path; }

void makeFile(const std::string& path, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    const std::string content(size, 'x');
    ASSERT_EQ(::write(fd, content.data(), content.size()), ssize_t(content.size()));
    ::close(fd);
}

// A tree of the shapes real ones have and hostile ones try: dotted and hidden folders,
// names that are not UTF-8, links up (loops), across and nowhere, files that look like
// folders, a pipe with a project's name; projects of every size so that each record's
// details can be told apart.
struct Tree {
    QTemporaryDir dir;
    std::string root = QFile::encodeName(dir.path()).toStdString();
    int folders = 0;

    // Qt cannot remove names that are not UTF-8.
    ~Tree()
    {
        ::nftw(root.c_str(), [](const char* path, const struct stat*, int, FTW*) { return ::remove(path); }, 32,
               FTW_DEPTH | FTW_PHYS);
    }

    explicit Tree(int count) { grow(count); }

    void grow(int count)
    {
        std::mt19937 random(20261209);
        std::vector<std::string> made{root};
        makeFolder(root + "/targets");
        makeFolder(root + "/targets/t");
        makeFile(root + "/targets/t/linked.dpr", 7);
        std::size_t size = 1;
        for (int i = 0; i < count; ++i) {
            // Mostly below a recent folder: deep chains and wide levels.
            const std::string parent = random() % 3 == 0 ? made[random() % made.size()]
                                                          : made[made.size() - 1 - random() % std::min<std::size_t>(made.size(), 20)];
            const unsigned kind = random() % 20;
            std::string name = kind < 2    ? "v1." + std::to_string(i)
                               : kind == 2 ? ".hidden" + std::to_string(i)
                               : kind < 5  ? "caf\xE9 " + std::to_string(i)
                                           : "Folder " + std::to_string(i);
            const std::string path = parent + "/" + name;
            makeFolder(path);
            ++folders;
            made.push_back(path);
            const unsigned extra = random() % 12;
            if (extra < 5) {
                makeFile(path + "/p" + std::to_string(i) + (extra == 0 ? ".DPR" : ".dpr"), size++);
                if (extra % 2 == 1)
                    makeFile(path + "/p" + std::to_string(i) + ".exe", 1);
            } else if (extra == 5) {
                makeFile(path + "/Makefile", 3);
            }
            if (extra == 6) {
                ASSERT_EQ(::symlink(root.c_str(), (path + "/up").c_str()), 0);
            } else if (extra == 7) {
                ASSERT_EQ(::symlink(parent.c_str(), (path + "/parent").c_str()), 0);
            } else if (extra == 8) {
                ASSERT_EQ(::symlink((root + "/targets/t").c_str(), (path + "/across").c_str()), 0);
            } else if (extra == 9) {
                ASSERT_EQ(::symlink((root + "/none").c_str(), (path + "/dangling.dpr").c_str()), 0);
            } else if (extra == 10) {
                ASSERT_EQ(::mkfifo((path + "/pipe.dpr").c_str(), 0644), 0);
            }
        }
    }
};

std::vector<std::string> walk(const std::string& root, Recorder& recorder, int walkers, std::size_t aheadLimit,
                              catalogue::TreeWalkCounts* counts = nullptr, std::size_t batchRecords = 256)
{
    TreeWalkOptions options;
    options.keptEntries = recorder.keptEntries;
    options.walkers = walkers;
    options.aheadLimit = aheadLimit;
    options.batchRecords = batchRecords;
    const catalogue::TreeWalkCounts done = catalogue::walkTree(QByteArray::fromStdString(root), recorder, options);
    if (counts)
        *counts = done;
    return recorder.lines;
}

} // namespace

// One tree for the suite: folders are slow to make and remove on some disks.
class TreeWalkTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        tree_ = new Tree(2000);
        expected_ = new std::vector<std::string>(reference(tree_->root));
    }
    static void TearDownTestSuite()
    {
        delete expected_;
        delete tree_;
    }
    static const std::string& root() { return tree_->root; }
    static const std::vector<std::string>& expected() { return *expected_; }

private:
    static inline Tree* tree_ = nullptr;
    static inline std::vector<std::string>* expected_ = nullptr;
};

TEST_F(TreeWalkTest, AnyNumberOfWalkersGivesTheRecordsOfOneInItsOrder)
{
    ASSERT_GT(expected().size(), 1200u);
    const int announced = int(std::count_if(expected().begin(), expected().end(), [](const std::string& l) { return l[0] == 'P'; }));
    struct Case {
        int walkers;
        std::size_t aheadLimit;
        std::size_t batchRecords;
    };
    for (const Case c : {Case{1, 32768, 256}, Case{2, 32768, 256}, Case{2, 1, 1}, Case{3, 40, 7}, Case{4, 300, 64},
                         Case{8, 5, 3}}) {
        for (int round = 0; round < 4; ++round) {
            Recorder recorder;
            // Matches noted by the walkers while their folders are open come in the same order.
            recorder.noting = round == 3;
            catalogue::TreeWalkCounts counts;
            EXPECT_EQ(walk(root(), recorder, c.walkers, c.aheadLimit, &counts, c.batchRecords), expected())
                << c.walkers << " walkers, " << c.aheadLimit << " ahead, batches of " << c.batchRecords;
            // Each folder entered is listed once, and so is the start folder.
            EXPECT_EQ(counts.foldersListed, announced + 1);
        }
    }
}

TEST_F(TreeWalkTest, AFolderOfMoreEntriesThanAreKeptHasItsMatchesNotedWithoutThem)
{
    Recorder recorder;
    recorder.noting = true;
    recorder.keptEntries = 0;
    EXPECT_EQ(walk(root(), recorder, 2, 64, nullptr, 16), expected());
    EXPECT_GT(recorder.withoutEntries.load(), 0);
}

TEST_F(TreeWalkTest, WalkersTakeWorkFromEachOtherAndKeepTheOrder)
{
    // Walkers slowed down: the others have every chance to take work from the first.
    int taken = 0;
    for (int round = 0; round < 3 && taken == 0; ++round) {
        Recorder recorder;
        recorder.slowWalkers = true;
        catalogue::TreeWalkCounts counts;
        EXPECT_EQ(walk(root(), recorder, 4, 50, &counts, 16), expected());
        taken += counts.foldersTaken;
    }
    EXPECT_GT(taken, 0);
}

TEST_F(TreeWalkTest, StoppingEndsTheRecordsAtOnce)
{
    for (int walkers : {1, 2, 4}) {
        for (int stopAfter : {0, 1, 2, 17, 300, int(expected().size()) - 1}) {
            Recorder recorder;
            recorder.stopAfter = stopAfter;
            EXPECT_EQ(walk(root(), recorder, walkers, 64, nullptr, 16),
                      std::vector<std::string>(expected().begin(), expected().begin() + stopAfter))
                << walkers << " walkers, stopped after " << stopAfter;
        }
    }
}

TEST_F(TreeWalkTest, WalkersGoOnlyBoundedlyFarAheadOfASlowCaller)
{
    Recorder recorder;
    recorder.pauseFirst = true; // the caller's first record takes long
    EXPECT_EQ(walk(root(), recorder, 2, 4, nullptr, 4), expected());
    const int total = recorder.examined.load();
    // What the walkers looked at while the caller was held up: what they may find ahead
    // (each walker a batch in hand, the caller's part and the rest a few records each),
    // some tens of records of a few entries, not the whole tree.
    EXPECT_LT(recorder.examinedDuringPause, total / 10) << "of " << total;
}

TEST(TreeWalk, StartFoldersThatCannotBeOpenedGiveNothing)
{
    Recorder recorder;
    EXPECT_TRUE(walk("/nonexistent/kestrabel", recorder, 2, 64).empty());
    QTemporaryDir dir;
    const std::string file = QFile::encodeName(dir.path()).toStdString() + "/plain.dpr";
    makeFile(file, 1);
    EXPECT_TRUE(walk(file, recorder, 2, 64).empty());
}
