// Opens a 20 MB Pascal text in the styled text view (offscreen) and, in the same run, in a
// QsciScintilla with the Pascal lexer, and prints for each: time to the first painted
// screen, the longest event-loop stall while the rest is laid out and highlighted, the
// time until all of it is, and the time to show the last line from a fresh load.
#include "common/PascalCorpus.h"

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
Figures runScintilla(const QString& text, bool wrap)
{
    Figures f;
    QsciScintilla sci;
    QsciLexerPascal lexer;
    lexer.setDefaultFont(benchFont());
    sci.setLexer(&lexer);
    sci.setReadOnly(false);
    // Word wrap as in our viewer; without it Scintilla need not lay out every line.
    sci.setWrapMode(wrap ? QsciScintilla::WrapWord : QsciScintilla::WrapNone);
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
    // An optional argument gives the size in millions of characters (20 by default).
    const qsizetype size = argc > 1 ? qsizetype(std::atof(argv[1]) * 1e6) : 20 * 1000 * 1000;
    const QString text = kblbench::pascalCorpus(size);
    std::printf("text: %.1f MB, %lld characters\n", double(text.size()) / 1e6,
                static_cast<long long>(text.size()));

    const Figures ours = runOurs(text);
#ifdef KBL_HAVE_QSCINTILLA
    const Figures wrapped = runScintilla(text, true);
    const Figures unwrapped = runScintilla(text, false);
#else
    const Figures wrapped{}, unwrapped{};
#endif
    std::printf("%-34s %10s %12s %12s\n", "", "ours", "QSci wrap", "QSci nowrap");
    struct Row {
        const char* name;
        double a, b, c;
    } rows[] = {
        {"first painted screen (ms)", ours.firstScreen, wrapped.firstScreen, unwrapped.firstScreen},
        {"longest event-loop stall (ms)", ours.longestStall, wrapped.longestStall, unwrapped.longestStall},
        {"all laid out and highlighted (ms)", ours.allDone, wrapped.allDone, unwrapped.allDone},
        {"last line shown, fresh load (ms)", ours.lastLine, wrapped.lastLine, unwrapped.lastLine},
    };
    double worstWrap = 0, worstNoWrap = 0;
    for (const Row& r : rows) {
        const double rw = r.b > 0 ? r.a / r.b : 0.0;
        const double rn = r.c > 0 ? r.a / r.c : 0.0;
        std::printf("%-34s %10.1f %12.1f %12.1f   ratios %.2f %.2f\n", r.name, r.a, r.b, r.c, rw, rn);
        worstWrap = std::max(worstWrap, rw);
        worstNoWrap = std::max(worstNoWrap, rn);
    }
    std::printf("targets: first screen <= 100 ms: %s; no stall over 50 ms: %s\n",
                ours.firstScreen <= 100 ? "met" : "MISSED", ours.longestStall <= 50 ? "met" : "MISSED");
    // The like-for-like comparison (both wrap, as the viewer does) comes last.
    std::printf("worst ratio ours/QScintilla without wrap: %.2f\n", worstNoWrap);
    std::printf("worst ratio ours/QScintilla (word wrap, as our viewer): %.2f\n", worstWrap);
    return 0;
}
