// TStyledNavigator: a position in a document that keeps its paragraph, record and line
// indices and updates them as it moves forward.
#include "textview/StyledDocument.h"

#include <algorithm>
#include <stdexcept>

namespace kbl {

TStyledNavigator::TStyledNavigator(StyledDocument* d) : doc(d)
{
    if (!d)
        throw std::invalid_argument("Internal error: component is not a TStyledMemo");
    doc->navigators.push_back(this);
}

TStyledNavigator::TStyledNavigator(const TStyledNavigator& o) : TStyledNavigator(o.doc)
{
    assign(o);
}

TStyledNavigator::~TStyledNavigator()
{
    if (doc)
        std::erase(doc->navigators, this);
}

void TStyledNavigator::assign(const TStyledNavigator& o)
{
    if (o.doc != doc) {
        if (doc)
            std::erase(doc->navigators, this);
        doc = o.doc;
        doc->navigators.push_back(this);
    }
    position = o.position;
    checkedAt = o.checkedAt;
    para = o.para;
    off = o.off;
    recIndex = o.recIndex;
    lineIdx = o.lineIdx;
}

void TStyledNavigator::setPos(qint64 p)
{
    p = std::clamp<qint64>(p, 0, doc->textLen);
    if (para >= 0 && para < doc->paragraphCount() && p >= position) {
        const ParagraphRecord& q = doc->paras[size_t(para)];
        if (p <= q.start + q.length + 1) {
            // Forward inside the same paragraph: advance the cached indices.
            const qint32 newOff = qint32(std::min<qint64>(p - q.start, q.length));
            if (p == position)
                recIndex = Unknown; // back to "before the records at the position"
            if (recIndex != Unknown) {
                const RecordSpan f = doc->recordsOf(q);
                while (recIndex < int(f.size()) && f[size_t(recIndex)].offset < newOff)
                    ++recIndex;
            }
            if (lineIdx != Unknown && size_t(para) < doc->lineTables.size()) {
                const auto& t = doc->lineTables[size_t(para)];
                while (lineIdx + 1 - int(t.firstLine) < int(t.lines.size())
                       && t.lines[size_t(lineIdx + 1 - t.firstLine)].Start <= newOff)
                    ++lineIdx;
            }
            position = p;
            off = newOff;
            return;
        }
    }
    position = p;
    para = -1;
    markStale();
}

void TStyledNavigator::relocate()
{
    para = doc->paragraphAt(position);
    const ParagraphRecord& q = doc->paras[size_t(para)];
    off = qint32(std::min<qint64>(position - q.start, q.length));
    markStale();
}

int TStyledNavigator::recordIndex()
{
    locate();
    if (recIndex == Unknown)
        recIndex = doc->lowerRecordIndex(para, off);
    return recIndex;
}

int TStyledNavigator::lineIndex()
{
    locate();
    if (lineIdx == Unknown) {
        const qint64 first = doc->firstLine(para);
        const LineSpan lines = doc->lines(para);
        int l = 0;
        while (l + 1 < int(lines.size()) && lines[size_t(l + 1)].Start <= off)
            ++l;
        lineIdx = int(first + l);
    }
    return lineIdx;
}

FormatRecord TStyledNavigator::recordInForce()
{
    locate();
    return doc->recordInForce(para, off);
}

void TStyledNavigator::skipRecordsAtPos()
{
    int i = recordIndex();
    const RecordSpan f = doc->records(para);
    while (i < int(f.size()) && f[size_t(i)].offset == off)
        ++i;
    recIndex = i;
}

bool TStyledNavigator::stepToNextRecord(qint64 limit)
{
    int i = recordIndex();
    int p = para;
    // Skip records at the current position that are behind us already.
    while (p < doc->paragraphCount()) {
        const ParagraphRecord& q = doc->paras[size_t(p)];
        const RecordSpan f = doc->recordsOf(q);
        if (i < int(f.size())) {
            const qint64 abs = q.start + f[size_t(i)].offset;
            if (abs > limit)
                return false;
            position = abs;
            para = p;
            off = f[size_t(i)].offset;
            recIndex = i;
            lineIdx = Unknown;
            return true;
        }
        ++p;
        i = 0;
        if (p < doc->paragraphCount() && doc->paras[size_t(p)].start > limit)
            return false;
    }
    return false;
}

bool TStyledNavigator::stepBackToRecordInForce(qint64 limit)
{
    locate();
    int p = para;
    int i = doc->upperRecordIndex(p, off);
    while (p >= 0) {
        const ParagraphRecord& q = doc->paras[size_t(p)];
        if (i > 0) {
            const RecordSpan f = doc->recordsOf(q);
            const qint64 abs = q.start + f[size_t(i - 1)].offset;
            if (abs < limit)
                return false;
            position = abs;
            para = p;
            off = f[size_t(i - 1)].offset;
            recIndex = i - 1;
            lineIdx = Unknown;
            return true;
        }
        if (--p < 0 || doc->paras[size_t(p)].start + doc->paras[size_t(p)].length < limit)
            return false;
        i = int(doc->paras[size_t(p)].formats.count);
    }
    return false;
}

void TStyledNavigator::insertRecord(const FormatRecord& r)
{
    const int i = recordIndex();
    FormatRecord c = r;
    c.Offset = off;
    doc->insertRecord(para, i, c);
    recIndex = i + 1;
}

void TStyledNavigator::deleteRecord()
{
    const int i = recordIndex();
    const RecordSpan f = doc->records(para);
    if (i >= int(f.size()) || f[size_t(i)].offset != off)
        throw std::logic_error("Internal StyledMemo error");
    doc->deleteRecord(para, i);
    recIndex = i;
}


} // namespace kbl
