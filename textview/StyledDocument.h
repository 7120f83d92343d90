#pragma once
// The document behind the styled text view: paragraphs with absolute positions (a
// paragraph break counts 2), format records per paragraph, navigators, loading and
// saving, and the highlighting pipeline (region pass, keyword pass) run on demand, in
// one go, or in time slices that the widget drives from its event loop. No window needed.
// The storage is compact (ParagraphStore.h): a text loaded from a string shares it.

#include "textview/RuleLists.h"
#include "textview/FormatRecord.h"
#include "textview/NestedScratch.h"
#include "textview/ParagraphStore.h"
#include "textview/StyledHighlighter.h"

#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <algorithm>
#include <array>
#include <chrono>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace kbl {

class TStyledNavigator;
class KeywordIndex;

enum TUpdateMode { umImmediate, umOnNeed, umBackground };
enum TLineBreak { pbCRLF, pbLFCR, pbCR, pbLF };

constexpr qint64 MaxParagraphLength = 2147483547;

// One display line of a paragraph after wrapping; the widget computes and stores them.
struct DisplayLine {
    qint32 Start = 0;  // offset in the paragraph
    qint32 Width = 0;  // pixels
    qint32 Spaces = 0; // for justification
    // Static codes toggled between the paragraph start and the line start: lets a line
    // find its style without walking the paragraph from its start.
    quint8 StaticToggles = 0;
};

using LineSpan = ConstSpan<DisplayLine>;

// A paragraph as callers see it: a snapshot made by StyledDocument::paragraph, valid
// until the document changes (its text pointer and spans point into the document).
class ParagraphInfo {
public:
    const char16_t* text() const { return chars; }
    qint32 length() const { return len; }
    QStringView view() const { return QStringView(chars, len); }
    char16_t at(qint32 i) const { return chars[size_t(i)]; }
    qint32 lineCount() const { return Lines.empty() ? 1 : qint32(Lines.size()); }

    qint32 Foreground = -1;
    qint32 Background = -1;
    qint64 Start = 0;     // absolute position of the first character
    qint64 FirstLine = 0; // first display line, valid up to the document's line mark
    quint32 StartFormat = 0; // interned record in force at the paragraph start
    quint8 StaticStyle = 0;  // static code style running at the paragraph start
    bool LayoutDone = false;
    bool RegionDone = false;
    bool KeywordsDone = false;
    LineSpan Lines; // empty = one line starting at 0
    RecordSpan Formats;

private:
    friend class StyledDocument;
    const char16_t* chars = u"";
    qint32 len = 0;
};

class StyledDocument {
public:
    // ==== paragraphs and text (StyledDocument.cpp) ====
    StyledDocument();
    ~StyledDocument();
    StyledDocument(const StyledDocument&) = delete;
    StyledDocument& operator=(const StyledDocument&) = delete;

    int paragraphCount() const { return int(paras.size()); }
    // A snapshot of paragraph i (throws "List index out of bounds").
    ParagraphInfo paragraph(int i) const;
    qint64 textLength() const { return textLen; }
    QString paragraphText(int i) const { return paragraphView(i).toString(); }
    // The parts of a paragraph without a snapshot, for loops over many paragraphs; the
    // index is not checked.
    QStringView paragraphView(int i) const { return QStringView(paraChars(i), paras[size_t(i)].length); }
    const char16_t* paraChars(int i) const { return charsOf(paras[size_t(i)]); }
    qint32 paraLength(int i) const { return paras[size_t(i)].length; }
    qint64 paraStart(int i) const { return paras[size_t(i)].start; }
    RecordSpan records(int i) const { return recordsOf(paras[size_t(i)]); }
    quint32 paraStartFormat(int i) const { return paras[size_t(i)].startFormat; }
    quint8 paraStaticStyle(int i) const { return paras[size_t(i)].staticStyle; }
    // Paragraph colours (-1: the view's font colour / no own background).
    void setParagraphColors(int para, qint32 foreground, qint32 background);
    // Paragraph holding an absolute position (a position in a break belongs to the
    // paragraph before it).
    int paragraphAt(qint64 pos) const;

    void setText(QStringView text);           // loads as from a stream
    void setText(const QString& text);        // the same, sharing the string's characters
    void loadFromBytes(QByteArrayView bytes); // decodes, then loads
    void clear() { setText(QStringView()); }
    // Loading in steps: the paragraphs of about the first `firstChars` characters at once,
    // the rest by loadMore, by the background work, or by finishLoad. A view shows its
    // first screen of a large text this way before the whole text is read in; whatever
    // needs the whole text calls finishLoad first.
    void beginLoad(QString text, qsizetype firstChars = 65536);
    bool loadPending() const;
    void loadMore(qsizetype chars);
    void finishLoad();
    QString text() const;                     // saving: breaks as LineBreak selects

