// The highlighting pipeline: region and keyword passes with the document's own rules and
// the attached highlighter, how far parsing and layout have got, and the work in slices.
#include "textview/StyledDocument.h"

#include "textview/RuleSearch.h"

#include <algorithm>
#include <array>
#include <limits>
#include <optional>

namespace kbl {

using Clock = std::chrono::steady_clock;

// ---- rules and highlighter ----

void StyledDocument::setHighlighter(TStyledHighlighter* h)
{
    if (h == highlighter)
        return;
    if (highlighter)
        std::erase(highlighter->attached, this);
    highlighter = h;
    if (h)
        h->attached.push_back(this);
}

void StyledDocument::setUpperCaseType(TpmUpperCase mode)
{
    upperCaseType = mode;
    keywords.setCaseMode(mode);
    startStopKeys.setCaseMode(mode);
    ++textVersion; // drops the upper-case cache
}
const char16_t* StyledDocument::UpperCopy(int para, qint32 start, qint32 length)
{
    // The record, not a snapshot: the passes ask for a copy several times per paragraph.
    const ParagraphRecord& p = paragraphRecord(para);
    const char16_t* text = charsOf(p);
    start = std::clamp(start, 0, p.length);
    length = std::clamp(length, 0, p.length - start);
    const qint32 end = start + length;
    const bool cached = upperPara == para && upperVersion == textVersion;
    const qint32 cEnd = upperStart + qint32(upperBuf.size());
    if (cached && start >= upperStart && end <= cEnd)
        return upperBuf.data() + (start - upperStart);
    if (cached && start <= cEnd && end >= upperStart) {
        // Overlapping: convert only what is missing on either side.
        const qint32 ns = std::min(start, upperStart);
        const qint32 ne = std::max(end, cEnd);
        std::u16string buf(text + ns, size_t(ne - ns));
        upperCaseInPlace(upperCaseType, buf.data(), upperStart - ns);
        std::copy(upperBuf.begin(), upperBuf.end(), buf.begin() + (upperStart - ns));
        upperCaseInPlace(upperCaseType, buf.data() + (cEnd - ns), ne - cEnd);
        upperBuf = std::move(buf);
        upperStart = ns;
    } else {
        upperBuf.assign(text + start, size_t(length));
        upperCaseInPlace(upperCaseType, upperBuf.data(), length);
        upperStart = start;
        upperPara = para;
        upperVersion = textVersion;
    }
    return upperBuf.data() + (start - upperStart);
}
void StyledDocument::ReapplyKeywords()
{
    finishLoad();
    // Few paragraphs start in a static style of their own: each start record is interned
    // once, not once per paragraph.
    std::array<std::optional<quint32>, 256> startFormats;
    for (auto& p : paras) {
        p.flags = 0;
        p.formats.count = 0;
        std::optional<quint32>& id = startFormats[p.staticStyle];
        if (!id) {
            FormatRecord start;
            start.Attribute = p.staticStyle;
            id = table.intern(start);
        }
        p.startFormat = *id;
    }
    paragraphsReplaced(0);
    markNavigatorsStale(0, paragraphCount() - 1, -1);
    parseMark = layoutMark = 0;
    if (repaintHook)
        repaintHook(0, paragraphCount() - 1);
    startWork();
}

TStyledNavigator* StyledDocument::borrowHookNavigators()
{
    if (hookNavigatorsLent)
        return nullptr;
    if (!hookNavigators)
        hookNavigators.reset(new TStyledNavigator[2]{TStyledNavigator(this), TStyledNavigator(this)});
    hookNavigatorsLent = true;
    return hookNavigators.get();
}

// ---- passes ----

class StyledDocument::PassNavigators {
public:
    explicit PassNavigators(StyledDocument& doc) : held(doc.scratchHeld)
    {
        if (held++ == 0) {
            from = doc.scratchFrom.get();
            to = doc.scratchTo.get();
        } else {
            ownFrom = std::make_unique<TStyledNavigator>(&doc);
            ownTo = std::make_unique<TStyledNavigator>(&doc);
            from = ownFrom.get();
            to = ownTo.get();
        }
    }
    ~PassNavigators() { --held; }
    PassNavigators(const PassNavigators&) = delete;
    PassNavigators& operator=(const PassNavigators&) = delete;

