// Loads arbitrary bytes into the document, highlights every paragraph with the Object
// Pascal highlighter and the document's own rules, edits it, and checks that the
// incrementally updated highlighting equals a full re-highlight.

#include "highlight/HighlightDump.h"
#include "highlight/OOPHighlighter.h"
#include "textview/StyledDocument.h"

#include <cstdint>
#include <cstdlib>
#include <exception>

using namespace kbl;

namespace {

void checkRecords(StyledDocument& doc)
{
    for (int i = 0; i < doc.paragraphCount(); ++i) {
        const ParagraphInfo& p = doc.paragraph(i);
        qint32 last = 0;
        for (const StoredRecord& r : p.Formats) {
            if (r.offset < last || r.offset > p.length())
                __builtin_trap();
            last = r.offset;
            if (doc.formats().at(r.style).level() > MaxNestingLevel)
                __builtin_trap();
        }
        if (i > 0) {
            const ParagraphInfo& q = doc.paragraph(i - 1);
            if (p.Start != q.Start + q.length() + 2)
                __builtin_trap();
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4)
        return 0;
    const uint8_t flags = data[0];
    const uint16_t editPos = uint16_t(data[1] | data[2] << 8);
    const uint8_t editKind = data[3];
    const QByteArray bytes(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    try {
        TOOPHighlighter highlighter;
        applyFileViewerStyles(highlighter);
        StyledDocument doc;
        doc.UpdateMode = umOnNeed;
        doc.NullReplacement = (flags & 1) ? u'?' : 0;
        doc.setStaticFormat(flags & 2);
        doc.DiscardTrailingSpaces = flags & 4;
        if (flags & 8) {
            doc.Keywords().AddKeyword("foo", WholeWord, fsBold, 9, 0, -1, -1);
            doc.StartStopKeys().Add("<<", ">>", 0, fsItalic, 10, 0, -1, -1, false);
            doc.StartStopKeys().Add("\"", "\"", 0, 0, 11, 0, -1, -1, true);
        }
        if (flags & 16)
            highlighter.setSubHighlighter(&highlighter.NumberHighlighter());
        doc.setHighlighter(&highlighter);
        if (flags & 32)
            doc.setText(QString::fromLatin1(bytes));
        else
            doc.loadFromBytes(bytes);
        doc.parseAll();
        checkRecords(doc);

        const qint64 pos = doc.textLength() ? editPos % doc.textLength() : 0;
        static const char16_t* const inserts[] = {u"{", u"}", u"'", u"(*", u"*)", u"asm ",
                                                  u" end", u"\r\n", u"//", u"property "};
        doc.UpdateMode = umImmediate;
        if (editKind & 0x80)
            doc.deleteText(pos, editKind & 0x3F);
        else
            doc.insertText(pos, QStringView(inserts[editKind % 10]));
        doc.parseAll();
        checkRecords(doc);
        const QString incremental = dumpText(doc);
        doc.ReapplyKeywords();
        doc.parseAll();
        if (dumpText(doc) != incremental)
            __builtin_trap();
        (void)doc.text();
    } catch (const std::exception&) {
        // The model's own exceptions ("Text too long", ...) are expected outcomes.
    }
    return 0;
}