    void insertText(qint64 pos, QStringView text);
    void deleteText(qint64 pos, qint64 length);

    // The paragraph list as a string list: the last paragraph does not count when empty.
    int paraStringCount() const;
    void addParagraph(QStringView text);
    void insertParagraph(int index, QStringView text);

    bool StaticFormat() const { return staticFormat; }
    void setStaticFormat(bool v);
    char16_t NullReplacement = 0;
    TLineBreak LineBreak = pbCRLF;
    bool DiscardTrailingSpaces = false; // the view's smoDiscardTrailingSpaces option

    // ==== format records (DocumentFormats.cpp) ====
    FormatTable& formats() { return table; }
    const FormatTable& formats() const { return table; }
    FormatRecord startFormat(int para) const { return table.at(paragraph(para).StartFormat); }
    void setStartFormat(int para, const FormatRecord& r);
    int recordCount(int para) const { return int(paragraph(para).Formats.size()); }
    FormatRecord record(int para, int i) const;
    // The record in force at an offset: the last whose offset <= it, else the start format.
    FormatRecord recordInForce(int para, qint32 offset) const;
    const FormatRecord& styleInForce(int para, qint32 offset) const
    {
        const ParagraphRecord& p = paragraphRecord(para);
        const int i = upperRecordIndex(para, offset);
        return table.at(i > 0 ? store.data(p.formats)[i - 1].style : p.startFormat);
    }
    void insertRecord(int para, int index, const FormatRecord& r);
    void replaceRecord(int para, int index, const FormatRecord& r);
    // The same for a record interned already (its style an id of formats()).
    void insertRecord(int para, int index, StoredRecord r);
    void replaceRecord(int para, int index, StoredRecord r);
    void deleteRecord(int para, int index);
    void reserveRecords(int para, int n);
    // Index of the first record of the paragraph whose offset >= offset (lower) or >
    // offset (upper). The passes mostly ask behind the last record or before the first
    // (at the paragraph start): those answers are inline.
    int lowerRecordIndex(int para, qint32 offset) const
    {
        const RecordBlock& b = paras[size_t(para)].formats;
        if (b.count == 0 || store.data(b)[b.count - 1].offset < offset)
            return int(b.count);
        if (store.data(b)[0].offset >= offset)
            return 0;
        return lowerRecordIndexBefore(para, offset);
    }
    int upperRecordIndex(int para, qint32 offset) const
    {
        const RecordBlock& b = paras[size_t(para)].formats;
        if (b.count == 0 || store.data(b)[b.count - 1].offset <= offset)
            return int(b.count);
        if (store.data(b)[0].offset > offset)
            return 0;
        return upperRecordIndexBefore(para, offset);
    }
    // The state a region of `level` closes back to: the nearest record at or before
    // record `index` of the paragraph (-1: before its first) whose level is below
    // `level`, else the paragraph's start format when its level is below, else the same
    // from the end of the paragraph before; a plain record when none is left. Takes a
    // few steps however many records lie between.
    FormatRecord recordBelowLevel(int para, int index, int level);
    // The same as stored (offset 0 for a start format or the plain record).
    StoredRecord storedRecordBelowLevel(int para, int index, int level);

    void ApplyFormat(qint64 start, qint64 end, FormatRecord rec, bool dynamic, bool repaint = true);
    // ApplyFormat (dynamic, no repaint) for many sorted, non-overlapping stretches of one
    // paragraph in a single merge. No record may lie strictly inside a stretch. `build`
    // (stretch index, id and record in force at its start, record out, id out) fills the
    // whole record to lay over it (the record out still holds an earlier stretch's), or
    // sets the id out to its interned form (the record is then ignored); it returns false
    // to leave the stretch alone. Returns the stretches applied.
    template <typename Build>
    int applyFormatsMerged(int para, const std::vector<std::pair<qint32, qint32>>& stretches,
                           Build&& build)
    {
        return mergeFormats(para, stretches, &build,
                            [](void* b, size_t i, quint32 curId, const FormatRecord& c,
                               FormatRecord& r, quint32& id) {
                                return (*static_cast<std::remove_reference_t<Build>*>(b))(i, curId, c, r, id);
                            });
    }
    void markNavigatorsStale(int firstPara, int lastPara, qint64 pos);

