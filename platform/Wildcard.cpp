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
    mask_ = text.toCaseFolded();
    for (QChar c : mask_)
        if (c.unicode() >= 0x80)
            ascii_ = false;
    if (ascii_)
        asciiMask_ = mask_.toLatin1();
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
    const QString folded = name.toString().toCaseFolded();
    const QChar* m = mask_.constData();
    const QChar* mEnd = m + mask_.size();
    const auto same = [](QChar c) { return c; };
    if (globMatch(m, mEnd, folded.constData(), folded.constData() + folded.size(), same))
        return true;
    return dotStarOptional_ && !folded.contains(u'.')
        && globMatch(m, mEnd - 2, folded.constData(), folded.constData() + folded.size(), same);
}

} // namespace platform
