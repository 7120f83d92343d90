#pragma once
// Scanning UTF-16 text eight characters at a time where the processor allows it: the
// next character below a bound (line breaks and static codes while loading), the next
// or previous occurrence of either of two characters (a search's first character in
// both cases), the next digit (where a number may start), and counting line ends. Each
// has a plain loop for the rest and for other processors, with the same results.

#include <QtGlobal>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace kbl {

// The first index in [i, n) whose character is below `limit`, else n.
inline qsizetype findBelow(const char16_t* p, qsizetype i, qsizetype n, char16_t limit)
{
#if defined(__SSE2__)
    // Unsigned 16-bit comparison through the signed one, both sides offset by 0x8000.
    const __m128i bias = _mm_set1_epi16(short(0x8000));
    const __m128i bound = _mm_set1_epi16(short(limit ^ 0x8000));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i)), bias);
        const int m = _mm_movemask_epi8(_mm_cmplt_epi16(v, bound));
        if (m)
            return i + (__builtin_ctz(unsigned(m)) >> 1);
    }
#endif
    for (; i < n; ++i)
        if (p[i] < limit)
            return i;
    return n;
}

// The first index in [i, n) holding a or b, else n.
inline qsizetype findEither(const char16_t* p, qsizetype i, qsizetype n, char16_t a, char16_t b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)));
        if (m)
            return i + (__builtin_ctz(unsigned(m)) >> 1);
    }
#endif
    for (; i < n; ++i)
        if (p[i] == a || p[i] == b)
            return i;
    return n;
}

// The first index in [i, n) holding an ASCII digit or `extra`, else n.
inline qsizetype findDigitOr(const char16_t* p, qsizetype i, qsizetype n, char16_t extra)
{
#if defined(__SSE2__)
    // c - '0' saturates to 0 above 9 only for the digits.
    const __m128i zeroDigit = _mm_set1_epi16(short(u'0'));
    const __m128i nine = _mm_set1_epi16(9);
    const __m128i ve = _mm_set1_epi16(short(extra));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const __m128i digit = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, zeroDigit), nine), zero);
        const int m = _mm_movemask_epi8(_mm_or_si128(digit, _mm_cmpeq_epi16(v, ve)));
        if (m)
            return i + (__builtin_ctz(unsigned(m)) >> 1);
    }
#endif
    for (; i < n; ++i)
        if ((p[i] >= u'0' && p[i] <= u'9') || p[i] == extra)
            return i;
    return n;
}

// The first index in [i, n) holding a or b, or with `high` any character from 0x80 up
// (where a case mapping beyond ASCII may produce a or b), else n.
inline qsizetype findEitherOrHigh(const char16_t* p, qsizetype i, qsizetype n, char16_t a, char16_t b, bool high)
{
    if (!high)
        return findEither(p, i, n, a, b);
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    const __m128i highBits = _mm_set1_epi16(short(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int eq = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)));
        const int ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(v, highBits), zero));
        const int m = eq | (~ascii & 0xFFFF);
        if (m)
            return i + (__builtin_ctz(unsigned(m)) >> 1);
    }
#endif
    for (; i < n; ++i)
        if (p[i] == a || p[i] == b || p[i] >= 0x80)
            return i;
    return n;
}

// The last index in [lo, i] holding a or b, else -1 (i < lo gives -1).
inline qsizetype findEitherBack(const char16_t* p, qsizetype lo, qsizetype i, char16_t a, char16_t b)
{
#if defined(__SSE2__)
    const __m128i va = _mm_set1_epi16(short(a));
    const __m128i vb = _mm_set1_epi16(short(b));
    for (; i - 7 >= lo; i -= 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i - 7));
        const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, va), _mm_cmpeq_epi16(v, vb)));
        if (m)
            return i - 7 + ((31 - __builtin_clz(unsigned(m))) >> 1);
    }
#endif
    for (; i >= lo; --i)
        if (p[i] == a || p[i] == b)
            return i;
    return -1;
}

// Whether every character of [0, n) is below 128 and whether every one is printable
// ASCII (from 32 to 127). Blocks of eight are ORed together, the last block overlapping
// the one before instead of a plain loop over the rest; a character below 32 wraps round
// below zero when 32 is taken off.
struct AsciiClass {
    bool ascii;
    bool printable;
};
inline AsciiClass classifyAscii(const char16_t* p, qsizetype n)
{
#if defined(__SSE2__)
    if (n >= 8) {
        const __m128i space = _mm_set1_epi16(32);
        __m128i bits = _mm_setzero_si128();
        __m128i fromSpace = _mm_setzero_si128();
        auto add = [&](qsizetype at) {
            const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
            bits = _mm_or_si128(bits, v);
            fromSpace = _mm_or_si128(fromSpace, _mm_sub_epi16(v, space));
        };
        qsizetype i = 0;
        for (; i + 8 <= n; i += 8)
            add(i);
        if (i < n)
            add(n - 8);
        const __m128i highBits = _mm_set1_epi16(short(0xFF80));
        const __m128i zero = _mm_setzero_si128();
        const bool ascii = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(bits, highBits), zero)) == 0xFFFF;
        const bool printable = _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(fromSpace, highBits), zero)) == 0xFFFF;
        return {ascii, ascii && printable};
    }
#endif
    char16_t bits = 0;
    char16_t fromSpace = 0;
    for (qsizetype i = 0; i < n; ++i) {
        bits |= p[i];
        fromSpace |= char16_t(p[i] - 32);
    }
    return {bits < 128, bits < 128 && fromSpace < 128};
}

// How many characters of [0, n) are CR or LF.
inline qsizetype countBreakCharacters(const char16_t* p, qsizetype n)
{
    qsizetype count = 0;
    qsizetype i = 0;
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi16(short(u'\r'));
    const __m128i lf = _mm_set1_epi16(short(u'\n'));
    for (; i + 8 <= n; i += 8) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const int m = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi16(v, cr), _mm_cmpeq_epi16(v, lf)));
        count += __builtin_popcount(unsigned(m)) >> 1;
    }
#endif
    for (; i < n; ++i)
        count += (p[i] == u'\r' || p[i] == u'\n');
    return count;
}

} // namespace kbl
