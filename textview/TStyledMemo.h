#pragma once
// The styled text view: a scroll area over a StyledDocument that wraps paragraphs into
// display lines, paints them line by line off-screen, keeps a caret and a selection, and
// handles keys, mouse and wheel. Layout and highlighting after a load run in 12 ms slices
// from the event loop, so the first screen shows at once.

#include "textview/LineLayout.h"
#include "textview/StyledDocument.h"

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QFont>
#include <QImage>
#include <QPointer>
#include <QTimer>

#include <optional>

class QMenu;
class QMimeData;

namespace kbl {

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };

enum TStyledMemoOption : quint32 {
    smoKeepColumnPos = 1u << 0,
    smoPutExtraSpaces = 1u << 1,
    smoWrapCaret = 1u << 2,
    smoInsertKeyActive = 1u << 3,
    smoWideOverwriteCaret = 1u << 4,
    smoLargeWordSelect = 1u << 5,
    smoAutoScrollBars = 1u << 6,
    smoNoDragnDrop = 1u << 7,
    smoAutoIndent = 1u << 8,
    smoBackIndent = 1u << 9,
    smoWindowsSelColors = 1u << 10,
    smoFullLineSelect = 1u << 11,
    smoDiscardTrailingSpaces = 1u << 12,
    smoNoFineScroll = 1u << 13,
    smoNoLineSelection = 1u << 14,
    smoBlockSelection = 1u << 15,
};
using TStyledMemoOptions = quint32;

// A pen as the view keeps it: colour 0x00BBGGRR (or a system colour, -1 = not drawn).
struct TMemoPen {
    qint32 Color = 0x0000FF;
    int Width = 1;
};

// MIME type that marks clipboard text as a column block.
inline constexpr const char* BlockTypeMime = "application/x-kestrabel-block-type";

