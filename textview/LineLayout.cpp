#include "textview/LineLayout.h"

#include "textview/CharScan.h"

#include <QFontInfo>

#include <algorithm>
#include <climits>
#include <cmath>

namespace kbl {

namespace {
quint64 walkSteps = 0;
} // namespace

quint64 styleWalkSteps()
{
    return walkSteps;
}

quint8 effectiveStyle(const FormatRecord& r, quint8 staticStyle, quint8 fontBits)
{
    // A rule's record replaces the font's style; static codes toggle whatever is in force.
    const quint8 base = r.isDynamic() ? quint8(r.Attribute & 0x3F) : fontBits;
    return quint8(base ^ (staticStyle & 0x3F));
}

// ---- FontSet ----

FontSet::FontSet()
{
    setFonts(QFont(), QFont());
}

void FontSet::setFonts(const QFont& font, const QFont& altFont)
{
    base = font;
    base.setKerning(false);
    fontBits = quint8((font.bold() ? 0x01 : 0) | (font.italic() ? 0x02 : 0) |
                      (font.underline() ? 0x04 : 0) | (font.strikeOut() ? 0x08 : 0));
    for (int i = 0; i < 8; ++i) {
        Variant& v = variants[size_t(i)];
        v.font = (i & 4) ? altFont : font;
        v.font.setKerning(false);
        v.font.setWeight((i & 2) ? QFont::Bold : QFont::Normal);
        v.font.setItalic(i & 1);
        v.font.setUnderline(false);
        v.font.setStrikeOut(false);
        v.fm = QFontMetricsF(v.font);
        for (char16_t c = 0; c < 128; ++c)
            v.ascii[c] = c < 32 ? 0.0 : v.fm.horizontalAdvance(QChar(c));
        v.others.clear();
    }
    bool exact = true;
    widestAscii = {0, 0};
    for (int i = 0; i < 8; ++i) {
        Variant& v = variants[size_t(i)];
        const qreal widestHere = *std::max_element(v.ascii.begin(), v.ascii.end());
        if (i < 4)
            widestAscii[0] = std::max(widestAscii[0], widestHere);
        widestAscii[1] = std::max(widestAscii[1], widestHere);
        v.uniform = v.ascii[32];
        for (char16_t c = 32; c < 128; ++c) {
            const qreal in64ths = v.ascii[c] * 64;
            exact = exact && in64ths == std::floor(in64ths) && in64ths < (1 << 20);
            if (v.ascii[c] != v.uniform)
                v.uniform = 0;
        }
    }
    if (!exact)
        for (Variant& v : variants)
            v.uniform = 0;
    for (auto& f : drawFonts)
        f.reset();
    QFontMetricsF fm(base);
    space = std::max<qreal>(1, fm.horizontalAdvance(QChar(u' ')));
    average = std::max<qreal>(1, fm.averageCharWidth());
}

qreal FontSet::otherAdvance(const Variant& v, char16_t c) const
{
    auto it = v.others.find(c);
    if (it != v.others.end())
        return it->second;
    const qreal w = QChar::isSurrogate(c) ? v.fm.horizontalAdvance(QChar(0xFFFD)) / 2
                                          : v.fm.horizontalAdvance(QChar(c));
    v.others.emplace(c, w);
    return w;
}

const QFont& FontSet::font(quint8 style) const
{
    const int key = variant(style) * 4 + ((style & 0x04) ? 2 : 0) + ((style & 0x08) ? 1 : 0);
    auto& slot = drawFonts[size_t(key)];
    if (!slot) {
        slot = std::make_unique<QFont>(variants[size_t(variant(style))].font);
        slot->setUnderline(style & 0x04);
        slot->setStrikeOut(style & 0x08);
    }
    return *slot;
}

// ---- StyleWalker ----

StyleWalker::StyleWalker(const StyledDocument& d, int para, bool sf, quint8 fb)
    : doc(d), p(d.paragraph(para)), staticFormat(sf), fontBits(fb),
      rec(&d.formats().at(p.StartFormat)), staticStyle(sf ? p.StaticStyle : 0)
{
    recompute();
}

StyleWalker::StyleWalker(const StyledDocument& d, int para, bool sf, quint8 fb, qint32 from)
    : StyleWalker(d, para, sf, fb)
{
    from = std::clamp(from, 0, p.length());
    next = size_t(d.upperRecordIndex(para, from));
    if (next > 0) {
        current = d.formats().expand(p.Formats[next - 1]);
        rec = &current;
        ++walkSteps;
    }
    if (sf) {
        // A line table is only as fresh as the layout flag says.
        qint32 k = 0;
        if (p.LayoutDone && !p.Lines.empty()) {
            auto line = std::upper_bound(p.Lines.begin(), p.Lines.end(), from,
                                         [](qint32 o, const DisplayLine& l) { return o < l.Start; });
            if (line != p.Lines.begin()) {
                --line;
                k = line->Start;
                staticStyle ^= line->StaticToggles;
            }
        }
        for (; k < from; ++k) {
            ++walkSteps;
            if (isStaticCode(p.at(k)))
                staticStyle = toggleStaticStyle(staticStyle, p.at(k));
        }
    }
    at = from;
    recompute();
}

void StyleWalker::recompute()
{
    effective = effectiveStyle(*rec, staticStyle, fontBits);
}

bool StyleWalker::advanceTo(qint32 i)
{
    bool code = false;
    bool changed = false;
    for (qint32 k = at + 1; k <= i; ++k) {
        ++walkSteps;
        if (staticFormat && k - 1 >= 0 && k - 1 < p.length() && isStaticCode(p.at(k - 1))) {
            staticStyle = toggleStaticStyle(staticStyle, p.at(k - 1));
            changed = true;
        }
        while (next < p.Formats.size() && p.Formats[next].offset <= k) {
            current = doc.formats().expand(p.Formats[next]);
            rec = &current;
            ++next;
            ++walkSteps;
            changed = true;
        }
        at = k;
    }
    if (i < p.length() && staticFormat && isStaticCode(p.at(i)))
        code = true;
    if (changed)
        recompute();
    return code;
}

qint32 StyleWalker::nextBoundary() const
{
    return next < p.Formats.size() ? p.Formats[next].offset : INT_MAX;
}

// ---- layout ----

namespace {
qreal nextTabStop(qreal x, qreal tab)
{
    return (std::floor(x / tab + 1e-6) + 1) * tab;
}
} // namespace

LayoutResult layoutParagraph(const StyledDocument& doc, int para, const FontSet& fonts,
                             const LayoutParams& params, const FormatRecord* plainStyle)
{
    LayoutResult out;
    const ParagraphInfo& p = doc.paragraph(para);
    const qint32 n = p.length();
    const char16_t* t = p.text();
    const qreal avail = params.availableWidth;
    const qreal tab = std::max<qreal>(1, params.tabWidth);
    // The style changes only at records and static codes: keep the metric variant
    // between them instead of asking for every character.
    const RecordSpan records = plainStyle ? RecordSpan() : p.Formats;
    const FormatRecord* rec = plainStyle ? plainStyle : &doc.formats().at(p.StartFormat);
    size_t nextRecord = 0;
    qint32 nextBoundary = -1;
    quint8 staticStyle = params.staticFormat ? p.StaticStyle : 0;
    const quint8 fontBits = fonts.fontStyleBits();
    int var = FontSet::variant(effectiveStyle(*rec, staticStyle, fontBits));

    {
        // Most paragraphs are printable ASCII that fits the line: one pass adds the
        // advances in the order the full walk below would, so the width is the same.
        // A monospaced stretch is its length times the advance, which is exact there.
        qreal sum = 0;
        bool plain = true;
        // Checked for the whole paragraph at once, many characters at a time.
        unsigned outside = 0;
        for (qint32 k = 0; k < n; ++k)
            outside |= unsigned(t[k] < 32) | unsigned(t[k] >= 128);
        const bool printable = outside == 0;
        if (const qreal mono = fonts.uniformAsciiAdvance(0);
            printable && mono > 0 && mono == fonts.uniformAsciiAdvance(1) && mono == fonts.uniformAsciiAdvance(2) &&
            mono == fonts.uniformAsciiAdvance(3)) {
            // Every style of the view's own font has one advance: unless a record switches
            // to the alternate font, the width is the length times it.
            quint8 alt = effectiveStyle(*rec, staticStyle, fontBits);
            for (const StoredRecord& sr : records)
                alt |= effectiveStyle(doc.formats().at(sr.style), staticStyle, fontBits);
            if (!(alt & 0x20)) {
                const qreal width = n * mono;
                if (!params.wordWrap || width <= avail) {
                    out.widest = width;
                    return out;
                }
                plain = false; // too wide: the walk below divides it
            }
        }
        size_t r = 0;
        const FormatRecord* fr = rec;
        for (qint32 i = 0; i < n && plain;) {
            while (r < records.size() && records[r].offset <= i)
                fr = &doc.formats().at(records[r++].style);
            const qint32 end = r < records.size() ? std::min(n, records[r].offset) : n;
            const int v = FontSet::variant(effectiveStyle(*fr, staticStyle, fontBits));
            if (const qreal uniform = fonts.uniformAsciiAdvance(v); uniform > 0 && printable) {
                sum += (end - i) * uniform;
                i = end;
                continue;
            }
            const std::array<qreal, 128>& adv = fonts.asciiAdvances(v);
            for (; i < end; ++i) {
                const char16_t c = t[i];
                if (c < 32 || c >= 128) {
                    plain = false;
                    break;
                }
                sum += adv[c];
            }
        }
        if (plain && (!params.wordWrap || sum <= avail)) {
            out.widest = sum;
            return out;
        }
    }

    std::vector<DisplayLine> lines;
    qint32 lineStart = 0;
    quint8 lineToggles = 0; // static codes toggled before the line start
    quint8 toggles = 0;     // static codes toggled before the current character
    qreal x = 0;
    qint32 spaces = 0;
    qint32 wordStart = -1; // first character of the word being measured
    qreal wordX = 0;       // x at the word's start
    qint32 wordSpaces = 0; // spaces on the line before the word
    quint8 wordToggles = 0;
    qreal prevAdv = 0;     // advance of the previous word character
    qint32 prevIndex = -1;

    auto finishLine = [&](qint32 nextStart, qreal width, qint32 sp, quint8 nextToggles) {
        lines.push_back({lineStart, qint32(std::ceil(width)), sp, lineToggles});
        out.widest = std::max(out.widest, width);
        lineStart = nextStart;
        lineToggles = nextToggles;
    };

    for (qint32 i = 0; i < n; ++i) {
        if (i >= nextBoundary) {
            while (nextRecord < records.size() && records[nextRecord].offset <= i)
                rec = &doc.formats().at(records[nextRecord++].style);
            nextBoundary = nextRecord < records.size() ? records[nextRecord].offset : n;
            var = FontSet::variant(effectiveStyle(*rec, staticStyle, fontBits));
        }
        const char16_t c = t[i];
        const quint8 togglesBefore = toggles;
        if (c < 32 && isStaticCode(c)) {
            toggles = toggleStaticStyle(toggles, c);
            if (params.staticFormat) {
                // Static codes take no width and switch the style for what follows.
                staticStyle = toggleStaticStyle(staticStyle, c);
                var = FontSet::variant(effectiveStyle(*rec, staticStyle, fontBits));
                continue;
            }
        }
        if (c == u' ') {
            wordStart = -1;
            x += fonts.advance(var, c);
            ++spaces;
            continue;
        }
        if (c == u'\t') {
            wordStart = -1;
            x = nextTabStop(x, tab);
            continue;
        }
        const qreal w = fonts.advance(var, c);
        if (wordStart < 0) {
            wordStart = i;
            wordX = x;
            wordSpaces = spaces;
            wordToggles = togglesBefore;
        }
        if (params.wordWrap && x + w > avail) {
            if (wordX > 0) {
                // The word does not fit behind what the line holds: it starts the next
                // line, the blanks before it stay behind.
                finishLine(wordStart, wordX, wordSpaces, wordToggles);
                x -= wordX;
                wordX = 0;
                spaces = 0;
            }
            if (x + w > avail && i > lineStart) {
                // A word longer than a whole line is cut; each piece stays narrower than
                // the line (a piece never ends exactly at the available width).
                qint32 cut = i;
                qreal keep = x;
                if (x >= avail && prevIndex > lineStart && prevIndex == i - 1) {
                    cut = i - 1;
                    keep = x - prevAdv;
                }
                quint8 cutToggles = togglesBefore;
                if (cut < i && isStaticCode(t[cut]))
                    cutToggles = toggleStaticStyle(cutToggles, t[cut]); // measured as text
                finishLine(cut, keep, 0, cutToggles);
                x -= keep;
                wordStart = cut;
                wordX = 0;
                spaces = 0;
            }
        }
        x += w;
        prevAdv = w;
        prevIndex = i;
    }
    if (lines.empty()) {
        out.widest = x;
        return out;
    }
    lines.push_back({lineStart, qint32(std::ceil(x)), spaces, lineToggles});
    out.widest = std::max(out.widest, x);
    out.lines = std::move(lines);
    return out;
}

bool surelyOneLine(const StyledDocument& doc, int para, const FontSet& fonts, const LayoutParams& params)
{
    if (!params.wordWrap)
        return true;
    const qint32 n = doc.paraLength(para);
    const qreal tab = std::max<qreal>(1, params.tabWidth);
    if (n * std::min(fonts.widestAsciiAdvance(false), tab) > params.availableWidth)
        return false;
    // Below 128 every character is at most the widest ASCII advance, a TAB at most a tab
    // width; other characters are measured. Most paragraphs are printable ASCII: the TABs
    // and codes are counted only where there are any.
    const char16_t* t = doc.paraChars(para);
    const AsciiClass kind = classifyAscii(t, n);
    if (!kind.ascii)
        return false;
    qint32 controls = 0;
    qint32 tabs = 0;
    if (!kind.printable) {
        for (qint32 k = 0; k < n; ++k) {
            controls += t[k] < 32;
            tabs += t[k] == u'\t';
        }
    }
    // The alternate font is in force only where a record or a static code selects it.
    const bool altFont = controls > tabs || (doc.formats().dynamicStyleBits() & 0x20) ||
                         (doc.paraStaticStyle(para) & 0x20);
    // One character and a pixel to spare: the rounding of the measured sums stays inside.
    const qreal bound = (n - tabs + 1) * fonts.widestAsciiAdvance(altFont) + tabs * tab + 1;
    return bound <= params.availableWidth;
}

std::vector<qreal> measureLine(const StyledDocument& doc, int para, qint32 start, qint32 end,
                               const FontSet& fonts, const LayoutParams& params)
{
    const ParagraphInfo& p = doc.paragraph(para);
    end = std::min(end, p.length());
    std::vector<qreal> xs(size_t(std::max(0, end - start) + 1), 0.0);
    StyleWalker style(doc, para, params.staticFormat, fonts.fontStyleBits(), start);
    const qreal tab = std::max<qreal>(1, params.tabWidth);
    qreal x = 0;
    for (qint32 i = start; i < end; ++i) {
        xs[size_t(i - start)] = x;
        const char16_t c = p.at(i);
        if (style.advanceTo(i))
            continue;
        if (c == u'\t')
            x = nextTabStop(x, tab);
        else
            x += fonts.advance(FontSet::variant(style.style()), c);
    }
    xs[size_t(end - start)] = x;
    return xs;
}

} // namespace kbl
