// Scan benchmark: builds a project tree in a temporary folder, then times the real scan
// run of the real main window (offscreen) until it completes, and `find ROOT -iname '*.dpr'
// -type f -exec cat {} +`, fd and bfs on the same tree, warm cache, best of 5 each; first
// on a tree of 100,000 folders, then on one of 20,000, whose ratio to fd is the last line.
//   bench_scan [--folders N] [--projects N] [--depth N] [--runs N] [--large N] [--keep]
//              [--trees DIR]
// --trees keeps the trees in DIR/<folders>, built there when missing, so that repeated
// runs skip building them.

#include "Measure.h"
#include "Tree.h"

#include "settings/IniFile.h"
#include "app/KestrabelApplication.h"
#include "settings/ProgramFolder.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "catalogue/FileSearch.h"
#include "catalogue/ProjectSource.h"
#include "catalogue/TreeWalk.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

// The search and the project reader alone, without a window: the floor of the scan. As
// in the window, the walkers read each project while its folder is open.
struct ReadProject final : catalogue::MatchNote {
    ProjectTexts texts;
};

struct EngineRun {
    TFileSearch search;
    std::mutex mutex;
    std::condition_variable done;
    int completions = 0;
    std::atomic<int> rows{0};

    EngineRun()
    {
        search.setMatchReader([](const catalogue::MatchedEntry& match) {
            auto note = std::make_unique<ReadProject>();
            note->texts = ReadProjectTexts(match.folder, match.entries, match.name);
            return std::unique_ptr<catalogue::MatchNote>(std::move(note));
        });
        QObject::connect(&search, &TFileSearch::OnMatchFound, &search,
            [this](QObject* sender, qint32, qint32, qint32, const QString& file) {
                const auto* read = dynamic_cast<const ReadProject*>(static_cast<TFileSearchThread*>(sender)->matchNote());
                const ProjectTexts texts = read ? read->texts : ReadProjectTexts(file);
                if (!texts.applicationName.isEmpty() || !texts.executableName.isEmpty())
                    ++rows;
            }, Qt::DirectConnection);
        QObject::connect(&search, &TFileSearch::OnComplete, &search, [this](QObject*) {
            std::lock_guard lock(mutex);
            ++completions;
            done.notify_all();
        }, Qt::DirectConnection);
    }
    void run(const QString& root)
    {
        std::unique_lock lock(mutex);
        const int before = completions;
        rows = 0;
        search.setInitialDir(root);
        search.setFileMask(QStringLiteral("*.dpr"));
        search.setSearchSubDirectories(true);
        lock.unlock();
        search.Start();
        lock.lock();
        done.wait(lock, [&] { return completions > before; });
    }
};

// After a scan the program walks the tree once more to watch it and marks the rows
// builds, on threads of its own. A user's next scan starts on a program that has done
// so; a timed scan that overlapped the last one's tail would measure both. Untimed: the
// event loop runs until the tree is watched and no marks have come for 100 ms (at most
// 10 s).
void settle(TForm1& form)
{
    bool following = false;
    QElapsedTimer lastMarks;
    lastMarks.start();
    const auto watched = QObject::connect(&form, &TForm1::catalogueFollowing, [&] { following = true; });
    const auto noLonger = QObject::connect(&form, &TForm1::catalogueNoLongerFollowing, [&] { following = true; });
    const auto marked = QObject::connect(&form, &TForm1::buildMarksApplied, [&] { lastMarks.restart(); });
    QElapsedTimer limit;
    limit.start();
    while (limit.elapsed() < 10000 && (!following || lastMarks.elapsed() < 100))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QObject::disconnect(watched);
    QObject::disconnect(noLonger);
    QObject::disconnect(marked);
}

// One press of the scan button, then the event loop until the scan has completed.
double scanOnce(TForm1& form)
{
    QElapsedTimer clock;
    clock.start();
    form.SButScanClick();
    // Blocks between events as the program's own loop does; the overload with a time
    // limit drops WaitForMoreEvents and would spin a core away from the scan.
    while (form.isScanning())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    settle(form);
    return seconds;
}