    // The highlighted stretch under a position when its record carries a context number
    // (what a click on highlighted text reports); false over plain text.
    struct ContextStretch { int context = 0; qint64 start = 0; qint64 end = 0; };
    bool contextAt(qint64 pos, ContextStretch& out);

    // ==== highlighting pipeline (DocumentPipeline.cpp) ====
    TKeywordList& Keywords() { return keywords; }
    TStartStopKeyList& StartStopKeys() { return startStopKeys; }
    bool ApplyKeyWords = true;
    bool ApplyStartStopKeys = true;
    TStyledHighlighter* Highlighter() const { return highlighter; }
    void setHighlighter(TStyledHighlighter* h);
    CharSet Separators{QStringView(u"\t ,.;")};
    TpmUpperCase UpperCaseType() const { return upperCaseType; }
    void setUpperCaseType(TpmUpperCase mode);
    TUpdateMode UpdateMode = umBackground;

    // Changes with every change of the text (and of the upper-casing), so that searches
    // can tell whether what they learnt about a paragraph's text still holds.
    quint64 textRevision() const { return textVersion; }
    // The stretch upper-cased by UpperCaseType; valid until the next call.
    const char16_t* UpperCopy(int para, qint32 start, qint32 length);
    void ReapplyKeywords();

    // Two navigators (first, second) the rule searches hand to match hooks, so that a
    // search does not register new ones for every paragraph. Null while another search
    // holds them (a hook that highlights nests searches); returnHookNavigators gives
    // them back.
    TStyledNavigator* borrowHookNavigators();
    void returnHookNavigators() { hookNavigatorsLent = false; }

    // Brings the region pass up to paragraph p and runs p's keyword pass.
    void ensureParsed(int para);
    // ensureParsed, then the layout hook; sets the layout flag.
    void ensureLaidOut(int para);
    void parseAll();
    // How far the region pass has got: paragraphs before it are done.
    int parsedUpTo() const { return parseMark; }
    // Paragraphs before this index are laid out (background work cursor).
    int laidOutUpTo() const { return layoutMark; }
    // Layout and highlighting in a slice of about `budget`; true while work remains.
    bool doBackgroundWork(std::chrono::milliseconds budget = std::chrono::milliseconds(25));
    bool workPending() const { return loadPending() || layoutMark < paragraphCount(); }
    // Call after loading or re-highlighting: with umImmediate all is done at once.
    void startWork();

    // Display lines (from the widget's line tables).
    qint64 firstLine(int para);
    qint64 displayLineCount();
    void setLineTable(int para, std::vector<DisplayLine> lines);
    LineSpan lines(int para) const;
    int lineCount(int para) const;
    // Marks a paragraph laid out with the line table it has.
    void setLaidOut(int para) { paragraphRecord(para).set(ParagraphRecord::LayoutDone, true); }
    // Clears every layout flag (the view's width or font changed); parsing stays done.
    void invalidateLayout();

    // Counts passes, for tests of incremental highlighting.
    struct PassCounters { qint64 regionPasses = 0; qint64 keywordPasses = 0; };
    PassCounters counters;
    std::vector<int> lastRegionPassParagraphs; // paragraphs re-parsed by the last edit

    // ==== events and widget hooks ====
    std::function<void(qint64 start, qint64 stop)> OnParse;
    std::function<void(int context, qint64 start, qint64 stop)> OnContext;
    std::function<void(int percent)> OnProgress;
    // Widget hooks: lay out paragraph i (setLineTable); repaint paragraphs [first, last].
    std::function<void(int para)> layoutHook;
    std::function<void(int first, int last)> repaintHook;

private:
    friend class TStyledNavigator;

    // ==== paragraphs and text (StyledDocument.cpp) ====
    struct LoadCursor {
        qsizetype next = 0; // first character not read yet
        quint8 running = 0; // static style there
        qint64 pos = 0;     // absolute position there
    };
    // Makes `text` (NUL handling applied) the text buffer and returns how much of it the
    // paragraphs take.
    qsizetype takeText(QString text);
    void load(QString text);
    // Reads paragraphs of the text buffer from at.next, up to `end`, until one starts at
    // or after stopAt; true at the end.
    bool scanParagraphs(LoadCursor& at, qsizetype end, qsizetype stopAt);
    void loadReset();
    void endLoad();
    void updateStarts(int fromPara);
    void recomputeStaticStyles(int fromPara);
    quint8 staticStyleAfter(int para) const;
    void progress(int percent, bool force);

