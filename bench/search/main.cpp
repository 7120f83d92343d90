// Searching the 20 MB Object Pascal text for a string that does not occur, with and
// without regard to case, in the styled text view and, in the same run, with
// QsciScintilla's findFirst over the same text. Each side runs several times, interleaved;
// its best run counts.
#include "common/PascalCorpus.h"

#include "textview/TStyledMemo.h"

#include <QApplication>
#include <QElapsedTimer>

#ifdef KBL_HAVE_QSCINTILLA
#include <Qsci/qsciscintilla.h>
#endif

#include <algorithm>
#include <cstdio>

namespace {

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString text = kblbench::pascalCorpus(20 * 1000 * 1000);
    const double mb = double(text.size()) / 1e6;
    // Starts with a letter common in Pascal, so that the first character is met often.
    const QString absent = QStringLiteral("TransactionQueueWatermark");
    std::printf("text: %.1f MB; searching for \"%s\"\n", mb, absent.toUtf8().constData());
    if (text.contains(absent, Qt::CaseInsensitive)) {
        std::fprintf(stderr, "FAILED: the text holds the string searched for\n");
        return 1;
    }

    kbl::TStyledMemo memo;
    memo.ReadOnly = true;
    memo.resize(1000, 800);
    memo.setText(text);
    memo.finishLoad();
#ifdef KBL_HAVE_QSCINTILLA
    QsciScintilla editor;
    editor.resize(1000, 800);
    editor.setText(text);
#endif
    constexpr int rounds = 5;
    double ours[2] = {1e9, 1e9};
    double qsci[2] = {1e9, 1e9};
    for (int round = 0; round < rounds; ++round) {
        for (int cs = 0; cs < 2; ++cs) {
            QElapsedTimer t;
            memo.setSelStart(0);
            t.start();
            const bool found = memo.SearchText(absent, true, cs == 1, false);
            ours[cs] = std::min(ours[cs], seconds(t));
            if (found) {
                std::fprintf(stderr, "FAILED: the view found the absent string\n");
                return 1;
            }
#ifdef KBL_HAVE_QSCINTILLA
            t.restart();
            const bool qfound = editor.findFirst(absent, false, cs == 1, false, false, true, 0, 0, false);
            qsci[cs] = std::min(qsci[cs], seconds(t));
            if (qfound) {
                std::fprintf(stderr, "FAILED: QScintilla found the absent string\n");
                return 1;
            }
#endif
        }
    }
    const char* names[2] = {"case-blind", "case-sensitive"};
    double worst = 0;
    for (int cs = 0; cs < 2; ++cs) {
        std::printf("ours %s: %.4f s (%.0f MB/s)\n", names[cs], ours[cs], mb / ours[cs]);
#ifdef KBL_HAVE_QSCINTILLA
        std::printf("QScintilla findFirst %s: %.4f s (%.0f MB/s), ratio ours/QScintilla %.3f\n", names[cs],
                    qsci[cs], mb / qsci[cs], ours[cs] / qsci[cs]);
        worst = std::max(worst, ours[cs] / qsci[cs]);
#endif
    }
#ifdef KBL_HAVE_QSCINTILLA
    std::printf("search, worst ratio ours/QScintilla: %.3f\n", worst);
#else
    std::printf("QScintilla not available: no ratio\n");
#endif
    return 0;
}
