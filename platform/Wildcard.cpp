#include "platform/Wildcard.h"

#include "platform/FileNames.h"

#include <QString>

#include <algorithm>

namespace platform {

namespace {

inline char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// Classic backtracking match over one "*" at a time: linear for masks like "*.dpr".
template <typename Char, typename Fold>
bool globMatch(const Char* m, const Char* mEnd, const Char* n, const Char* nEnd, Fold fold)
{
    const Char* starM = nullptr;
    const Char* starN = nullptr;
    while (n < nEnd) {
        if (m < mEnd && *m == Char('*')) {
            starM = ++m;
            starN = n;
        } else if (m < mEnd && (*m == Char('?') || *m == fold(*n))) {
            ++m;
            ++n;
        } else if (starM) {
            m = starM;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (m < mEnd && *m == Char('*'))
        ++m;
    return m == mEnd;
}

// The code points of text, so that "?" takes a character beyond the basic plane whole; a
// lone surrogate (an escaped byte of a name that is not UTF-8) is a character of its own.
std::u32string codePoints(QStringView text)
{
    std::u32string out;
    out.reserve(size_t(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += char32_t(QChar::surrogateToUcs4(c, text[i + 1]));
            ++i;
        } else {
            out += char32_t(c.unicode());
        }
    }
    return out;
}

} // namespace

WildcardMask::WildcardMask(QStringView mask)
{
    QString text = mask.toString();
    if (text.size() > 1 && text.endsWith(u".*")) {
        dotStarOptional_ = true;
    } else if (text.endsWith(u'.')) {
        noDot_ = true;
        text.chop(1);
    }
    const QString folded = text.toCaseFolded();
    mask_ = codePoints(folded);
    for (QChar c : folded)
        if (c.unicode() >= 0x80)
            ascii_ = false;
    if (ascii_)
        asciiMask_ = folded.toLatin1();
    // "*.dpr": a plain suffix, the common mask, is compared without the general matcher.
    if (ascii_ && !noDot_ && !dotStarOptional_ && asciiMask_.startsWith('*')
        && asciiMask_.indexOf('*', 1) < 0 && asciiMask_.indexOf('?') < 0)
        suffix_ = asciiMask_.mid(1);
}

bool WildcardMask::matches(QByteArrayView name) const
{
    if (!suffix_.isNull()) {
        if (name.size() < suffix_.size())
            return false;
        const QByteArrayView tail = name.last(suffix_.size());
        // Each character folds to one character, so an ASCII tail decides alone; a tail
        // holding other characters (one may fold to ASCII) takes the general way.
        if (std::none_of(tail.begin(), tail.end(), [](char c) { return (c & 0x80) != 0; })) {
            for (qsizetype i = 0; i < tail.size(); ++i)
                if (foldAscii(tail[i]) != suffix_[i])
                    return false;
            return true;
        }
    }
    bool asciiName = true;
    for (char c : name)
        if (static_cast<unsigned char>(c) >= 0x80) {
            asciiName = false;
            break;
        }
    if (!asciiName || !ascii_)
        return matches(QStringView(fileNameFromBytes(name)));

    if (noDot_ && name.contains('.'))
        return false;
    const char* m = asciiMask_.constData();
    const char* mEnd = m + asciiMask_.size();
    if (globMatch(m, mEnd, name.data(), name.data() + name.size(), foldAscii))
        return true;
    // "name.*" is met by "name" as well.
    return dotStarOptional_ && !name.contains('.')
        && globMatch(m, mEnd - 2, name.data(), name.data() + name.size(), foldAscii);
}

bool WildcardMask::matches(QStringView name) const
{
    if (noDot_ && name.contains(u'.'))
        return false;
    const std::u32string folded = codePoints(name.toString().toCaseFolded());
    const char32_t* m = mask_.data();
    const char32_t* mEnd = m + mask_.size();
    const char32_t* n = folded.data();
    const char32_t* nEnd = n + folded.size();
    const auto same = [](char32_t c) { return c; };
    if (globMatch(m, mEnd, n, nEnd, same))
        return true;
    return dotStarOptional_ && folded.find(U'.') == std::u32string::npos && globMatch(m, mEnd - 2, n, nEnd, same);
}

} // namespace platform