    // Inline: the passes ask for the same few paragraphs many times each.
    const ParagraphRecord& paragraphRecord(int i) const
    {
        if (i < 0 || i >= paragraphCount())
            throwListIndexOutOfBounds();
        return paras[size_t(i)];
    }
    ParagraphRecord& paragraphRecord(int i)
    {
        if (i < 0 || i >= paragraphCount())
            throwListIndexOutOfBounds();
        return paras[size_t(i)];
    }
    const char16_t* charsOf(const ParagraphRecord& r) const
    {
        return reinterpret_cast<const char16_t*>(textBuf.constData()) + r.textAt;
    }
    QStringView viewOf(const ParagraphRecord& r) const { return QStringView(charsOf(r), r.length); }
    // Gives paragraph `para` the characters of `parts` one after the other; they may lie
    // in the text buffer themselves.
    void setParagraphText(int para, std::initializer_list<QStringView> parts);
    // Text no paragraph uses any more is dropped once there is more of it than in use.
    void compactText();
    // Paragraphs inserted or erased at `at`: the per-paragraph side tables follow.
    void paragraphsInserted(int at, int n);
    void paragraphsErased(int from, int to);

    std::vector<ParagraphRecord> paras;
    // The characters of every paragraph; paragraph text never contains a break, and the
    // loaded text keeps its breaks between the paragraphs. Shared with the string it was
    // loaded from until an edit writes to it.
    QString textBuf;
    qint64 unusedText = 0; // characters of the buffer no paragraph uses
    qint64 textLen = 0;
    qsizetype pendingEnd = -1; // >= 0 while a load is under way: the end of what to read
    LoadCursor pending;
    // Display lines: only a view that lays paragraphs out has them.
    struct LineTable {
        qint64 firstLine = 0;
        std::vector<DisplayLine> lines;
    };
    std::vector<LineTable> lineTables; // of the first paragraphs; past its end one line each
    LineTable& lineTable(int para);
    std::map<int, std::pair<qint32, qint32>> colors; // paragraph colours, where set
    bool staticFormat = true;
    std::vector<TStyledNavigator*> navigators;
    std::chrono::steady_clock::time_point lastProgress{};

    // ==== format records (DocumentFormats.cpp) ====
    // The record index searches where the answer lies before the last record.
    int lowerRecordIndexBefore(int para, qint32 offset) const;
    int upperRecordIndexBefore(int para, qint32 offset) const;
    int mergeFormats(int para, const std::vector<std::pair<qint32, qint32>>& stretches, void* build,
                     bool (*call)(void*, size_t, quint32, const FormatRecord&, FormatRecord&, quint32&));
    // The merged records; a merge nested in a match hook of another gets its own.
    NestedScratch<std::vector<StoredRecord>> mergeBuffers;
    RecordSpan recordsOf(const ParagraphRecord& r) const { return {store.data(r.formats), r.formats.count}; }
    // Changing a paragraph's records in place (the callers keep the caches right).
    void recordsInsert(int para, int index, StoredRecord s);
    void recordsErase(int para, int from, int to);
    void recordsAssign(int para, const StoredRecord* src, size_t n);
    template <typename Pred>
    int recordsEraseIf(int para, int from, Pred&& drop)
    {
        RecordBlock& b = paras[size_t(para)].formats;
        StoredRecord* f = store.data(b);
        quint32 w = quint32(from);
        for (quint32 r = quint32(from); r < b.count; ++r)
            if (!drop(f[r]))
                f[w++] = f[r];
        const int removed = int(b.count - w);
        b.count = w;
        return removed;
    }
    // The record store is compacted once more of it lies unused than in use; only at
    // the start of a pass or an edit, when nobody holds a RecordSpan.
    void compactRecords();
    RecordStore store;
    // What makes recordBelowLevel quick. For the records of one paragraph: the index of
    // the nearest earlier record of lower level (-1: none), known for the first `valid`
    // records; each step along these links lowers the level, so a search takes at most
    // 17 steps. For the end of one paragraph: where the search lands for each level.
    // Every change of records or start formats shortens or drops what it affects.
    struct LowerLinks {
        int para = -1;
        int valid = 0;
        std::vector<int> link;
    };
    struct Landing {
        int para = -1;  // -1: nothing below the level
        int index = -1; // -1: the paragraph's start format
    };
    struct EndLandings {
        int para = -1;
        std::array<Landing, MaxNestingLevel + 2> at; // by level 0..16
    };
    int levelOf(const StoredRecord& r) const { return table.at(r.style).level(); }
    int lowerInParagraph(int para, int index, int level);
    Landing landingAtEnd(int para, int level);
    // Records of `para` from `index` on changed (past its end: only its start format).
    void recordsChanged(int para, int index);
    // Paragraphs from `fromPara` on were replaced, moved or edited.
    void paragraphsReplaced(int fromPara);
    LowerLinks lowerLinks;
    EndLandings endLandings;
    FormatTable table;

