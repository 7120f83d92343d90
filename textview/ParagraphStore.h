#pragma once
// How the document keeps its paragraphs compact: the characters of all paragraphs in one
// text buffer (the very string the text was loaded from, shared until an edit), one small
// record per paragraph, and the format records of all paragraphs in one store of large
// chunks, each paragraph's records contiguous. A string and a record vector per
// paragraph cost two allocations and their headers for a paragraph of 27 characters.

#include "textview/FormatRecord.h"

#include <QString>

#include <memory>
#include <vector>

namespace kbl {

// A read-only view of contiguous elements (a paragraph's format records or display
// lines); valid until the document changes them.
template <typename T>
class ConstSpan {
public:
    ConstSpan() = default;
    ConstSpan(const T* p, qsizetype n) : ptr(p), count(n) {}
    const T* begin() const { return ptr; }
    const T* end() const { return ptr + count; }
    size_t size() const { return size_t(count); }
    bool empty() const { return count == 0; }
    const T& operator[](size_t i) const { return ptr[i]; }
    const T& back() const { return ptr[count - 1]; }
    const T* data() const { return ptr; }

private:
    const T* ptr = nullptr;
    qsizetype count = 0;
};

using RecordSpan = ConstSpan<StoredRecord>;

// Where a paragraph's records lie in the store: `count` records from index `at`, with
// room for `cap`.
struct RecordBlock {
    quint32 at = 0;
    quint32 count = 0;
    quint32 cap = 0;
};

// The format records of all paragraphs. Space is handed out from the end of the last
// chunk, so the paragraph being highlighted, usually the last one given space, grows in
// place; a block that must move leaves its old space behind, and the document compacts
// the store when more space lies unused than in use.
class RecordStore {
public:
    static constexpr int ChunkShift = 16;
    static constexpr quint32 ChunkSize = 1u << ChunkShift;

    StoredRecord* data(const RecordBlock& b) { return b.cap ? chunkOf[b.at >> ChunkShift] + (b.at & (ChunkSize - 1)) : nullptr; }
    const StoredRecord* data(const RecordBlock& b) const
    {
        return b.cap ? chunkOf[b.at >> ChunkShift] + (b.at & (ChunkSize - 1)) : nullptr;
    }
    // Room for at least n records, the block's records kept; may move the block. With
    // `exact` no room for growth is added.
    void reserve(RecordBlock& b, quint32 n, bool exact = false);
    void release(RecordBlock& b);
    void clear();
    quint64 unused() const { return garbage; }
    quint64 inUse() const { return handedOut - garbage; }
    // Whether compacting would pay: far more unused space than used.
    bool wantsCompaction() const { return garbage > 4 * ChunkSize && garbage > inUse(); }

private:
    quint32 allocate(quint32 n);
    std::vector<std::unique_ptr<StoredRecord[]>> chunks;
    std::vector<StoredRecord*> chunkOf; // per ChunkSize indices: where they lie
    quint64 tail = 0;                 // next free index
    quint64 tailEnd = 0;              // end of the last chunk
    quint64 handedOut = 0;
    quint64 garbage = 0;
};

// One paragraph as the document stores it.
struct ParagraphRecord {
    qint64 start = 0;  // absolute position of the first character
    qint64 textAt = 0; // where the characters lie in the text buffer
    qint32 length = 0;
    quint32 startFormat = 0; // interned record in force at the paragraph start
    RecordBlock formats;
    quint8 staticStyle = 0; // static code style running at the paragraph start
    quint8 flags = 0;

    static constexpr quint8 LayoutDone = 1, RegionDone = 2, KeywordsDone = 4;
    bool has(quint8 f) const { return flags & f; }
    void set(quint8 f, bool on) { flags = on ? quint8(flags | f) : quint8(flags & ~f); }
};

} // namespace kbl
