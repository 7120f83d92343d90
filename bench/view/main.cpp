// Opens a 20 MB Pascal text in the styled text view (offscreen) and, in the same run, in a
// QsciScintilla with the Pascal lexer, and prints for each: time to the first painted
// screen, the longest event-loop stall while the rest is laid out and highlighted, the
// time until all of it is, and the time to show the last line from a fresh load.
#include "PascalCorpus.h"

#include "highlight/OOPHighlighter.h"
#include "textview/TStyledMemo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#ifdef KBL_HAVE_QSCINTILLA
#include <Qsci/qscilexerpascal.h>
#include <Qsci/qsciscintilla.h>
#endif

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Figures {
    double firstScreen = 0; // ms
    double longestStall = 0;
    double allDone = 0;
    double lastLine = 0;
};

double ms(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e6; }

// Runs the event loop until done() holds; returns the longest gap between two ticks of a
// zero timer, i.e. the longest time the loop could not answer.
double runLoopUntil(const std::function<bool()>& done, double* elapsed, double timeoutMs)
{
    QElapsedTimer all;
    all.start();
    QElapsedTimer gap;
    gap.start();
    double worst = 0;
    QTimer tick;
    tick.setInterval(0);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        worst = std::max(worst, ms(gap));
        gap.restart();
    });
    tick.start();
    while (!done() && ms(all) < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    *elapsed = ms(all);
    return worst;
}

QFont benchFont()
{
    QFont f(QStringLiteral("DejaVu Sans Mono"));
    f.setPixelSize(14);
    return f;
}

Figures runOurs(const QString& text)
{
    Figures f;
    kbl::TOOPHighlighter hl;
    kbl::applyFileViewerStyles(hl);
    kbl::TStyledMemo memo;
    memo.setFont(benchFont());
    memo.ReadOnly = true;
    memo.setHideSelection(false);
    memo.setScrollBars(kbl::ssVertical);
    memo.resize(1000, 800);
    memo.show();
    memo.document().setHighlighter(&hl);
    QCoreApplication::processEvents();

    QElapsedTimer t;
    t.start();
    memo.setText(text);
    memo.viewport()->repaint();
    f.firstScreen = ms(t);
    double total = 0;
    f.longestStall = runLoopUntil([&] { return !memo.backgroundWorkPending(); }, &total, 600000);
    f.allDone = f.firstScreen + total;

    memo.setText(u"");
    QCoreApplication::processEvents();
    memo.setText(text);
    memo.viewport()->repaint();
    t.restart();
    memo.setSelPar(memo.document().paragraphCount() - 1);
    memo.ScrollInView();
    memo.viewport()->repaint();
    f.lastLine = ms(t);
    std::printf("ours: %d paragraphs, %lld display lines at the end\n", memo.document().paragraphCount(),
                static_cast<long long>(memo.DisplayLineCount()));
    return f;
}

#ifdef KBL_HAVE_QSCINTILLA
Figures runScintilla(const QString& text)
{
    Figures f;
    QsciScintilla sci;
    QsciLexerPascal lexer;
    lexer.setDefaultFont(benchFont());
    sci.setLexer(&lexer);
    sci.setReadOnly(false);
    sci.setWrapMode(QsciScintilla::WrapWord);
    sci.SendScintilla(QsciScintillaBase::SCI_SETIDLESTYLING, 3 /* SC_IDLESTYLING_ALL */);
    sci.resize(1000, 800);
    sci.show();
    QCoreApplication::processEvents();

    const long length = long(text.toUtf8().size());
    QElapsedTimer t;
    t.start();
    sci.setText(text);
    sci.viewport()->repaint();
    f.firstScreen = ms(t);
    double total = 0;
    f.longestStall = runLoopUntil(
        [&] { return sci.SendScintilla(QsciScintillaBase::SCI_GETENDSTYLED) >= length; }, &total, 600000);
    f.allDone = f.firstScreen + total;

    sci.setText(QString());
    QCoreApplication::processEvents();
    sci.setText(text);
    sci.viewport()->repaint();
    t.restart();
    const int last = sci.lines() - 1;
    sci.setCursorPosition(last, 0);
    sci.ensureLineVisible(last);
    sci.viewport()->repaint();
    f.lastLine = ms(t);
    return f;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const qsizetype size = argc > 1 ? qsizetype(std::atof(argv[1]) * 1024 * 1024) : 20 * 1024 * 1024;
    const QString text = kblbench::pascalCorpus(size);
    std::printf("text: %.1f MB, %lld characters\n", double(text.size()) / (1024 * 1024),
                static_cast<long long>(text.size()));

    const Figures ours = runOurs(text);
    std::printf("%-34s %12s %12s\n", "", "ours", "QScintilla");
#ifdef KBL_HAVE_QSCINTILLA
    const Figures peer = runScintilla(text);
#else
    const Figures peer{};
#endif
    struct Row {
        const char* name;
        double a, b;
    } rows[] = {
        {"first painted screen (ms)", ours.firstScreen, peer.firstScreen},
        {"longest event-loop stall (ms)", ours.longestStall, peer.longestStall},
        {"all laid out and highlighted (ms)", ours.allDone, peer.allDone},
        {"last line shown, fresh load (ms)", ours.lastLine, peer.lastLine},
    };
    double worst = 0;
    for (const Row& r : rows) {
        std::printf("%-34s %12.1f %12.1f   ratio %.2f\n", r.name, r.a, r.b, r.b > 0 ? r.a / r.b : 0.0);
        if (r.b > 0)
            worst = std::max(worst, r.a / r.b);
    }
    std::printf("targets: first screen <= 100 ms: %s; no stall over 50 ms: %s\n",
                ours.firstScreen <= 100 ? "met" : "MISSED", ours.longestStall <= 50 ? "met" : "MISSED");
    std::printf("worst ratio ours/QScintilla: %.2f\n", worst);
    return 0;
}