class TStyledMemo : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit TStyledMemo(QWidget* parent = nullptr);
    ~TStyledMemo() override;

    StyledDocument& document() { return *doc; }
    const StyledDocument& document() const { return *doc; }

    // ---- text and background work (TStyledMemo.cpp) ----
    // With umBackground the text is read in steps after the first screen.
    void setText(const QString& text);
    void setText(QStringView text) { setText(text.toString()); }
    void loadFromBytes(QByteArrayView bytes);
    QString Text() const { return doc->text(); }
    // Reads in whatever part of a text is still waiting (operations on the whole text).
    void finishLoad();
    void ReapplyKeywords();
    void setHighlighter(TStyledHighlighter* h);
    CharSet& Separators() { return doc->Separators; }
    // Whether background layout and highlighting still has work to do.
    bool backgroundWorkPending() const { return doc->workPending(); }
    // Runs the background work to the end (for tests and tools).
    void finishBackgroundWork();

    // ---- caret and selection (MemoCaret.cpp) ----
    qint64 SelStart() const;
    void setSelStart(qint64 pos);
    qint64 SelLength() const;
    void setSelLength(qint64 length);
    int SelPar() const;
    void setSelPar(int par);
    qint64 SelLine();
    void setSelLine(qint64 line);
    // The caret's display line counted within its paragraph; unlike SelLine it needs
    // only that paragraph laid out.
    int SelParLine();
    int SelCol();
    void setSelCol(int col);
    QString SelText() const;
    QString rangeText(qint64 from, qint64 to) const;
    // A column selection: the rectangle between the anchor's and the caret's x over the
    // paragraphs between them (only with smoBlockSelection and without WordWrap).
    bool BlockSelection() const { return blockSel; }
    // The selected offsets [from, to) of a paragraph within a column selection.
    bool blockRange(int para, qint32* from, qint32* to);
    bool PassOverCodes = true;
    void SelectAll();
    // Caret rectangle in viewport coordinates (after layout).
    QRect caretRect();

    // ---- scrolling and search (MemoCaret.cpp) ----
    qint64 TopLine() const { return topLine; }
    void setTopLine(qint64 line);
    void ScrollInView();
    // Horizontal and vertical scroll offsets in pixels.
    int horizontalOffset() const { return hOffset; }
    qint64 verticalOffset();
    bool SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord);

    // ---- clipboard (MemoCaret.cpp) ----
    void CopyToClipboard();
    void CutToClipboard();
    void PasteFromClipboard();

    // ---- editing and undo (TStyledMemo.cpp) ----
    // Replaces the selection (or inserts at the caret) unless ReadOnly.
    void InsertText(const QString& text);
    void Undo();
    void Redo();
    bool CanUndo() const { return !undoSteps.empty(); }
    bool CanRedo() const { return !redoSteps.empty(); }
    int UndoMaxLevel() const { return undoMaxLevel; }
    void setUndoMaxLevel(int v); // above 134,217,727: "Undo set too high"
    qint64 UndoMaxSpace() const { return undoMaxSpace; }
    void setUndoMaxSpace(qint64 bytes); // 0: no limit
    void ToggleBold() { toggleCode(2); }
    void ToggleItalic() { toggleCode(1); }
    void ToggleUnderline() { toggleCode(21); }
    void ToggleHighlight() { toggleCode(3); }
    void ToggleAltFont() { toggleCode(4); }

    // ---- look (properties, TStyledMemo.cpp) ----
    QFont AltFont() const { return altFont; }
    void setAltFont(const QFont& f);
    qint32 Color() const { return color; }
    void setColor(qint32 c);
    qint32 SelBackColor = -1;
    qint32 SelTextColor = -1;
    qint32 HighlightColor = 0x0000FF;
    qint32 HighlightBackgnd = qint32(0x80000005);
    int LeftMargin() const { return leftMargin; }
    void setLeftMargin(int v);
    int RightMargin() const { return rightMargin; }
    void setRightMargin(int v);
    bool WordWrap() const { return wordWrap; }
    void setWordWrap(bool v);
    TScrollStyle ScrollBars() const { return scrollBars; }
    void setScrollBars(TScrollStyle s);
    bool ReadOnly = false;
    bool DisplayOnly() const { return displayOnly; }
    void setDisplayOnly(bool v);
    bool HideSelection() const { return hideSelection; }
    void setHideSelection(bool v);
    TAlignment Alignment() const { return alignment; }
    void setAlignment(TAlignment a);
    bool Justified() const { return justified; }
    void setJustified(bool v);
    int TabStops() const { return tabStops; }
    void setTabStops(int v);
    int CaretWidth = 1;
    int LineHeight() const { return lineHeightSetting; }
    void setLineHeight(int v);
    TMemoPen EndOfTextMark;
    TMemoPen SpecUnderline;
    int MouseWheelFactor = 3;
    TStyledMemoOptions Options() const { return options; }
    void setOptions(TStyledMemoOptions o);
    bool hasOption(TStyledMemoOption o) const { return options & o; }
    bool ShowEndParSelected = false;
    bool EnableHotKeys = true;
    bool Overwrite = false;
    QPointer<QMenu> PopupMenu;

    // ---- derived metrics, line layout and painting (MemoPaint.cpp) ----
    int lineHeight() const { return lh; }
    int linesPerPage() const;
    qreal spaceWidth() const { return fonts.spaceWidth(); }
    const FontSet& fontSet() const { return fonts; }
    // Width available to a display line (client width minus both margins).
    int availableWidth() const;
    // How this view divides paragraphs into display lines at its present size.
    LayoutParams layoutParams() const;
    int clientWidth() const;
    int clientHeight() const;
    qint64 DisplayLineCount();
    // Pixel x of a position from the viewport's left edge, and the y of its line's top.
    QPoint positionToPoint(qint64 pos);
    // The position nearest a viewport point.
    qint64 pointToPosition(QPoint pt);
    // Paints one display line into an image of client width x line height.
    QImage renderLine(qint64 line);

signals:
    void OnSelMove();
    void OnHScroll();
    void OnVScroll();
    void OnChange();
    void OnStyleChange();
    void OnProgress(int percent);

