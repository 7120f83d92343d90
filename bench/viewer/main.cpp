// The viewer with its method jumper against the document model alone: a generated 5 MB
// Object Pascal unit is opened in the file viewer until the jumper's list is ready and
// the text is fully highlighted; in the same run the model alone loads the same bytes and
// highlights every paragraph. Prints both and last the ratio viewer/model.
// Optional arguments: the text's size in MB and the number of rounds (for profiling).

#include "common/PascalCorpus.h"

#include "settings/ProgramFolder.h"
#include "app/ProgramWindows.h"
#include "highlight/OOPHighlighter.h"
#include "platform/TextCodec.h"
#include "textview/StyledDocument.h"
#include "textview/TStyledMemo.h"
#include "viewer/TForm3.h"
#include "viewer/TForm4.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace {

double seconds(const QElapsedTimer& t) { return double(t.nsecsElapsed()) / 1e9; }

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QTemporaryDir folder;
    program::setFolderOverride(folder.path());
    const double sizeMb = argc > 1 ? std::max(0.01, std::atof(argv[1])) : 5.0;
    const QString text = kblbench::pascalCorpus(qsizetype(sizeMb * 1000 * 1000));
    const QByteArray bytes = platform::encodeText(text);
    const QString path = folder.filePath(QStringLiteral("Big.pas"));
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    const double mb = double(bytes.size()) / 1e6;
    std::printf("text: %.1f MB, %lld characters\n", mb, qlonglong(text.size()));

    ProgramWindows windows = createProgramWindows();
    TForm3& viewer = *windows.form3;
    viewer.resize(800, 600);
    viewer.show();
    QApplication::processEvents();

    // The machine is shared: both sides run several times, interleaved; the best counts.
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    double viewerBest = 1e9, scanBest = 1e9, modelBest = 1e9;
    int rows = 0;
    std::array<double, 4> phases{};
    for (int round = 0; round < rounds; ++round) {
        {
            QElapsedTimer t;
            t.start();
            // The load sequence step by step, as LoadViewerFile runs it.
            viewer.BeginViewerFile(path);
            const double loaded = seconds(t);
            QApplication::processEvents();
            QApplication::processEvents();
            const double painted = seconds(t);
            viewer.FinishViewerFile();
            const double finished = seconds(t);
            while (viewer.styledmemo->backgroundWorkPending())
                QApplication::processEvents();
            const double total = seconds(t);
            if (total < viewerBest)
                phases = {loaded, painted - loaded, finished - painted, total - finished};
            viewerBest = std::min(viewerBest, total);
            // A scan on its own, over the text now on display.
            QElapsedTimer s;
            s.start();
            viewer.ScanDeclarations();
            scanBest = std::min(scanBest, seconds(s));
            rows = windows.form4->lview->topLevelItemCount();
        }
        {
            QElapsedTimer t;
            t.start();
            kbl::TOOPHighlighter highlighter;
            kbl::applyFileViewerStyles(highlighter);
            kbl::StyledDocument doc;
            doc.UpdateMode = kbl::umOnNeed;
            doc.setHighlighter(&highlighter);
            QFile f(path);
            if (!f.open(QIODevice::ReadOnly))
                return 1;
            doc.loadFromBytes(f.readAll());
            for (int i = 0; i < doc.paragraphCount(); ++i)
                doc.ensureParsed(i);
            modelBest = std::min(modelBest, seconds(t));
        }
    }
    std::printf("viewer: load, scan (%d jumper rows), layout and highlight %.3f s (%.1f MB/s); scan alone %.3f s\n",
                rows, viewerBest, mb / viewerBest, scanBest);
    std::printf("viewer steps: text in %.3f s, two message rounds %.3f s, scan and highlighter on %.3f s, "
                "rest of layout and highlighting %.3f s\n",
                phases[0], phases[1], phases[2], phases[3]);
    std::printf("model alone: load and highlight %.3f s (%.1f MB/s)\n", modelBest, mb / modelBest);
    std::printf("ratio viewer/model: %.2f\n", viewerBest / modelBest);
    viewer.close();
    windows.form1->close();
    program::setFolderOverride(QString());
    return 0;
}