int argValue(const QStringList& args, const char* name, int fallback)
{
    const qsizetype at = args.indexOf(QString::fromLatin1(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

// The figures of one tree: the window's scan, the engine alone and the three peers.
struct TreeFigures {
    double scan = 0, engine = 0, find = 0, fd = 0, bfs = 0;
};

TreeFigures measureTree(TForm1& form, const QString& programFolder, const TreeShape& shape, int runs, bool keep,
                        const QString& trees)
{
    QTemporaryDir dir;
    dir.setAutoRemove(!keep);
    const QString root = trees.isEmpty() ? dir.path() + QStringLiteral("/work")
                                         : trees + u'/' + QString::number(shape.folders) + QStringLiteral("/work");
    if (!trees.isEmpty() && QFileInfo::exists(root + QStringLiteral("/.complete"))) {
        std::printf("tree: %s (kept from an earlier run)\n", qPrintable(root));
    } else {
        QDir(root).removeRecursively();
        QDir().mkpath(root);
        const TreeCounts counts = buildTree(root, shape);
        std::printf("tree: %s\n  %d folders (%d walked), %d projects (%d listed), depth up to %d\n",
                    qPrintable(root), counts.folders, counts.walked, counts.projects, counts.listed, shape.maxDepth);
        if (!trees.isEmpty()) {
            // Hidden, so no scan and no peer enters it.
            QFile marker(root + QStringLiteral("/.complete"));
            if (!marker.open(QIODevice::WriteOnly))
                std::fprintf(stderr, "cannot mark %s as complete\n", qPrintable(root));
        }
    }
    IniFile(programFolder + u'/' + QLatin1String(settings::FileName)).write(settings::options::EditRoot, root + u'/');
    form.LabelRoot->setText(root);

    TreeFigures figures;
    const long rssBefore = residentKiB();
    scanOnce(form); // warms the cache
    const long rssAfterFirst = residentKiB();
    figures.scan = 1e30;
    for (int i = 0; i < runs; ++i)
        figures.scan = std::min(figures.scan, scanOnce(form));
    std::printf("scan (main window, offscreen): %.3f s, %d rows, status \"%s\" / \"%s\"\n", figures.scan,
                form.lview->rowCount(), qPrintable(form.status->panelText(0)), qPrintable(form.status->panelText(2)));
    const long rssAfterScans = residentKiB();

    EngineRun engine;
    engine.run(root); // warms the cache
    figures.engine = bestOf(runs, [&] { engine.run(root); });
    std::printf("engine (search + reader, no window): %.3f s, %d rows\n", figures.engine, engine.rows.load());

    runFindCat(root);
    figures.find = bestOf(runs, [&] { runFindCat(root); });
    std::printf("find -iname '*.dpr' -type f -exec cat: %.3f s\n", figures.find);
    if (const QString fd = fdProgram(); !fd.isEmpty()) {
        // fd takes a pattern before the folder; "." matches every name.
        const QStringList args{"--no-ignore", "--type", "f", "--extension", "dpr", ".", root};
        const int found = runCounting(fd, args);
        figures.fd = bestOf(runs, [&] { runCounting(fd, args); });
        std::printf("fd --no-ignore --type f --extension dpr . ROOT: %.3f s, %d files\n", figures.fd, found);
    }
    if (const QString bfs = bfsProgram(); !bfs.isEmpty()) {
        const QStringList args{root, "-nohidden", "-iname", "*.dpr"};
        const int found = runCounting(bfs, args);
        figures.bfs = bestOf(runs, [&] { runCounting(bfs, args); });
        std::printf("bfs -nohidden -iname '*.dpr': %.3f s, %d files\n", figures.bfs, found);
    }
    std::printf("peak memory: %ld KiB; resident before the scans %ld KiB, after the first %ld KiB, after %d more %ld KiB\n",
                peakResidentKiB(), rssBefore, rssAfterFirst, runs, rssAfterScans);
    form.lview->clear();
    return figures;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KestrabelApplication app(argc, argv);
    const QStringList args = app.arguments();
    TreeShape shape;
    shape.folders = argValue(args, "--folders", shape.folders);
    shape.projects = argValue(args, "--projects", shape.projects);
    shape.maxDepth = argValue(args, "--depth", shape.maxDepth);
    const int runs = argValue(args, "--runs", 5);
    const int large = argValue(args, "--large", 100000); // 0 leaves the large tree out
    const bool keep = args.contains(QStringLiteral("--keep"));
    const qsizetype treesAt = args.indexOf(QStringLiteral("--trees"));
    const QString trees = treesAt >= 0 && treesAt + 1 < args.size() ? args[treesAt + 1] : QString();

    // The program's folder, with a settings file naming each tree's root in turn.
    QTemporaryDir programDir;
    program::setFolderOverride(programDir.path());
    ProgramWindows windows = createProgramWindows();
    TForm1& form = *windows.form1;

    if (large > 0) {
        TreeShape big = shape;
        big.folders = large;
        big.projects = shape.projects * large / std::max(shape.folders, 1);
        const TreeFigures figures = measureTree(form, programDir.path(), big, std::max(2, runs / 2), keep, trees);
        if (figures.fd > 0)
            std::printf("ratio scan/fd (%d folders): %.2f\n", large, figures.scan / figures.fd);
    }
    const TreeFigures figures = measureTree(form, programDir.path(), shape, runs, keep, trees);
    std::printf("ratio engine/find: %.2f\n", figures.engine / figures.find);
    std::printf("ratio scan/find: %.2f\n", figures.scan / figures.find);
    if (figures.bfs > 0)
        std::printf("ratio scan/bfs: %.2f\n", figures.scan / figures.bfs);
    if (figures.fd > 0)
        std::printf("ratio scan/fd: %.2f\n", figures.scan / figures.fd);
    windows.form1->close();
    return 0;
}
