// File-name masks: WildcardMask against a plain matcher written here from the rules
// ("*" any run, "?" one character, no case, a final "." takes only names without a dot, a
// final ".*" also takes the name without that dot), on names of any bytes; the bytes and
// the text of a name match alike.
//
// Input: the mask (UTF-8), a NUL, then the name's bytes.

#include "FuzzSupport.h"

#include "platform/FileNames.h"
#include "platform/Wildcard.h"

#include <cstdint>
#include <vector>

namespace {

// Code points of case-folded text; a lone surrogate (an escaped byte of a name that is not
// UTF-8) is a character of its own.
std::vector<char32_t> characters(const QString& text)
{
    const QString folded = text.toCaseFolded();
    std::vector<char32_t> out;
    for (qsizetype i = 0; i < folded.size(); ++i) {
        const QChar c = folded[i];
        if (c.isHighSurrogate() && i + 1 < folded.size() && folded[i + 1].isLowSurrogate()) {
            out.push_back(QChar::surrogateToUcs4(c, folded[i + 1]));
            ++i;
        } else {
            out.push_back(c.unicode());
        }
    }
    return out;
}

// Whether the whole name meets the whole mask: table of mask prefixes against name prefixes.
bool globMatches(const std::vector<char32_t>& mask, const std::vector<char32_t>& name)
{
    std::vector<char> row(name.size() + 1, 0), next(name.size() + 1, 0);
    row[0] = 1;
    for (char32_t m : mask) {
        std::fill(next.begin(), next.end(), 0);
        for (size_t j = 0; j <= name.size(); ++j) {
            if (m == U'*')
                next[j] = row[j] || (j > 0 && next[j - 1]);
            else if (j > 0)
                next[j] = row[j - 1] && (m == U'?' || m == name[j - 1]);
        }
        row.swap(next);
    }
    return row[name.size()];
}

bool referenceMatches(const QString& mask, const QString& name)
{
    const bool dotless = !name.contains(u'.');
    if (mask.size() > 1 && mask.endsWith(QLatin1String(".*")))
        return globMatches(characters(mask), characters(name))
            || (dotless && globMatches(characters(mask.chopped(2)), characters(name)));
    if (mask.endsWith(u'.'))
        return dotless && globMatches(characters(mask.chopped(1)), characters(name));
    return globMatches(characters(mask), characters(name));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype nul = input.indexOf('\0');
    if (nul < 0 || nul > 64 || size - nul > 512)
        return 0;
    const QString maskText = QString::fromUtf8(input.first(nul));
    const QByteArrayView nameBytes = input.sliced(nul + 1);
    const QString name = platform::fileNameFromBytes(nameBytes);

    const platform::WildcardMask mask(maskText);
    const bool byBytes = mask.matches(nameBytes);
    FUZZ_CHECK(byBytes == mask.matches(QStringView(name)), "a name's bytes and its text match alike");
    FUZZ_CHECK(byBytes == referenceMatches(maskText, name), "the mask matches as the rules say");
    return 0;
}
