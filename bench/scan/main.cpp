// Scan benchmark: builds a project tree in a temporary folder, then times the real scan
// run of the real main window (offscreen) until it completes, and `find ROOT -iname '*.dpr'
// -type f -exec cat {} +` on the same tree, warm cache, best of 5 each.
//   bench_scan [--folders N] [--projects N] [--depth N] [--runs N] [--keep]

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

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QTemporaryDir>

#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

// The search and the project reader alone, without a window: the floor of the scan.
struct EngineRun {
    TFileSearch search;
    std::mutex mutex;
    std::condition_variable done;
    int completions = 0;
    std::atomic<int> rows{0};

    EngineRun()
    {
        QObject::connect(&search, &TFileSearch::OnMatchFound, &search,
            [this](QObject*, qint32, qint32, qint32, const QString& file) {
                const QString name = ReadApplicationName(file);
                const QString exe = FindExecutableName(file);
                if (!name.isEmpty() || !exe.isEmpty())
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

// One press of the scan button, then the event loop until the scan has completed.
double scanOnce(TForm1& form)
{
    QElapsedTimer clock;
    clock.start();
    form.SButScanClick();
    while (!form.PanelTop->isEnabled())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return double(clock.nsecsElapsed()) / 1e9;
}

int argValue(const QStringList& args, const char* name, int fallback)
{
    const qsizetype at = args.indexOf(QString::fromLatin1(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
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

    QTemporaryDir dir;
    dir.setAutoRemove(!args.contains(QStringLiteral("--keep")));
    const QString root = dir.path() + QStringLiteral("/work");
    QDir().mkpath(root);
    const TreeCounts counts = buildTree(root, shape);
    std::printf("tree: %s\n  %d folders (%d walked), %d projects (%d listed), depth up to %d\n",
                qPrintable(root), counts.folders, counts.walked, counts.projects, counts.listed, shape.maxDepth);

    // The program's folder with a settings file naming the root.
    QTemporaryDir programDir;
    program::setFolderOverride(programDir.path());
    {
        IniFile ini(programDir.filePath(QLatin1String(settings::FileName)));
        ini.write(settings::options::EditRoot, root + u'/');
    }
    ProgramWindows windows = createProgramWindows();
    TForm1& form = *windows.form1;

    const long rssBefore = residentKiB();
    scanOnce(form); // warms the cache
    const long rssAfterFirst = residentKiB();
    double scanTime = 1e30;
    for (int i = 0; i < runs; ++i)
        scanTime = std::min(scanTime, scanOnce(form));
    std::printf("scan (main window, offscreen): %.3f s, %d rows, status \"%s\" / \"%s\"\n", scanTime,
                form.lview->rowCount(), qPrintable(form.status->panelText(0)), qPrintable(form.status->panelText(2)));
    const long rssAfterScans = residentKiB();

    EngineRun engine;
    engine.run(root); // warms the cache
    const double engineTime = bestOf(runs, [&] { engine.run(root); });
    std::printf("engine (search + reader, no window): %.3f s, %d rows\n", engineTime, engine.rows.load());

    runFindCat(root);
    const double findTime = bestOf(runs, [&] { runFindCat(root); });
    std::printf("find -iname '*.dpr' -type f -exec cat: %.3f s\n", findTime);

    std::printf("peak memory: %ld KiB; resident before the scans %ld KiB, after the first %ld KiB, after %d more %ld KiB\n",
                peakResidentKiB(), rssBefore, rssAfterFirst, runs, rssAfterScans);
    std::printf("ratio engine/find: %.2f\n", engineTime / findTime);
    std::printf("ratio scan/find: %.2f\n", scanTime / findTime);
    windows.form1->close();
    return 0;
}