protected:
    // TStyledMemo.cpp
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    // MemoCaret.cpp
    void scrollContentsBy(int dx, int dy) override;
    // MemoPaint.cpp
    void paintEvent(QPaintEvent* e) override;
    // MemoInput.cpp
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    struct LinePos {
        int para = 0;
        int sub = 0; // line within the paragraph
    };

    // Loading and background work (TStyledMemo.cpp).
    void afterLoad();
    void scheduleBackground();
    void runBackgroundSlice();
    void runLayoutSlice(); // one slice of background work, run synchronously
    bool doWork(std::chrono::milliseconds budget); // true while work remains

    // Line layout and geometry (MemoPaint.cpp).
    void layoutParagraphHook(int para);
    // Gives a paragraph its display lines and keeps the line count and the top line.
    void takeLineTable(int para, std::vector<DisplayLine> lines);
    void fontChanged();
    void relayoutAll();
    void recountLines();
    LinePos locateLine(qint64 line);
    qint64 globalLine(LinePos lp);
    int lineStart(int para, int sub);
    int lineEnd(int para, int sub); // exclusive: next line's start or paragraph length
    int subLineOf(int para, qint32 offset);
    // Whether a wrapped line ends inside a word the wrap cut (not at blanks).
    bool cutInsideWord(int para, int sub);
    QPoint pointAt(int para, int sub, qint32 offset);
    qreal lineShift(int para, int sub, const std::vector<qreal>& xs, qreal* extraPerSpace);
    qint32 offsetAtX(int para, int sub, qreal x);
    qreal xAtOffset(int para, int sub, qint32 offset);

    // Painting (MemoPaint.cpp).
    void paintLine(QPainter& p, int para, int sub, int y);
    QColor colorOf(qint32 c) const;

    // Caret and selection (MemoCaret.cpp).
    // The caret's line in its laid-out paragraph, the end of a cut piece included.
    int caretSubLine();
    // atLineEnd: at a word cut by the wrap, the caret stays behind the piece before.
    void moveCaret(qint64 pos, bool extend, bool atLineEnd = false);
    void caretUpdate();
    void repaintSelectionChange(qint64 a0, qint64 a1, qint64 b0, qint64 b1);
    void repaintPositions(qint64 from, qint64 to);
    qint64 clampPos(qint64 pos) const;
    char16_t charAt(qint64 pos) const; // CR / LF inside a break, 0 at the text end
    qint64 stepLeft(qint64 pos) const;
    qint64 stepRight(qint64 pos) const;
    void setBlockSel(bool on);
    QString blockText();

    // Scrolling (MemoCaret.cpp).
    void setVerticalOffset(qint64 v);
    void setHorizontalOffset(int h);
    void updateScrollBars();
    qint64 maxVerticalOffset();

    // Keyboard and mouse (MemoInput.cpp).
    bool isWordBreak(char16_t c) const;
    qint64 wordLeft(qint64 pos) const;
    qint64 wordRight(qint64 pos) const;
    qint64 verticalMove(qint64 pos, qint64 lines);
    void selectWordAt(qint64 pos);
    void selectLinesTo(qint64 line);
    void showDefaultMenu(QPoint globalPos);
    void dropSelection(qint64 to, bool copy);
    void contextClick(QPoint pt, bool right);

    // Editing and undo (TStyledMemo.cpp).
    void replaceSelection(const QString& text);
    struct UndoEdit {
        qint64 pos;
        QString removed;
        QString inserted;
    };
    struct UndoStep {
        std::vector<UndoEdit> edits;
        qint64 caret;
        qint64 anchor;
    };
    void beginStep();
    void endStep();
    void recordedDelete(qint64 pos, qint64 length);
    qint64 recordedInsert(qint64 pos, const QString& text);
    void applyStep(const UndoStep& step, bool undo);
    void trimUndo();
    qint64 insertedLength(const UndoEdit& e) const;
    static qint64 insertedLengthOf(const QString& s);
    void toggleCode(char16_t code);
    void deleteBackward();
    void deleteForward();

    std::unique_ptr<StyledDocument> doc;
    std::unique_ptr<TStyledNavigator> caret;
    std::unique_ptr<TStyledNavigator> anchor;
    FontSet fonts;
    QFont altFont;
    qint32 color = qint32(0x80000005);
    int leftMargin = 8;
    int rightMargin = 8;
    bool wordWrap = true;
    TScrollStyle scrollBars = ssVertical;
    bool displayOnly = false;
    bool hideSelection = true;
    TAlignment alignment = taLeftJustify;
    bool justified = false;
    int tabStops = 8;
    int lineHeightSetting = 0;
    TStyledMemoOptions options = 0;

    int lh = 16;
    int textOffset = 12;
    qint64 totalLines = 1;
    qreal widest = 0; // of the lines measured; complete (and needed) only without wrap
    int layoutWidth = -1; // available width the layouts were made for
    // Set while a slice of work runs: no event comes in between to change the geometry.
    std::optional<LayoutParams> sliceParams;

    // Scroll state: the top line anchored to its paragraph, so that background layout
    // above the window does not move what the window shows.
    LinePos top;
    qint64 topLine = 0;
    int fine = 0; // pixels of the top line scrolled out
    int hOffset = 0;
    bool settingBars = false;
    qint64 wheelRemainder = 0; // wheel units x MouseWheelFactor short of a whole line

    qreal rememberedX = -1;
    int virtualCols = 0; // caret columns beyond the paragraph end (smoKeepColumnPos)
    qint64 lineEndCaret = -1; // caret position shown at the end of the line before it
    qint64 lastCaretPos = -1;
    quint8 lastCaretStyle = 0xFF;
    QRect lastCaretRect;
    bool caretOn = true;
    QTimer blink;

    enum class Drag { None, Text, Lines, Move };
    Drag drag = Drag::None;
    qint64 lineAnchor = 0; // first line of a margin line selection
    qint64 dragStart = 0;  // where a drag of the selected text was grabbed
    bool dragMoved = false;
    bool backgroundPosted = false;
    bool blockSel = false;
    std::vector<UndoStep> undoSteps;
    std::vector<UndoStep> redoSteps;
    bool stepOpen = false;
    int undoMaxLevel = 256;
    qint64 undoMaxSpace = 0;
    QImage lineImage;
};

} // namespace kbl
