#include "textview/FormatRecord.h"

#include <atomic>
#include <stdexcept>

namespace kbl {

quint8 toggleStaticStyle(quint8 style, char16_t c)
{
    switch (c) {
    case 2: return style ^ 0x01;
    case 1: return style ^ 0x02;
    case 21: return style ^ 0x04;
    case 3: return style ^ 0x10;
    case 4: return style ^ 0x20;
    default: return style;
    }
}

bool FormatRecord::sameState(const FormatRecord& o) const
{
    if ((Attribute & 0xC0) != (o.Attribute & 0xC0) || level() != o.level())
        return false;
    for (int i = 0; i <= level(); ++i)
        if (RuleStack[size_t(i)] != o.RuleStack[size_t(i)])
            return false;
    return true;
}

void FormatRecord::canonicalize()
{
    const int l = level();
    if (l < 0)
        Level = -1;
    for (int i = l + 1; i < 16; ++i)
        RuleStack[size_t(i)] = 0;
}

bool FormatRecord::sameStyle(const FormatRecord& o) const
{
    return Attribute == o.Attribute && Level == o.Level && StartKeyLen == o.StartKeyLen
        && StopKeyLen == o.StopKeyLen && Cursor == o.Cursor && Background == o.Background
        && Foreground == o.Foreground && Context == o.Context && RuleStack == o.RuleStack;
}

size_t FormatTable::Hash::operator()(const FormatRecord& r) const
{
    size_t h = size_t(r.Attribute) | size_t(quint8(r.Level)) << 8 | size_t(r.StartKeyLen) << 16
             | size_t(r.StopKeyLen) << 24;
    auto mix = [&h](size_t v) { h ^= v + 0x9e3779b97f4a7c15ULL + (h << 6) + (h >> 2); };
    mix(size_t(quint16(r.Cursor)));
    mix(size_t(quint32(r.Background)));
    mix(size_t(quint32(r.Foreground)));
    mix(size_t(quint32(r.Context)));
    for (int i = 0; i <= r.level(); ++i)
        mix(size_t(quint16(r.RuleStack[size_t(i)])));
    return h;
}

FormatTable::FormatTable()
{
    static std::atomic<quint64> next{1};
    serialNumber = next++;
    intern(FormatRecord{});
}

quint32 FormatTable::intern(const FormatRecord& rec)
{
    FormatRecord r = rec;
    r.Offset = 0;
    r.canonicalize();
    const size_t h = Hash{}(r);
    quint32& slot = recent[h & (recent.size() - 1)];
    if (slot < styles.size() && styles[slot].sameStyle(r))
        return slot;
    auto it = ids.find(r);
    if (it != ids.end()) {
        slot = it->second;
        return it->second;
    }
    if (styles.size() >= 0xFFFFFFF0u)
        throw std::length_error("Too many formats");
    const auto id = quint32(styles.size());
    styles.push_back(r);
    if (r.isDynamic())
        styleBits |= quint8(r.Attribute & 0x3F);
    ids.emplace(r, id);
    slot = id;
    return id;
}

} // namespace kbl
