#include "viewer/DocumentScanAccess.h"

#include "textview/TStyledMemo.h"
#include "textview/TextSearch.h"

#include <algorithm>

namespace viewer {

DocumentScanAccess::DocumentScanAccess(kbl::StyledDocument& doc, kbl::TStyledMemo& rules)
    : doc(doc), fonts(rules.fontSet()), params(rules.layoutParams()), separators(rules.Separators()),
      visibleLines(std::max(1, rules.clientHeight() / std::max(1, rules.lineHeight())))
{
}

QString DocumentScanAccess::paragraphText(int para) const
{
    return para >= 0 && para < paragraphCount() ? doc.paragraphText(para) : QString();
}

bool DocumentScanAccess::textEmpty() const
{
    return doc.paragraphCount() == 1 && doc.paragraph(0).length() == 0;
}

bool DocumentScanAccess::SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord)
{
    const kbl::TextMatch match =
        kbl::searchDocument(doc, separators, text, caretPara, caretOffset, forward, matchCase, wholeWord);
    if (!match)
        return false;
    // As in the view: forward the caret stands behind the match, backward at its start.
    caretPara = match.para;
    caretOffset = qint32(forward ? match.at + text.size() : match.at);
    return true;
}

void DocumentScanAccess::setSelStart(qint64 pos)
{
    pos = std::clamp<qint64>(pos, 0, doc.textLength());
    caretPara = doc.paragraphAt(pos);
    const kbl::ParagraphInfo& p = doc.paragraph(caretPara);
    // No position inside a paragraph break.
    caretOffset = qint32(std::min<qint64>(pos - p.Start, p.length()));
}

void DocumentScanAccess::setSelPar(int para)
{
    caretPara = std::clamp(para, 0, doc.paragraphCount() - 1);
    caretOffset = 0;
}

qint64 DocumentScanAccess::SelLine()
{
    qint64 line = caretSubLine();
    for (int pi = 0; pi < caretPara; ++pi)
        line += lineCountOf(pi);
    return line;
}

int DocumentScanAccess::SelCol()
{
    // Asked at every hit of a scan: the characters read in place, without a snapshot.
    const char16_t* text = doc.paraChars(caretPara);
    const int from = lineStart(caretSubLine());
    int col = 0;
    for (int i = from; i < caretOffset; ++i)
        col += takesColumn(text[i]);
    return col;
}

void DocumentScanAccess::setSelCol(int column)
{
    const int sub = caretSubLine();
    const int end = lineEnd(sub);
    const kbl::ParagraphInfo& p = doc.paragraph(caretPara);
    int off = lineStart(sub);
    for (int c = 0; off < end && c < column; ++off)
        if (takesColumn(p.at(off)))
            ++c;
    caretOffset = off;
}

qint64 DocumentScanAccess::DisplayLineCount()
{
    qint64 count = 0;
    for (int pi = 0; pi < doc.paragraphCount(); ++pi)
        count += lineCountOf(pi);
    return count;
}

bool DocumentScanAccess::DisplayLinesExceed(qint64 n)
{
    // Each paragraph is at least one display line: a long text needs no layout to tell.
    if (doc.paragraphCount() > n)
        return true;
    return DisplayLineCount() > n;
}

const std::vector<kbl::DisplayLine>& DocumentScanAccess::linesOf(int para)
{
    if (para != linesPara) {
        // Most declarations sit on a line of their own that needs no measuring.
        if (kbl::surelyOneLine(doc, para, fonts, params))
            lines.clear();
        else
            lines = kbl::layoutParagraph(doc, para, fonts, params, &plain).lines;
        linesPara = para;
    }
    return lines;
}

int DocumentScanAccess::caretSubLine()
{
    // The start of a wrapped line belongs to that line, as in the view after a search.
    const std::vector<kbl::DisplayLine>& l = linesOf(caretPara);
    const auto it = std::upper_bound(l.begin(), l.end(), caretOffset,
                                     [](qint32 o, const kbl::DisplayLine& d) { return o < d.Start; });
    return std::max(0, int(it - l.begin()) - 1);
}

int DocumentScanAccess::lineStart(int sub)
{
    const std::vector<kbl::DisplayLine>& l = linesOf(caretPara);
    return l.empty() ? 0 : l[size_t(sub)].Start;
}

int DocumentScanAccess::lineEnd(int sub)
{
    const std::vector<kbl::DisplayLine>& l = linesOf(caretPara);
    return size_t(sub + 1) < l.size() ? l[size_t(sub + 1)].Start : doc.paragraph(caretPara).length();
}

} // namespace viewer
