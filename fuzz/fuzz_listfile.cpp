// projects.dat and hotlist.dat: any bytes parsed as a list file. The rows read are bounded
// by the lines present, whatever the count line promises; the rows saved and loaded again
// are the same rows; and saving those gives the same bytes.
//
// Input: the file's bytes.

#include "FuzzSupport.h"

#include "catalogue/ListFile.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ListFileContent first = parseListFile(bytes, listimage::Hotlist);

    // Lines present, counted the plainest way: every line end, and a last line without one.
    qsizetype lines = 0;
    for (qsizetype i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] == '\n' || (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')))
            ++lines;
        else if (i + 1 == bytes.size() || bytes[i + 1] == '\x1A')
            ++lines;
    }
    FUZZ_CHECK(qsizetype(first.entries.size()) <= lines / 3 + 1 + MaxMissingListEntries,
               "no count line makes more rows than the lines present and the allowed shortfall");
    if (first.outcome == ListFileContent::Outcome::Malformed)
        FUZZ_CHECK(first.entries.empty(), "a malformed file gives no rows");
    for (const ProjectEntry& entry : first.entries)
        FUZZ_CHECK(entry.image == listimage::Hotlist, "every row gets the image asked for");
    if (first.entries.empty())
        return 0;

    const QByteArray saved = formatListFile(first.entries);
    const ListFileContent second = parseListFile(saved, listimage::Hotlist);
    FUZZ_CHECK(second.outcome == ListFileContent::Outcome::Loaded, "a saved list loads whole");
    FUZZ_CHECK(second.entries == first.entries, "load, save, load gives the same rows");
    FUZZ_CHECK(formatListFile(second.entries) == saved, "saving the same rows gives the same bytes");
    return 0;
}
