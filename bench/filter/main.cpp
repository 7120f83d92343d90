// Filter benchmark: 100,000 generated project rows, a query typed one letter at a time and
// erased again. Each keystroke is timed for the ranker alone (catalogue::ProjectFilter, as
// typed: narrowing the last result), for the ranker ranking every row afresh (what
// narrowing saves), and in the real main window (ranking plus the rows the list shows, and
// clearing the field); the last line is the window's worst keystroke.
//   bench_filter [--rows N] [--window-only]

#include "common/ProjectRows.h"
#include "common/SilentDialogs.h"

#include "app/KestrabelApplication.h"
#include "app/ProgramWindows.h"
#include "app/ReportList.h"
#include "catalogue/ListFile.h"
#include "catalogue/ProjectFilter.h"
#include "settings/IniFile.h"
#include "settings/ProgramFolder.h"

#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QTemporaryDir>

#include <time.h>

#include <algorithm>
#include <cstdio>

namespace {

int argValue(const QStringList& args, const char* name, int fallback)
{
    const qsizetype at = args.indexOf(QString::fromLatin1(name));
    return at >= 0 && at + 1 < args.size() ? args[at + 1].toInt() : fallback;
}

// The queries of one session: typed letter by letter, then erased letter by letter.
QStringList session(const QString& typed)
{
    QStringList queries;
    for (qsizetype i = 1; i <= typed.size(); ++i)
        queries << typed.left(i);
    for (qsizetype i = typed.size() - 1; i >= 1; --i)
        queries << typed.left(i);
    return queries;
}

struct Figures {
    double growingMax = 0, growingSum = 0, shrinkingMax = 0, shrinkingSum = 0;
    int growing = 0, shrinking = 0;
    void add(bool grows, double ms)
    {
        if (grows) {
            growingMax = std::max(growingMax, ms), growingSum += ms, ++growing;
        } else {
            shrinkingMax = std::max(shrinkingMax, ms), shrinkingSum += ms, ++shrinking;
        }
    }
    void print(const char* what) const
    {
        std::printf("  %-34s growing: mean %6.2f ms, max %6.2f ms; shrinking: mean %6.2f ms, max %6.2f ms\n", what,
                    growingSum / std::max(1, growing), growingMax, shrinkingSum / std::max(1, shrinking), shrinkingMax);
    }
};

// Time spent by this thread: the figure that other work on a shared machine blurs least.
class CpuClock {
public:
    void restart() { m_start = now(); }
    qint64 nsecsElapsed() const { return now() - m_start; }

private:
    static qint64 now()
    {
        timespec t{};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    qint64 m_start = now();
};

double msSince(const CpuClock& clock) { return double(clock.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    KestrabelApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    platform::setDialogs(std::make_unique<kblbench::SilentDialogs>());
    const int count = argValue(app.arguments(), "--rows", 100000);
    const std::vector<ProjectEntry> rows = kblbench::projectRows(count);
    std::printf("%d rows\n", count);

    std::printf("figures: processor time of the benchmark's thread, best of 5 runs\n");
    CpuClock clock;
    std::vector<catalogue::ProjectFilter::Candidate> candidates;
    double prepareMs = 1e30;
    for (int run = 0; run < 5; ++run) {
        candidates.clear();
        candidates.reserve(rows.size());
        clock.restart();
        for (const ProjectEntry& row : rows)
            candidates.push_back(catalogue::ProjectFilter::prepare(
                {row.applicationName, row.executableName, row.projectPath}, int(row.projectPath.size())));
        prepareMs = std::min(prepareMs, msSince(clock));
    }
    std::printf("preparing the rows (once, when the filter field takes the focus): %.2f ms\n", prepareMs);

    // Each session runs five times; every keystroke's figure is its best run, so other
    // work on the machine does not blur the figures.
    constexpr int Runs = 5;
    const QStringList typed = {QStringLiteral("invoice man"), QStringLiteral("clkrpt"), QStringLiteral("acme sales 2")};
    const bool windowOnly = app.arguments().contains(QStringLiteral("--window-only"));
    for (const QString& text : typed) {
        if (windowOnly)
            break;
        const QStringList queries = session(text);
        const size_t n = size_t(queries.size());
        std::vector<double> narrowedMs(n, 1e30), freshMs(n, 1e30), worstRunMs(n, 0);
        std::vector<size_t> shown(n);
        for (int run = 0; run < Runs; ++run) {
            catalogue::ProjectFilter filter;
            filter.setCandidates(candidates);
            for (size_t k = 0; k < n; ++k) {
                const catalogue::FilterQuery query(queries[qsizetype(k)]);
                clock.restart();
                shown[k] = filter.rank(query).size();
                const double ms = msSince(clock);
                narrowedMs[k] = std::min(narrowedMs[k], ms);
                worstRunMs[k] = std::max(worstRunMs[k], ms);
                catalogue::ProjectFilter once;
                once.setCandidates(candidates);
                clock.restart();
                const size_t again = once.rank(query).size();
                freshMs[k] = std::min(freshMs[k], msSince(clock));
                if (again != shown[k])
                    std::printf("  MISMATCH at \"%s\": %zu against %zu\n", qPrintable(queries[qsizetype(k)]), shown[k], again);
            }
        }
        std::printf("session \"%s\" (%zu keystrokes), best of %d runs:\n", qPrintable(text), n, Runs);
        Figures narrowed, fresh, worstRun;
        for (size_t k = 0; k < n; ++k) {
            const bool grows = k < size_t(text.size());
            narrowed.add(grows, narrowedMs[k]);
            fresh.add(grows, freshMs[k]);
            worstRun.add(grows, worstRunMs[k]);
            std::printf("    %-14s %6zu rows  %6.2f ms  (afresh %6.2f ms)\n",
                        qPrintable(u'"' + queries[qsizetype(k)] + u'"'), shown[k], narrowedMs[k], freshMs[k]);
        }
        narrowed.print("ranker, as typed (narrowing):");
        fresh.print("ranker, every row afresh:");
        worstRun.print("ranker, as typed, worst run:");
    }

    // The real window: the saved list of all rows, the query set keystroke by keystroke;
    // each figure is the filtering and the repaint of what the lists show.
    QTemporaryDir programDir;
    program::setFolderOverride(programDir.path());
    writeListFile(programDir.filePath(QStringLiteral("projects.dat")), rows);
    {
        IniFile ini(programDir.filePath(QLatin1String(settings::FileName)));
        ini.write(settings::options::EditRoot, programDir.path() + u'/');
    }
    ProgramWindows windows = createProgramWindows();
    TForm1& form = *windows.form1;
    QCoreApplication::processEvents();
    QElapsedTimer wall;
    wall.start();
    form.focusFilter();
    std::printf("main window, %d rows: preparing at the focus %.2f ms (wall)\n", form.lview->allRowCount(),
                double(wall.nsecsElapsed()) / 1e6);
    // The worst keystroke of every session in the window, the field's clearing included.
    // Each keystroke's figure is its best of three runs, as for the ranker; before each run
    // the field loses and takes the focus, so the filter keeps no result of the last one.
    constexpr int WindowRuns = 3;
    const auto refocus = [&form] {
        QFocusEvent out(QEvent::FocusOut), in(QEvent::FocusIn);
        QCoreApplication::sendEvent(form.EditFilter, &out);
        QCoreApplication::sendEvent(form.EditFilter, &in);
    };
    double worstKeystroke = 0;
    for (const QString& text : typed) {
        const QStringList queries = session(text);
        const size_t n = size_t(queries.size());
        std::vector<double> wallMs(n, 1e30), cpuMs(n, 1e30);
        double clearMs = 1e30;
        CpuClock cpu;
        for (int run = 0; run < WindowRuns; ++run) {
            refocus();
            for (size_t k = 0; k < n; ++k) {
                wall.restart();
                cpu.restart();
                form.EditFilter->setText(queries[qsizetype(k)]);
                form.EditFilterChange();
                form.lview->viewport()->repaint();
                wallMs[k] = std::min(wallMs[k], double(wall.nsecsElapsed()) / 1e6);
                cpuMs[k] = std::min(cpuMs[k], msSince(cpu));
            }
            // Esc: every row back in the list's own order, and the repaint of the first screen.
            wall.restart();
            form.clearFilter();
            form.lview->viewport()->repaint();
            clearMs = std::min(clearMs, double(wall.nsecsElapsed()) / 1e6);
        }
        Figures figures, cpuFigures;
        size_t worst = 0;
        for (size_t k = 0; k < n; ++k) {
            figures.add(k < size_t(text.size()), wallMs[k]);
            cpuFigures.add(k < size_t(text.size()), cpuMs[k]);
            if (wallMs[k] > wallMs[worst])
                worst = k;
        }
        worstKeystroke = std::max({worstKeystroke, wallMs[worst], clearMs});
        std::printf("session \"%s\" in the window (best of %d runs; worst \"%s\"):\n", qPrintable(text), WindowRuns,
                    qPrintable(queries[qsizetype(worst)]));
        figures.print("filter + repaint, wall:");
        cpuFigures.print("filter + repaint, thread time:");
        std::printf("  clearing the field (all %d rows back) + repaint: %.2f ms wall\n", form.lview->rowCount(), clearMs);
    }
    {
        // What entering and leaving a subset costs the list itself.
        const std::vector<QTreeWidgetItem*> all = form.lview->allRows();
        const std::vector<QTreeWidgetItem*> few(all.begin(), all.begin() + 2000);
        wall.restart();
        form.lview->showOnlyRows(few);
        const double enter = double(wall.nsecsElapsed()) / 1e6;
        wall.restart();
        form.lview->viewport()->repaint();
        const double paint = double(wall.nsecsElapsed()) / 1e6;
        wall.restart();
        form.lview->showAllRows();
        const double leave = double(wall.nsecsElapsed()) / 1e6;
        std::printf("the list alone: into a subset %.2f ms, its repaint %.2f ms, back to all rows %.2f ms (wall)\n",
                    enter, paint, leave);
    }
    std::printf("worst keystroke in the window, filter + repaint (target 16 ms): %.2f ms\n", worstKeystroke);
    form.close();
    return 0;
}
