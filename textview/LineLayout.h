#pragma once
// Measuring and wrapping paragraphs without a window: the view's two fonts in their
// style variants with cached per-character advances, the style in force at each character
// (format records plus static codes), and the division of a paragraph into display lines.
// Laying out a million lines with a text-layout engine per line is far too slow, so runs
// are measured from cached advances and painted with kerning off to match.

#include "textview/StyledDocument.h"

#include <QFont>
#include <QFontMetricsF>

#include <array>
#include <memory>
#include <unordered_map>
#include <vector>

namespace kbl {

class FontSet {
public:
    FontSet();
    void setFonts(const QFont& font, const QFont& altFont);
    const QFont& baseFont() const { return base; }
    // Font style bits (bold, italic, underline, strike-out) of the view's own font.
    quint8 fontStyleBits() const { return fontBits; }

    // The metric variant of a style: alternate font, bold, italic (underline and
    // strike-out do not change widths).
    static int variant(quint8 style)
    {
        return ((style & 0x20) ? 4 : 0) | ((style & 0x01) ? 2 : 0) | ((style & 0x02) ? 1 : 0);
    }
    qreal advance(int variant, char16_t c) const
    {
        const Variant& v = variants[size_t(variant)];
        if (c < 128)
            return v.ascii[c];
        return otherAdvance(v, c);
    }
    // The advances of the ASCII characters in a variant.
    const std::array<qreal, 128>& asciiAdvances(int variant) const { return variants[size_t(variant)].ascii; }
    // The one advance of all printable ASCII characters in a monospaced variant, else 0.
    // Given only where every variant's ASCII advances are whole 64ths of a pixel (as
    // font engines give them): then sums of them are exact, in any order or as products.
    qreal uniformAsciiAdvance(int variant) const { return variants[size_t(variant)].uniform; }
    // The largest advance of a character below 128 (TAB aside) in any variant of the
    // view's own font, or of both fonts: a bound on the width of ASCII text that needs no
    // walk over its styles.
    qreal widestAsciiAdvance(bool withAltFont) const { return widestAscii[withAltFont ? 1 : 0]; }
    // The font to draw a style with (underline and strike-out applied).
    const QFont& font(quint8 style) const;
    const QFontMetricsF& metrics(int variant) const { return variants[size_t(variant)].fm; }
    qreal spaceWidth() const { return space; }
    qreal averageCharWidth() const { return average; }

private:
    struct Variant {
        QFont font;
        QFontMetricsF fm{QFont()};
        std::array<qreal, 128> ascii{};
        qreal uniform = 0;
        mutable std::unordered_map<char16_t, qreal> others;
    };
    qreal otherAdvance(const Variant& v, char16_t c) const;
    QFont base;
    quint8 fontBits = 0;
    std::array<Variant, 8> variants;
    mutable std::array<std::unique_ptr<QFont>, 32> drawFonts;
    qreal space = 1;
    qreal average = 1;
    std::array<qreal, 2> widestAscii{};
};

// The style in force while walking a paragraph forward character by character.
class StyleWalker {
public:
    StyleWalker(const StyledDocument& doc, int para, bool staticFormat, quint8 fontBits);
    // Starts at offset `from` as if advanced there: the record in force by binary search,
    // the static style from the laid-out display line holding `from`. The cost is that of
    // the distance from the line's start, not of the offset.
    StyleWalker(const StyledDocument& doc, int para, bool staticFormat, quint8 fontBits, qint32 from);
    // Moves to offset i (forward only) and returns whether i is a static code (no width).
    bool advanceTo(qint32 i);
    // Effective style bits at the current offset.
    quint8 style() const { return effective; }
    const FormatRecord& record() const { return *rec; }
    // Offset of the next record boundary after the current offset (or INT_MAX).
    qint32 nextBoundary() const;

private:
    void recompute();
    const StyledDocument& doc;
    const ParagraphInfo p; // a snapshot: valid while the walk runs
    bool staticFormat;
    quint8 fontBits;
    size_t next = 0; // index of the first record not yet in force
    const FormatRecord* rec;
    FormatRecord current;
    quint8 staticStyle;
    quint8 effective = 0;
    qint32 at = -1;
};

// Characters and records the style walkers have stepped over in this process. Tests read
// it to check that work on a long paragraph follows the line, not the offset.
quint64 styleWalkSteps();

// Combines a record and the static style the way painting and measuring see it.
quint8 effectiveStyle(const FormatRecord& r, quint8 staticStyle, quint8 fontBits);

struct LayoutParams {
    qreal availableWidth = 0; // client width minus both margins
    qreal tabWidth = 8;       // TabStops x space width
    bool wordWrap = true;
    bool staticFormat = true;
};

struct LayoutResult {
    std::vector<DisplayLine> lines; // empty for a single line starting at 0
    qreal widest = 0;
};

// Divides a paragraph into display lines. With `plainStyle` the paragraph's format
// records are left out and all of it is measured in that style, as an unformatted copy
// of the text would be.
LayoutResult layoutParagraph(const StyledDocument& doc, int para, const FontSet& fonts,
                             const LayoutParams& params, const FormatRecord* plainStyle = nullptr);

// Whether a paragraph is sure to fit one display line, by a bound that needs no walk over
// its styles: ASCII text no wider than its length times the widest advance of the fonts in
// use, a TAB a tab width. False says nothing: the paragraph is to be laid out.
bool surelyOneLine(const StyledDocument& doc, int para, const FontSet& fonts, const LayoutParams& params);

// x of every character boundary of [start, end) of a paragraph, from the line's left
// edge: result[k] is the x before character start + k, result[end - start] the x after
// the last. TABs advance to the next multiple of tabWidth.
std::vector<qreal> measureLine(const StyledDocument& doc, int para, qint32 start, qint32 end,
                               const FontSet& fonts, const LayoutParams& params);

} // namespace kbl
