// kbl-highlight FILE [--html]: shows how the file viewer highlights a Pascal file, as
// text (one paragraph a line, runs as [Class:text]) or as an HTML page.

#include "highlight/HighlightDump.h"
#include "highlight/OOPHighlighter.h"
#include "textview/StyledDocument.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    QString file;
    bool html = false;
    for (const QString& a : args) {
        if (a == u"--html")
            html = true;
        else if (file.isEmpty())
            file = a;
    }
    if (file.isEmpty()) {
        std::fputs("usage: kbl-highlight FILE [--html]\n", stderr);
        return 2;
    }
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kbl-highlight: cannot read %s\n", qPrintable(file));
        return 1;
    }
    try {
        kbl::TOOPHighlighter highlighter;
        kbl::applyFileViewerStyles(highlighter);
        kbl::StyledDocument doc;
        doc.UpdateMode = kbl::umOnNeed;
        doc.ApplyKeyWords = false; // as the viewer: only the highlighter's rules
        doc.setHighlighter(&highlighter);
        doc.loadFromBytes(f.readAll());
        const QString out = html ? kbl::dumpHtml(doc, QFileInfo(file).fileName())
                                 : kbl::dumpText(doc);
        const QByteArray bytes = out.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kbl-highlight: %s\n", e.what());
        return 1;
    }
    return 0;
}
