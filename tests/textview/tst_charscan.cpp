#include "textview/CharScan.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

using namespace kbl;

TEST(CharScan, FindDigitOrMatchesThePlainLoopAtEveryStartAndEnd)
{
    // Neighbours of the digits and of the extra character, also with high bytes that
    // only look alike in their low byte; every start and end crosses the eight-character
    // steps at another place.
    const std::vector<char16_t> alphabet = {u'/', u'0', u'5', u'9', u':', u'#', u'$', u'%', u'a',
                                            u' ', char16_t(0x8030), char16_t(0x0130), char16_t(0xFF10),
                                            char16_t(0x0660), char16_t(0xFFFF), char16_t(0)};
    std::mt19937 rng(11);
    for (int round = 0; round < 200; ++round) {
        std::vector<char16_t> text(size_t(rng() % 40));
        for (char16_t& c : text)
            c = rng() % 4 ? u'x' : alphabet[rng() % alphabet.size()];
        const qsizetype n = qsizetype(text.size());
        for (qsizetype i = 0; i <= n; ++i)
            for (qsizetype end = i; end <= n; ++end) {
                qsizetype expected = end;
                for (qsizetype k = i; k < end; ++k)
                    if ((text[size_t(k)] >= u'0' && text[size_t(k)] <= u'9') || text[size_t(k)] == u'$') {
                        expected = k;
                        break;
                    }
                ASSERT_EQ(findDigitOr(text.data(), i, end, u'$'), expected) << round << " " << i << " " << end;
            }
    }
}
