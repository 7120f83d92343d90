#pragma once
// A format change point of a paragraph and the compact form in which paragraphs keep it.
// Paragraphs store only (offset, style id); everything else of a record is interned in
// the document's FormatTable, so a record costs 8 bytes however deep its rule stack is.

#include <QtGlobal>

#include <array>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace kbl {

constexpr int MaxNestingLevel = 15; // levels 0..15: at most 16 nested rules

// Static format codes: characters 1-4 and 21 toggle a style bit and take no width.
inline bool isStaticCode(char16_t c) { return c == 1 || c == 2 || c == 3 || c == 4 || c == 21; }
quint8 toggleStaticStyle(quint8 style, char16_t c);

struct FormatRecord {
    qint32 Offset = 0;
    quint8 Attribute = 0;
    qint8 Level = -1;
    quint8 StartKeyLen = 0;
    quint8 StopKeyLen = 0;
    qint16 Cursor = 0;
    qint32 Background = -1;
    qint32 Foreground = -1;
    qint32 Context = 0;
    std::array<qint16, 16> RuleStack{};

    bool isDynamic() const { return Attribute & 0x80; }
    bool isLevelRecord() const { return (Attribute & 0xC0) == 0xC0; }
    // Nesting depth, -1 unless this is a level record.
    int level() const { return isLevelRecord() ? Level : -1; }
    int context() const { return isDynamic() ? Context : 0; }
    // The rule identifier that opened the record's own level (meaningful for level >= 0).
    qint16 topRule() const { return level() >= 0 ? RuleStack[size_t(Level)] : qint16(0); }
    // The state comparison that decides whether highlighting must continue into the next
    // paragraph: level bits, level and the rule stack up to the level.
    bool sameState(const FormatRecord& o) const;
    // Clears the fields that have no meaning for this record (so equal states intern once).
    void canonicalize();
    bool sameStyle(const FormatRecord& o) const;
};

struct StoredRecord {
    qint32 offset;
    quint32 style;
};

class FormatTable {
public:
    FormatTable();
    quint32 intern(const FormatRecord& r);
    // The interned record (its Offset is 0).
    const FormatRecord& at(quint32 id) const { return styles[id]; }
    FormatRecord expand(const StoredRecord& s) const
    {
        FormatRecord r = styles[s.style];
        r.Offset = s.offset;
        return r;
    }
    StoredRecord store(const FormatRecord& r) { return {r.Offset, intern(r)}; }
    size_t size() const { return styles.size(); }
    // The style bits (0x3F) any dynamic record of the table sets: a bit no record sets
    // comes only from the font or from static codes.
    quint8 dynamicStyleBits() const { return styleBits; }
    // Unique per table for the life of the process: lets callers cache ids safely.
    quint64 serial() const { return serialNumber; }

private:
    struct Hash {
        size_t operator()(const FormatRecord& r) const;
    };
    struct Eq {
        bool operator()(const FormatRecord& a, const FormatRecord& b) const { return a.sameStyle(b); }
    };
    quint64 serialNumber;
    quint8 styleBits = 0;
    std::vector<FormatRecord> styles;
    std::unordered_map<FormatRecord, quint32, Hash, Eq> ids;
    // Recently interned styles by hash: most lookups repeat a handful of styles.
    std::array<quint32, 1024> recent{};
};

} // namespace kbl
