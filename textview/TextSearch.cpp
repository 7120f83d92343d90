#include "textview/TextSearch.h"

#include <algorithm>

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

} // namespace

qsizetype indexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode)
{
    const qsizetype m = upperNeedle.size();
    if (m == 0 || m > hay.size())
        return -1;
    const FirstCharacter first(upperNeedle[0].unicode(), mode);
    const char16_t* h = hay.utf16();
    for (qsizetype i = std::max<qsizetype>(0, from), last = hay.size() - m; i <= last; ++i)
        if (first.matches(h[i]) && restMatches(h + i, upperNeedle, mode))
            return i;
    return -1;
}

qsizetype lastIndexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode)
{
    const qsizetype m = upperNeedle.size();
    if (m == 0 || m > hay.size())
        return -1;
    const FirstCharacter first(upperNeedle[0].unicode(), mode);
    const char16_t* h = hay.utf16();
    for (qsizetype i = std::min(from, hay.size() - m); i >= 0; --i)
        if (first.matches(h[i]) && restMatches(h + i, upperNeedle, mode))
            return i;
    return -1;
}

} // namespace kbl
