// The method jumper's scanner over any text, one file line a display line. Every entry
// names a line of the text; the markers keep their order (the second "uses" after the
// "implementation"); procedures and functions come after the "implementation" line, each
// kind in ascending file order, one entry a line, each with text.
//
// Input: a flags byte (1: drop parameter lists), then the text; lines end at CR LF, CR or LF.

#include "FuzzSupport.h"

#include "LineMemo.h"
#include "viewer/DeclarationScanner.h"

#include <cstdint>

using viewer::MethodEntry;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const bool removeParams = data[0] & 1;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] != u'\r' && text[i] != u'\n')
            continue;
        lines << text.mid(start, i - start);
        if (i + 1 < text.size() && text[i] == u'\r' && text[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    kbltest::LineMemo memo(lines);
    const viewer::DeclarationScan scan = viewer::scanDeclarations(memo, removeParams);

    int implementation = -1;
    int lastOfKind[2] = {-1, -1};
    bool headersBegun = false;
    for (const MethodEntry& entry : scan.entries) {
        FUZZ_CHECK(entry.line >= 0 && entry.line < lines.size(), "an entry names a line of the text");
        FUZZ_CHECK(!entry.text.trimmed().isEmpty(), "an entry has text");
        if (entry.image == viewer::ImageMarker) {
            FUZZ_CHECK(!headersBegun, "the markers come first");
            if (entry.text == QLatin1String("implementation"))
                implementation = entry.line;
            if (entry.text == QLatin1String("uses (2)"))
                FUZZ_CHECK(implementation >= 0 && entry.line >= implementation,
                           "the second uses follows the implementation");
            continue;
        }
        FUZZ_CHECK(entry.image == viewer::ImageProcedure || entry.image == viewer::ImageFunction, "an entry has a kind");
        FUZZ_CHECK(!headersBegun || entry.image >= scan.entries[&entry - scan.entries.data() - 1].image,
                   "procedures come before functions");
        headersBegun = true;
        // Without an "implementation" the first line stands in for it.
        FUZZ_CHECK(entry.line > std::max(implementation, 0), "a header follows the implementation line");
        FUZZ_CHECK(entry.line > lastOfKind[entry.image], "headers of one kind ascend in file order, one a line");
        lastOfKind[entry.image] = entry.line;
        const QString keyword = entry.image == viewer::ImageProcedure ? QStringLiteral("procedure") : QStringLiteral("function");
        FUZZ_CHECK(lines[entry.line].contains(keyword, Qt::CaseInsensitive), "a header's line holds its keyword");
    }
    FUZZ_CHECK(scan.jumperEnabled == (scan.entries.size() >= 2 && lines.size() > 10),
               "the jumper is enabled for two entries in more than ten lines");
    return 0;
}
