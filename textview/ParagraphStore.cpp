#include "textview/ParagraphStore.h"

#include <algorithm>
#include <stdexcept>

namespace kbl {

quint32 RecordStore::allocate(quint32 n)
{
    if (tail + n > tailEnd) {
        // The rest of the last chunk stays unused; a block never spans two allocations.
        garbage += tailEnd - tail;
        handedOut += tailEnd - tail;
        const quint64 slotCount = std::max<quint64>(1, (quint64(n) + ChunkSize - 1) / ChunkSize);
        if ((chunkOf.size() + slotCount) << ChunkShift > 0xFFFFFFFFull)
            throw std::length_error("Text too long");
        // Left uninitialised: the pages are touched only as records are written.
        std::unique_ptr<StoredRecord[]> mem(new StoredRecord[slotCount * ChunkSize]);
        tail = quint64(chunkOf.size()) << ChunkShift;
        tailEnd = tail + slotCount * ChunkSize;
        for (quint64 j = 0; j < slotCount; ++j)
            chunkOf.push_back(mem.get() + j * ChunkSize);
        chunks.push_back(std::move(mem));
    }
    const quint64 at = tail;
    tail += n;
    handedOut += n;
    return quint32(at);
}

void RecordStore::reserve(RecordBlock& b, quint32 n, bool exact)
{
    if (n <= b.cap)
        return;
    const quint64 wanted = exact ? n : quint64(n) + n / 8 + 4;
    const quint32 want = quint32(std::min<quint64>(wanted, 0xFFFFFFFFull));
    if (b.cap && b.at + quint64(b.cap) == tail && b.at + quint64(n) <= tailEnd) {
        // The last block handed out grows where it is.
        const quint64 grown = std::min<quint64>(tailEnd, b.at + quint64(want));
        handedOut += grown - tail;
        tail = grown;
        b.cap = quint32(grown - b.at);
        return;
    }
    const quint32 at = allocate(want);
    RecordBlock moved{at, b.count, want};
    if (b.count)
        std::copy_n(data(b), b.count, data(moved));
    garbage += b.cap;
    b = moved;
}

void RecordStore::release(RecordBlock& b)
{
    garbage += b.cap;
    b = {};
}

void RecordStore::clear()
{
    chunks.clear();
    chunkOf.clear();
    tail = tailEnd = handedOut = garbage = 0;
}

} // namespace kbl