    // ==== highlighting pipeline (DocumentPipeline.cpp) ====
    std::unique_ptr<TStyledNavigator> scratchFrom, scratchTo; // used by the passes
    // A pass nested in a hook of another (a hook that highlights) must not move the outer
    // pass's navigators: it uses navigators of its own.
    class PassNavigators;
    int scratchHeld = 0;
    std::unique_ptr<TStyledNavigator[]> hookNavigators;
    bool hookNavigatorsLent = false;
    void regionPass(int para);
    void keywordPass(int para);
    void ownKeywordPass(int para);
    bool ownStopSearch(TStyledNavigator& from, TStyledNavigator& to, int k);
    bool ownStartSearch(TStyledNavigator& from, TStyledNavigator& to);
    void propagate(int para);
    void reparseAfterEdit(int firstPara, int lastPara);
    void resetWork(int fromPara);

    TKeywordList keywords;
    TStartStopKeyList startStopKeys;
    std::unique_ptr<KeywordIndex> ownKeywordIndex;
    TStyledHighlighter* highlighter = nullptr;
    TpmUpperCase upperCaseType = smuAscii;
    int parseMark = 0;
    int layoutMark = 0;
    int lineMark = 0; // FirstLine valid for paragraphs < lineMark
    bool inEdit = false;

    // UpperCopy cache.
    int upperPara = -1;
    qint32 upperStart = 0;
    std::u16string upperBuf;
    quint64 textVersion = 0;
    quint64 upperVersion = 0;
};

// A position in a document, with cached paragraph, record and line indices.
class TStyledNavigator {
public:
    static constexpr int Unknown = std::numeric_limits<int>::max();

    explicit TStyledNavigator(StyledDocument* doc);
    ~TStyledNavigator();
    TStyledNavigator(const TStyledNavigator& o);
    TStyledNavigator& operator=(const TStyledNavigator& o) { assign(o); return *this; }

    StyledDocument& document() const { return *doc; }
    qint64 pos() const { return position; }
    void setPos(qint64 p);
    // Places the navigator at an offset of a paragraph (a shortcut for setPos). Inline:
    // the passes move their navigators this way many times per paragraph.
    void setParaOffset(int p, qint32 offset)
    {
        const ParagraphRecord& q = doc->paragraphRecord(p);
        offset = std::clamp(offset, 0, q.length);
        if (para != p || offset < off) {
            position = q.start + offset;
            para = p;
            off = offset;
            markStale();
            return;
        }
        // Forward in the same paragraph with no indices to carry along.
        const qint64 np = q.start + offset;
        if (recIndex == Unknown && lineIdx == Unknown && np >= position && np <= doc->textLen) {
            position = np;
            off = offset;
            return;
        }
        setPos(np);
    }
    int paraIndex() { locate(); return para; }
    qint32 offset() { locate(); return off; }
    // The number of records before the position (after skipRecordsAtPos: at or before).
    int recordIndex();
    int lineIndex();
    FormatRecord recordInForce();
    void skipRecordsAtPos();
    bool stepToNextRecord(qint64 limit);
    bool stepBackToRecordInForce(qint64 limit);
    void insertRecord(const FormatRecord& r);
    void deleteRecord();
    void assign(const TStyledNavigator& o);
    void markStale() { recIndex = Unknown; lineIdx = Unknown; }
    void forget() { para = -1; markStale(); }

private:
    friend class StyledDocument;
    // The passes ask for paragraph and offset many times per paragraph. Every move keeps
    // them right for the text as it is, so they need checking again only after the text
    // changed (its revision); the check is inline, finding the paragraph again is not.
    void locate()
    {
        if (para >= 0 && checkedAt == doc->textVersion)
            return;
        checkedAt = doc->textVersion;
        if (para >= 0 && size_t(para) < doc->paras.size()) {
            const ParagraphRecord& q = doc->paras[size_t(para)];
            if (position >= q.start && position <= q.start + q.length + 1)
                return;
        }
        relocate();
    }
    void relocate();
    StyledDocument* doc;
    qint64 position = 0;
    quint64 checkedAt = 0; // text revision paragraph and offset were last checked for
    int para = -1;
    qint32 off = 0;
    int recIndex = Unknown;
    int lineIdx = Unknown;
};

} // namespace kbl
