#pragma once
// The scanner's and the jumper's view of a TStyledMemo.

#include "textview/TStyledMemo.h"
#include "viewer/MemoAccess.h"

#include <algorithm>

namespace viewer {

class StyledMemoAccess final : public MemoAccess {
public:
    explicit StyledMemoAccess(kbl::TStyledMemo& memo) : m(memo) {}

    int paragraphCount() const override { return m.document().paragraphCount(); }
    QString paragraphText(int para) const override
    {
        return para >= 0 && para < paragraphCount() ? m.document().paragraphText(para) : QString();
    }
    bool textEmpty() const override
    {
        const kbl::StyledDocument& doc = m.document();
        return doc.paragraphCount() == 1 && doc.paragraph(0).length() == 0;
    }

    bool SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord) override
    {
        return m.SearchText(text, forward, matchCase, wholeWord);
    }
    void ScrollInView() override { m.ScrollInView(); }

    void setSelStart(qint64 pos) override { m.setSelStart(pos); }
    void setSelLength(qint64 length) override { m.setSelLength(length); }
    int SelPar() const override { return m.SelPar(); }
    void setSelPar(int para) override { m.setSelPar(para); }
    qint64 SelLine() override { return m.SelLine(); }
    int SelParLine() override { return m.SelParLine(); }
    int SelCol() override { return m.SelCol(); }
    void setSelCol(int column) override { m.setSelCol(column); }
    void setTopLine(qint64 line) override { m.setTopLine(line); }
    qint64 VisibleLineCount() override { return std::max(1, m.clientHeight() / std::max(1, m.lineHeight())); }
    qint64 DisplayLineCount() override { return m.DisplayLineCount(); }
    // Each paragraph is at least one display line: a long text needs no layout to tell.
    bool DisplayLinesExceed(qint64 n) override { return paragraphCount() > n || DisplayLineCount() > n; }

private:
    kbl::TStyledMemo& m;
};

} // namespace viewer
