#include "viewer/DeclarationScanner.h"

#include "viewer/EntryText.h"

#include <compare>

namespace viewer {

namespace {

// A display line as its paragraph and its line within that paragraph. Ordered as the
// display line numbers are, without laying out every paragraph before it.
struct ScreenLine {
    int para = 0;
    int line = 0;
    friend auto operator<=>(const ScreenLine&, const ScreenLine&) = default;
};

ScreenLine caretLine(MemoAccess& memo) { return {memo.SelPar(), memo.SelParLine()}; }

bool findWord(MemoAccess& memo, const QString& word, bool wholeWord)
{
    return memo.SearchText(word, /*forward=*/true, /*matchCase=*/false, wholeWord);
}

void scanHeaders(MemoAccess& memo, const QString& keyword, int image, ScreenLine implLine, bool removeParams,
                 std::vector<MethodEntry>& entries)
{
    const QString removal = keyword + u' ';
    memo.setSelPar(0);
    memo.setSelCol(0);
    while (findWord(memo, keyword, false)) {
        if (memo.SelCol() > MaxHeaderEndColumn || caretLine(memo) <= implLine)
            continue;
        const int line = memo.SelPar();
        if (std::optional<QString> text = declarationEntryText(memo.paragraphText(line), removal, removeParams))
            entries.push_back({std::move(*text), line, image});
    }
}

} // namespace

DeclarationScan scanDeclarations(MemoAccess& memo, bool removeParams)
{
    DeclarationScan scan;
    if (memo.textEmpty())
        return scan;
    auto& entries = scan.entries;
    int uses1 = -1;
    ScreenLine implLine; // the first display line when there is no "implementation"

    memo.setSelStart(0);
    if (findWord(memo, QStringLiteral("interface"), true))
        entries.push_back({QStringLiteral("interface"), memo.SelPar(), ImageMarker});

    memo.setSelStart(0);
    if (findWord(memo, QStringLiteral("uses"), true)) {
        uses1 = memo.SelPar();
        entries.push_back({QStringLiteral("uses (1)"), uses1, ImageMarker});
    }

    memo.setSelStart(0);
    if (findWord(memo, QStringLiteral("implementation"), true)) {
        entries.push_back({QStringLiteral("implementation"), memo.SelPar(), ImageMarker});
        implLine = caretLine(memo);
    }

    // Continues from the "implementation" hit, or from the top when there was none.
    if (findWord(memo, QStringLiteral("uses"), true) && memo.SelPar() != uses1)
        entries.push_back({QStringLiteral("uses (2)"), memo.SelPar(), ImageMarker});

    scanHeaders(memo, QStringLiteral("procedure"), ImageProcedure, implLine, removeParams, entries);
    scanHeaders(memo, QStringLiteral("function"), ImageFunction, implLine, removeParams, entries);

    scan.jumperEnabled = entries.size() >= 2 && memo.DisplayLinesExceed(10);
    return scan;
}

} // namespace viewer
