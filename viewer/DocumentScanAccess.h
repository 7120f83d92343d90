#pragma once
// The declaration scanner's view of the text on display. The scan's rules are those of a
// hidden view of the unformatted text: its own width, margins and word separators decide
// where display lines wrap and where words end. Instead of loading and laying out a second
// copy of the text, this reads the shown document and lays out only the paragraphs the
// scan stops in.

#include "textview/LineLayout.h"
#include "viewer/MemoAccess.h"

#include <vector>

namespace kbl {
class TStyledMemo;
} // namespace kbl

namespace viewer {

class DocumentScanAccess final : public MemoAccess {
public:
    // Searches and reads `doc`, divided into lines by the font, size, margins, tab stops
    // and word separators `rules` has now. `doc` must be fully loaded and stay unchanged
    // while the access is used.
    DocumentScanAccess(kbl::StyledDocument& doc, kbl::TStyledMemo& rules);

    int paragraphCount() const override { return doc.paragraphCount(); }
    QString paragraphText(int para) const override;
    bool textEmpty() const override;

    bool SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord) override;
    void ScrollInView() override {} // nothing is shown

    void setSelStart(qint64 pos) override;
    void setSelLength(qint64) override {} // the scan reads the caret alone
    int SelPar() const override { return caretPara; }
    void setSelPar(int para) override;
    qint64 SelLine() override;
    int SelParLine() override { return caretSubLine(); }
    int SelCol() override;
    void setSelCol(int column) override;
    void setTopLine(qint64) override {}
    qint64 VisibleLineCount() override { return visibleLines; }
    qint64 DisplayLineCount() override;
    bool DisplayLinesExceed(qint64 n) override;

private:
    // The display lines of a paragraph (empty: one line from offset 0); the last
    // paragraph asked for is kept, as the scan asks about its caret several times.
    const std::vector<kbl::DisplayLine>& linesOf(int para);
    int lineCountOf(int para) { return std::max<int>(1, int(linesOf(para).size())); }
    int caretSubLine();
    int lineStart(int sub);
    int lineEnd(int sub);
    // Static codes take no column where they format the text.
    bool takesColumn(char16_t c) const { return !(params.staticFormat && kbl::isStaticCode(c)); }

    kbl::StyledDocument& doc;
    const kbl::FontSet& fonts;
    const kbl::LayoutParams params;
    const kbl::CharSet separators;
    const qint64 visibleLines;
    const kbl::FormatRecord plain; // the copy's text carries no formats
    int caretPara = 0;
    qint32 caretOffset = 0;
    int linesPara = -1;
    std::vector<kbl::DisplayLine> lines;
};

} // namespace viewer
