#pragma once
// The caret, selection, scrolling and search operations through which the viewer, the
// declaration scanner and the method jumper drive a text view. Positions are 0-based;
// a paragraph is one line of the file, a display line one line on screen after wrapping.
// The scanner and the jumper work through this alone, so they run on any view.

#include <QString>
#include <QtGlobal>

namespace viewer {

class MemoAccess {
public:
    virtual ~MemoAccess() = default;

    virtual int paragraphCount() const = 0;
    virtual QString paragraphText(int para) const = 0;
    virtual bool textEmpty() const = 0;

    // Selects the next match (forward: caret behind it; backward: caret at its start).
    virtual bool SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord) = 0;
    virtual void ScrollInView() = 0;

    virtual void setSelStart(qint64 pos) = 0;
    virtual void setSelLength(qint64 length) = 0;
    virtual int SelPar() const = 0;
    virtual void setSelPar(int para) = 0;
    virtual qint64 SelLine() = 0;
    // The caret's display line within its paragraph. With SelPar it orders display lines
    // as SelLine does, since every paragraph has at least one.
    virtual int SelParLine() = 0;
    virtual int SelCol() = 0;
    virtual void setSelCol(int column) = 0;
    virtual void setTopLine(qint64 line) = 0;
    // Display lines the view shows whole, at least 1.
    virtual qint64 VisibleLineCount() = 0;
    virtual qint64 DisplayLineCount() = 0;
    // DisplayLineCount() > n, answered without laying out more than needed.
    virtual bool DisplayLinesExceed(qint64 n) { return DisplayLineCount() > n; }
};

} // namespace viewer
