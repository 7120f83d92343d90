#include "platform/FileNames.h"

#include <QStringDecoder>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace platform {

namespace {

// Length of the valid UTF-8 sequence at p (1..4), or 0 when the bytes there are not one.
// Overlong forms, surrogates and values above U+10FFFF are not valid.
int validSequenceLength(const unsigned char* p, const unsigned char* end, char32_t& value)
{
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        value = b0;
        return 1;
    }
    int length = 0;
    char32_t min = 0;
    if ((b0 & 0xE0) == 0xC0) {
        length = 2;
        value = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        length = 3;
        value = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        length = 4;
        value = b0 & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (p[i] & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return length;
}

// Whether every unit is below 0x80, eight bytes at a time: names are nearly always ASCII,
// and every path a scan reports passes here.
template <typename Unit>
bool allAscii(const Unit* p, qsizetype n)
{
    constexpr qsizetype perWord = 8 / sizeof(Unit);
    constexpr quint64 high = sizeof(Unit) == 1 ? 0x8080808080808080ULL : 0xFF80FF80FF80FF80ULL;
    qsizetype i = 0;
    for (; i + perWord <= n; i += perWord) {
        quint64 word;
        std::memcpy(&word, p + i, 8);
        if (word & high)
            return false;
    }
    for (; i < n; ++i)
        if (static_cast<std::make_unsigned_t<Unit>>(p[i]) >= 0x80)
            return false;
    return true;
}

bool isAscii(QByteArrayView bytes) { return allAscii(bytes.data(), bytes.size()); }
bool isAscii(QStringView text) { return allAscii(text.utf16(), text.size()); }

} // namespace

QString fileNameFromBytes(QByteArrayView bytes)
{
    // Plain ASCII and valid UTF-8 are by far the common case, and Qt decodes them fast;
    // its decoder refuses what this one refuses (overlong forms, surrogates, values past
    // U+10FFFF), so only names that are not UTF-8 take the byte-by-byte way below.
    if (isAscii(bytes))
        return QString::fromLatin1(bytes.data(), bytes.size());
    {
        // A leading BOM is part of a name like any other character, never a mark to drop.
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
        QString text = utf8.decode(bytes);
        if (!utf8.hasError())
            return text;
    }
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = p + bytes.size();
    QString result;
    result.reserve(bytes.size());
    while (p < end) {
        char32_t value = 0;
        const int length = validSequenceLength(p, end, value);
        if (length == 0) {
            result.append(QChar(char16_t(0xDC00 + *p)));
            ++p;
            continue;
        }
        if (value >= 0x10000) {
            result.append(QChar::highSurrogate(value));
            result.append(QChar::lowSurrogate(value));
        } else {
            result.append(QChar(char16_t(value)));
        }
        p += length;
    }
    return result;
}

QByteArray fileNameToBytes(QStringView name)
{
    if (isAscii(name))
        return name.toLatin1();
    // At most three bytes for each UTF-16 unit (a surrogate pair of two units gives four).
    const qsizetype n = name.size();
    QByteArray result(3 * n, Qt::Uninitialized);
    char* out = result.data();
    const auto put = [&out](char32_t byte) { *out++ = char(byte); };
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t unit = name[i].unicode();
        char32_t value = unit;
        if (QChar::isHighSurrogate(unit) && i + 1 < n && QChar::isLowSurrogate(name[i + 1].unicode())) {
            value = QChar::surrogateToUcs4(unit, name[i + 1].unicode());
            ++i;
        } else if (unit >= 0xDC80 && unit <= 0xDCFF) {
            put(unit - 0xDC00); // a byte that was not UTF-8, as it was
            continue;
        }
        if (value < 0x80) {
            put(value);
        } else if (value < 0x800) {
            put(0xC0 | (value >> 6));
            put(0x80 | (value & 0x3F));
        } else if (value < 0x10000) {
            put(0xE0 | (value >> 12));
            put(0x80 | ((value >> 6) & 0x3F));
            put(0x80 | (value & 0x3F));
        } else {
            put(0xF0 | (value >> 18));
            put(0x80 | ((value >> 12) & 0x3F));
            put(0x80 | ((value >> 6) & 0x3F));
            put(0x80 | (value & 0x3F));
        }
    }
    result.truncate(out - result.constData());
    return result;
}

} // namespace platform
