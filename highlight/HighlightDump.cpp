#include "highlight/HighlightDump.h"

#include "highlight/OOPHighlighter.h"
#include "textview/RuleSearch.h"
#include "textview/StyledDocument.h"

namespace kbl {

QString oopStyleClass(const FormatRecord& r, int ownStartStopCount)
{
    if (!r.isLevelRecord())
        return {};
    const qint16 t = r.topRule();
    if (t >= 0) {
        switch (r.Context) {
        case 1: return QStringLiteral("KeywordsOOP");
        case 7: return QStringLiteral("KeywordsASM");
        case 5: return QStringLiteral("Numbers");
        default: return QStringLiteral("Keyword");
        }
    }
    switch (regionIndex(t) - ownStartStopCount) {
    case 0: return {}; // a property declaration has no style of its own
    case 1: case 6: return QStringLiteral("Strings");
    case 2: case 7: return QStringLiteral("CommentSingleLine");
    case 3: case 8: return QStringLiteral("Directives");
    case 4: case 9: return QStringLiteral("CommentBrace");
    case 5: case 10: return QStringLiteral("CommentParAst");
    case 11: return QStringLiteral("ASMHighlight");
    default: return QStringLiteral("Region");
    }
}

namespace {

template <typename Fn>
void forEachRun(StyledDocument& doc, int para, Fn&& fn)
{
    doc.ensureParsed(para);
    const ParagraphInfo& p = doc.paragraph(para);
    FormatRecord cur = doc.formats().at(p.StartFormat);
    qint32 at = 0;
    for (const StoredRecord& s : p.Formats) {
        const qint32 o = std::min(s.offset, p.length());
        if (o > at) {
            fn(cur, p.view().mid(at, o - at));
            at = o;
        }
        cur = doc.formats().expand(s);
    }
    if (p.length() > at)
        fn(cur, p.view().mid(at));
}

QString htmlColor(qint32 c)
{
    if (c == -1 || (c & 0x80000000))
        return {};
    return QStringLiteral("#%1%2%3")
        .arg(c & 0xFF, 2, 16, QChar(u'0'))
        .arg((c >> 8) & 0xFF, 2, 16, QChar(u'0'))
        .arg((c >> 16) & 0xFF, 2, 16, QChar(u'0'));
}

} // namespace

QString dumpParagraph(StyledDocument& doc, int para)
{
    const int own = doc.StartStopKeys().count();
    QString out;
    forEachRun(doc, para, [&](const FormatRecord& r, QStringView text) {
        const QString cls = oopStyleClass(r, own);
        if (cls.isEmpty()) {
            out += text;
        } else {
            out += u'[';
            out += cls;
            out += u':';
            out += text;
            out += u']';
        }
    });
    return out;
}

QString dumpText(StyledDocument& doc)
{
    QString out;
    for (int i = 0; i < doc.paragraphCount(); ++i) {
        out += dumpParagraph(doc, i);
        out += u'\n';
    }
    return out;
}

namespace {

struct Fnv {
    quint64 h = 1469598103934665603ull;
    void add(quint64 v, int bytes)
    {
        for (int i = 0; i < bytes; ++i) {
            h = (h ^ (v & 0xFF)) * 1099511628211ull;
            v >>= 8;
        }
    }
    void add(const FormatRecord& r)
    {
        add(r.Attribute, 1);
        add(quint8(r.Level), 1);
        add(r.StartKeyLen, 1);
        add(r.StopKeyLen, 1);
        add(quint16(r.Cursor), 2);
        add(quint32(r.Background), 4);
        add(quint32(r.Foreground), 4);
        add(quint32(r.Context), 4);
        for (qint16 id : r.RuleStack)
            add(quint16(id), 2);
    }
};

} // namespace

quint64 formatChecksum(StyledDocument& doc)
{
    for (int i = 0; i < doc.paragraphCount(); ++i)
        doc.ensureParsed(i);
    Fnv sum;
    for (int i = 0; i < doc.paragraphCount(); ++i) {
        const ParagraphInfo& p = doc.paragraph(i);
        sum.add(quint32(i), 4);
        sum.add(quint32(p.length()), 4);
        sum.add(doc.formats().at(p.StartFormat));
        sum.add(quint32(p.Formats.size()), 4);
        for (const StoredRecord& s : p.Formats) {
            sum.add(quint32(s.offset), 4);
            sum.add(doc.formats().at(s.style));
        }
    }
    return sum.h;
}

QString dumpHtml(StyledDocument& doc, const QString& title)
{
    const int own = doc.StartStopKeys().count();
    QString out = QStringLiteral(
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>%1</title>\n"
        "<style>body{background:#fff;color:#000}pre{font-family:'Lucida Console',monospace;"
        "font-size:10pt}</style></head><body><pre>\n")
        .arg(title.toHtmlEscaped());
    for (int i = 0; i < doc.paragraphCount(); ++i) {
        forEachRun(doc, i, [&](const FormatRecord& r, QStringView text) {
            QString css;
            if (r.Attribute & fsBold)
                css += QStringLiteral("font-weight:bold;");
            if (r.Attribute & fsItalic)
                css += QStringLiteral("font-style:italic;");
            if (r.Attribute & (fsUnderline | fsStrikeOut))
                css += QStringLiteral("text-decoration:%1%2;")
                           .arg(r.Attribute & fsUnderline ? "underline " : "",
                                r.Attribute & fsStrikeOut ? "line-through" : "");
            if (const QString fg = htmlColor(r.Foreground); !fg.isEmpty())
                css += QStringLiteral("color:%1;").arg(fg);
            if (const QString bg = htmlColor(r.Background); !bg.isEmpty())
                css += QStringLiteral("background:%1;").arg(bg);
            const QString escaped = text.toString().toHtmlEscaped();
            if (css.isEmpty())
                out += escaped;
            else
                out += QStringLiteral("<span class=\"%1\" style=\"%2\">%3</span>")
                           .arg(oopStyleClass(r, own), css, escaped);
        });
        out += u'\n';
    }
    out += QStringLiteral("</pre></body></html>\n");
    return out;
}

} // namespace kbl
