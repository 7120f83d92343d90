#include "textview/TextSearch.h"

#include "textview/CharScan.h"

#include <algorithm>
#include <string>

namespace kbl {

namespace {

// Tells whether an occurrence may start at a character: the cheap comparisons with the
// needle's first character in both cases come first; only characters outside ASCII can
// still upper-case to it.
class FirstCharacter {
public:
    FirstCharacter(char16_t upper, TpmUpperCase mode)
        : upper(upper), lower(upper >= u'A' && upper <= u'Z' ? char16_t(upper + 32) : upper), mode(mode)
    {
    }
    bool matches(char16_t c) const
    {
        return c == upper || c == lower || (c >= 128 && upperCaseChar(mode, c) == upper);
    }
    // The next position in [at, end) that may match, found eight characters at a time:
    // outside ASCII only the ANSI mode maps a character to another.
    qsizetype next(const char16_t* h, qsizetype at, qsizetype end) const
    {
        return findEitherOrHigh(h, at, end, upper, lower, mode == smuAnsi);
    }

private:
    char16_t upper;
    char16_t lower;
    TpmUpperCase mode;
};

bool restMatches(const char16_t* at, QStringView needle, TpmUpperCase mode)
{
    for (qsizetype k = 1; k < needle.size(); ++k)
        if (upperCaseChar(mode, at[k]) != needle[k].unicode())
            return false;
    return true;
}

// The first match met when stepping from `at` by `step` (1 or -1) over the positions
// where the needle fits.
qsizetype firstMatchFrom(QStringView hay, QStringView upperNeedle, qsizetype at, int step, TpmUpperCase mode)
{
    const qsizetype m = upperNeedle.size();
    if (m == 0 || m > hay.size())
        return -1;
    const qsizetype last = hay.size() - m;
    at = step > 0 ? std::max<qsizetype>(0, at) : std::min(at, last);
    const FirstCharacter first(upperNeedle[0].unicode(), mode);
    const char16_t* h = hay.utf16();
    if (step > 0) {
        for (; (at = first.next(h, at, last + 1)) <= last; ++at)
            if (first.matches(h[at]) && restMatches(h + at, upperNeedle, mode))
                return at;
        return -1;
    }
    for (; at >= 0 && at <= last; at += step)
        if (first.matches(h[at]) && restMatches(h + at, upperNeedle, mode))
            return at;
    return -1;
}

} // namespace

qsizetype indexOfExact(QStringView hay, QStringView needle, qsizetype from)
{
    const qsizetype m = needle.size();
    if (m == 0 || m > hay.size())
        return -1;
    const qsizetype last = hay.size() - m;
    const char16_t* h = hay.utf16();
    const char16_t* n = needle.utf16();
    for (qsizetype at = std::max<qsizetype>(0, from); (at = findEither(h, at, last + 1, n[0], n[0])) <= last; ++at)
        if (std::equal(n + 1, n + m, h + at + 1))
            return at;
    return -1;
}

qsizetype indexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode)
{
    return firstMatchFrom(hay, upperNeedle, from, 1, mode);
}

qsizetype lastIndexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode)
{
    return firstMatchFrom(hay, upperNeedle, from, -1, mode);
}

TextMatch searchDocument(StyledDocument& doc, const CharSet& separators, QStringView text, int para,
                         qint32 offset, bool forward, bool matchCase, bool wholeWord)
{
    if (text.isEmpty())
        return {};
    const TpmUpperCase mode = doc.UpperCaseType();
    std::u16string needle(text.utf16(), size_t(text.size()));
    if (!matchCase)
        needle = upperCased(mode, needle);
    const QStringView pat(needle.data(), qsizetype(needle.size()));
    const qsizetype m = pat.size();
    // Without match case a paragraph is compared upper-cased: a character at a time, or
    // through the document's upper-cased copy where only a user routine knows how.
    const bool folded = !matchCase && mode != smuUserDefined;
    const bool copied = !matchCase && !folded;

    auto hay = [&](int pi) -> QStringView {
        const QStringView p = doc.paragraphView(pi);
        if (!copied || p.isEmpty())
            return p;
        return QStringView(doc.UpperCopy(pi, 0, qint32(p.size())), p.size());
    };
    auto find = [&](QStringView h, qsizetype from) {
        return folded ? indexOfUpperCased(h, pat, from, mode) : indexOfExact(h, pat, from);
    };
    auto findBack = [&](QStringView h, qsizetype from) {
        return folded ? lastIndexOfUpperCased(h, pat, from, mode) : h.lastIndexOf(pat, from);
    };
    auto isSeparator = [&](QChar c) {
        return separators.contains(folded ? upperCaseChar(mode, c.unicode()) : c.unicode());
    };
    auto isWhole = [&](QStringView h, qsizetype at) {
        if (!wholeWord)
            return true;
        const bool before = at == 0 || isSeparator(h[at - 1]);
        const bool after = at + m >= h.size() || isSeparator(h[at + m]);
        return before && after;
    };

    const int n = doc.paragraphCount();
    if (forward && folded) {
        // The common case in one loop over the paragraphs, without a call per paragraph:
        // a scan searches the whole text several times.
        const FirstCharacter first(pat[0].unicode(), mode);
        for (int pi = para; pi < n; ++pi) {
            const QStringView h = doc.paragraphView(pi);
            const char16_t* c = h.utf16();
            const qsizetype end = h.size() - m + 1; // positions where the pattern fits
            for (qsizetype at = pi == para ? offset : 0; (at = first.next(c, at, end)) < end; ++at)
                if (first.matches(c[at]) && restMatches(c + at, pat, mode) && isWhole(h, at))
                    return {pi, at};
        }
        return {};
    }
    if (forward) {
        for (int pi = para; pi < n; ++pi) {
            const QStringView h = hay(pi);
            qsizetype at = pi == para ? offset : 0;
            while ((at = find(h, at)) >= 0) {
                if (isWhole(h, at))
                    return {pi, at};
                ++at;
            }
        }
    } else {
        for (int pi = para; pi >= 0; --pi) {
            const QStringView h = hay(pi);
            qsizetype from = pi == para ? offset - m : h.size() - m;
            while (from >= 0) {
                const qsizetype at = findBack(h, from);
                if (at < 0)
                    break;
                if (isWhole(h, at))
                    return {pi, at};
                from = at - 1;
            }
        }
    }
    return {};
}

} // namespace kbl