    TStyledNavigator* from;
    TStyledNavigator* to;

private:
    int& held;
    std::unique_ptr<TStyledNavigator> ownFrom, ownTo; // only when nested
};

void StyledDocument::regionPass(int pi)
{
    ++counters.regionPasses;
    if (inEdit)
        lastRegionPassParagraphs.push_back(pi);
    const qint32 len = paras[size_t(pi)].length;
    recordsEraseIf(pi, 0, [this](const StoredRecord& r) {
        const FormatRecord& f = table.at(r.style);
        return !(f.isDynamic() && !f.isLevelRecord());
    });
    recordsChanged(pi, 0);
    for (TStyledNavigator* n : navigators)
        if (n->para == pi)
            n->markStale();

    const bool ownKeys = ApplyStartStopKeys && !startStopKeys.isEmpty();
    if (ownKeys && !startStopKeys.BoundaryFlagsValid())
        startStopKeys.deriveBoundaryFlags(Separators);
    const int ownCount = startStopKeys.count();
    if (highlighter || ownKeys) {
        const PassNavigators passNavigators(*this);
        TStyledNavigator& from = *passNavigators.from;
        TStyledNavigator& to = *passNavigators.to;
        qint32 pos = 0;
        int stuck = 0;
        for (int guard = 0; guard < 4 * len + 64; ++guard) {
            // Records made by the application bound the stretch searched next.
            qint32 bound = len;
            {
                const RecordSpan f = records(pi);
                for (size_t r = size_t(upperRecordIndex(pi, pos)); r < f.size(); ++r) {
                    const FormatRecord& x = table.at(f[r].style);
                    if (x.isDynamic() && !x.isLevelRecord()) {
                        bound = f[r].offset;
                        break;
                    }
                }
            }
            const FormatRecord& cur = styleInForce(pi, pos);
            const int curLevel = cur.level();
            const qint16 t = cur.topRule(); // read now: interning may move the table
            bool stopFound = false;
            qint32 stopEnd = pos, stopStart = bound;
            if (curLevel >= 0) {
                from.setParaOffset(pi, pos);
                to.setParaOffset(pi, bound);
                if (isRegionId(t) && regionIndex(t) < ownCount)
                    stopFound = ownStopSearch(from, to, regionIndex(t));
                else if (highlighter)
                    stopFound = highlighter->FindStopKey(*this, from, to, ownCount);
                if (stopFound) {
                    stopEnd = to.offset();
                    stopStart = std::max(pos, stopEnd - qint32(styleInForce(pi, pos).StopKeyLen));
                }
            }
            bool startFound = false;
            if (ownKeys) {
                from.setParaOffset(pi, pos);
                to.setParaOffset(pi, stopFound ? stopStart : bound);
                startFound = ownStartSearch(from, to);
            }
            if (!startFound && highlighter) {
                from.setParaOffset(pi, pos);
                to.setParaOffset(pi, stopFound ? stopStart : bound);
                startFound = highlighter->FindStartKey(*this, from, to, ownCount);
            }
            if (startFound) {
                const qint32 np = from.offset();
                // A stop found behind the new region's start is no longer valid.
                const int a = lowerRecordIndex(pi, np);
                recordsEraseIf(pi, a, [this](const StoredRecord& r) {
                    const FormatRecord& x = table.at(r.style);
                    return !(x.isDynamic() && !x.isLevelRecord());
                });
                recordsChanged(pi, a);
                stuck = np > pos ? 0 : stuck + 1;
                pos = std::max(pos, np);
            } else if (stopFound) {
                stuck = stopEnd > pos ? 0 : stuck + 1;
                pos = std::max(pos, stopEnd);
            } else if (bound < len) {
                pos = bound;
                stuck = 0;
            } else {
                break;
            }
            if (stuck > MaxNestingLevel + 2)
                break;
        }
    }
    ParagraphRecord& para = paras[size_t(pi)];
    para.set(ParagraphRecord::RegionDone, true);
    para.set(ParagraphRecord::KeywordsDone | ParagraphRecord::LayoutDone, false);
    propagate(pi);
}

void StyledDocument::propagate(int pi)
{
    if (pi + 1 >= paragraphCount())
        return;
    ParagraphRecord& next = paras[size_t(pi + 1)];
    if (table.at(next.startFormat).sameState(styleInForce(pi, paras[size_t(pi)].length)))
        return;
    FormatRecord end = recordInForce(pi, paras[size_t(pi)].length);
    if (!end.isDynamic())
        end.Attribute = quint8((end.Attribute & 0xC0) | next.staticStyle);
    end.StartKeyLen = 0;
    next.startFormat = table.intern(end);
    recordsChanged(pi + 1, std::numeric_limits<int>::max());
    next.flags = 0;
    resetWork(pi + 1);
}

void StyledDocument::keywordPass(int pi)
{
    ++counters.keywordPasses;
    if (highlighter) {
        const PassNavigators passNavigators(*this);
        TStyledNavigator& from = *passNavigators.from;
        TStyledNavigator& to = *passNavigators.to;
        from.setParaOffset(pi, 0);
        to.setParaOffset(pi, paras[size_t(pi)].length);
        highlighter->ApplyKeywords(*this, from, to, keywords.count());
    }
    if (ApplyKeyWords && !keywords.isEmpty())
        ownKeywordPass(pi);
    paras[size_t(pi)].set(ParagraphRecord::KeywordsDone, true);
}

void StyledDocument::ownKeywordPass(int pi)
{
    const ParagraphRecord& para = paras[size_t(pi)];
    const qint32 len = para.length;
    // The view's own keywords never match inside comments, strings or other regions.
    std::u16string masked(charsOf(para), size_t(len));
    FormatRecord cur = table.at(para.startFormat);
    const RecordSpan formats = recordsOf(para);
    size_t ri = 0;
    for (qint32 i = 0; i < len; ++i) {
        while (ri < formats.size() && formats[ri].offset <= i)
            cur = table.at(formats[ri++].style);
        if (cur.isDynamic() && cur.Context != 0)
            masked[size_t(i)] = 0xFFFF;
    }
    std::u16string upper;
    if (keywords.NeedsUpperCopy())
        upper = upperCased(upperCaseType, masked);
    ownKeywordIndex->refresh(keywords, Separators);
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    const int hits = applyKeywordRules(*this, pi, 0, len, 0, len, masked.data(),
                                       upper.empty() ? nullptr : upper.data(), keywords,
                                       *ownKeywordIndex, rules);
    if (hits > 0)
        markNavigatorsStale(pi, paragraphCount() - 1, paras[size_t(pi)].start);
}

bool StyledDocument::ownStopSearch(TStyledNavigator& from, TStyledNavigator& to, int k)
{
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    return findStopKeyIn(*this, from, to, startStopKeys, rules, 0, k);
}

bool StyledDocument::ownStartSearch(TStyledNavigator& from, TStyledNavigator& to)
{
    if (styleInForce(from.paraIndex(), from.offset()).level() >= MaxNestingLevel)
        return false;
    RuleSet rules;
    rules.separators = &Separators;
    rules.ownRules = true;
    return findStartKeyIn(*this, from, to, startStopKeys, rules, 0);
}

// ---- how far parsing and layout have got ----

void StyledDocument::ensureParsed(int pi)
{
    if (pi < 0 || pi >= paragraphCount())
        return;
    for (int q = parseMark; q <= pi; ++q)
        if (!paras[size_t(q)].has(ParagraphRecord::RegionDone))
            regionPass(q);
    parseMark = std::max(parseMark, pi + 1);
    if (!paras[size_t(pi)].has(ParagraphRecord::KeywordsDone)) {
        if (highlighter || ApplyKeyWords)
            keywordPass(pi);
        else
            paras[size_t(pi)].set(ParagraphRecord::KeywordsDone, true);
    }
}

void StyledDocument::ensureLaidOut(int pi)
{
    ensureParsed(pi);
    if (!paras[size_t(pi)].has(ParagraphRecord::LayoutDone)) {
        if (layoutHook) {
            layoutHook(pi);
            lineMark = std::min(lineMark, pi + 1);
        }
        paras[size_t(pi)].set(ParagraphRecord::LayoutDone, true);
    }
}

void StyledDocument::parseAll()
{
    for (int i = 0; i < paragraphCount(); ++i)
        ensureLaidOut(i);
    layoutMark = paragraphCount();
}

void StyledDocument::startWork()
{
    if (UpdateMode == umImmediate)
        parseAll();
}

void StyledDocument::resetWork(int fromPara)
{
    parseMark = std::min(parseMark, fromPara);
    layoutMark = std::min(layoutMark, fromPara);
}

bool StyledDocument::doBackgroundWork(std::chrono::milliseconds budget)
{
    const auto deadline = Clock::now() + budget;
    while (loadPending() && Clock::now() < deadline)
        loadMore(256 * 1024);
    const int n = paragraphCount();
    // The clock is read every few thousand characters: reading it for every short
    // paragraph costs more than laying the paragraph out.
    qint64 unchecked = Clock::now() < deadline ? 0 : -1;
    while (layoutMark < n && unchecked >= 0) {
        ensureLaidOut(layoutMark);
        unchecked += paras[size_t(layoutMark)].length + 1;
        ++layoutMark;
        if (unchecked >= 4096)
            unchecked = Clock::now() < deadline ? 0 : -1;
    }
    if (workPending())
        progress(std::min(99, int(qint64(layoutMark) * 100 / std::max(1, n))), false);
    else
        progress(100, true);
    return workPending();
}

// ---- display lines ----

qint64 StyledDocument::firstLine(int para)
{
    para = std::clamp(para, 0, paragraphCount() - 1);
    if (lineMark == 0) {
        lineTable(0).firstLine = 0;
        lineMark = 1;
    }
    for (; lineMark <= para; ++lineMark)
        lineTable(lineMark).firstLine = lineTables[size_t(lineMark - 1)].firstLine + lineCount(lineMark - 1);
    return lineTable(para).firstLine;
}

qint64 StyledDocument::displayLineCount()
{
    const int last = paragraphCount() - 1;
    return firstLine(last) + lineCount(last);
}

void StyledDocument::setLineTable(int para, std::vector<DisplayLine> lines)
{
    paragraphRecord(para);
    lineTable(para).lines = std::move(lines);
    lineMark = std::min(lineMark, para + 1);
}

void StyledDocument::invalidateLayout()
{
    for (ParagraphRecord& p : paras)
        p.set(ParagraphRecord::LayoutDone, false);
    layoutMark = 0;
}
// ---- after an edit ----

void StyledDocument::reparseAfterEdit(int firstPara, int lastPara)
{
    lastRegionPassParagraphs.clear();
    if (OnParse)
        OnParse(paras[size_t(firstPara)].start,
                paras[size_t(lastPara)].start + paras[size_t(lastPara)].length);
    for (int q = firstPara; q <= lastPara; ++q)
        paras[size_t(q)].flags = 0;
    resetWork(firstPara);
    if (repaintHook)
        repaintHook(firstPara, paragraphCount() - 1);
    // Paragraphs not parsed yet stay for later; parsed ones are brought up to date now,
    // stopping at the first paragraph whose start state is unchanged.
    inEdit = true;
    const int known = std::max(parseMark, lastPara + 1);
    int q = firstPara;
    for (; q < paragraphCount() && (q <= lastPara || !paras[size_t(q)].has(ParagraphRecord::RegionDone)); ++q) {
        if (q > lastPara && q >= known && UpdateMode != umImmediate)
            break;
        regionPass(q);
        if (highlighter || ApplyKeyWords)
            keywordPass(q);
        else
            paras[size_t(q)].set(ParagraphRecord::KeywordsDone, true);
    }
    inEdit = false;
    parseMark = std::max(parseMark, q);
    // parseMark must not pass a paragraph whose region pass is pending.
    for (int k = firstPara; k < parseMark; ++k)
        if (!paras[size_t(k)].has(ParagraphRecord::RegionDone)) {
            parseMark = k;
            break;
        }
    markNavigatorsStale(firstPara, paragraphCount() - 1, paras[size_t(firstPara)].start);
}

} // namespace kbl
