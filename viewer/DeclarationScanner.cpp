#include "viewer/DeclarationScanner.h"

#include "viewer/EntryText.h"

namespace viewer {

namespace {

bool findWord(MemoAccess& memo, const QString& word, bool wholeWord)
{
    return memo.SearchText(word, /*forward=*/true, /*matchCase=*/false, wholeWord);
}

void scanHeaders(MemoAccess& memo, const QString& keyword, int image, qint64 implLine, bool removeParams,
                 std::vector<MethodEntry>& entries)
{
    const QString removal = keyword + u' ';
    memo.setSelPar(0);
    memo.setSelCol(0);
    while (findWord(memo, keyword, false)) {
        if (memo.SelCol() > MaxHeaderEndColumn || memo.SelLine() <= implLine)
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
    qint64 implLine = 0;

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
        implLine = memo.SelLine();
    }

    // Continues from the "implementation" hit, or from the top when there was none.
    if (findWord(memo, QStringLiteral("uses"), true) && memo.SelPar() != uses1)
        entries.push_back({QStringLiteral("uses (2)"), memo.SelPar(), ImageMarker});

    scanHeaders(memo, QStringLiteral("procedure"), ImageProcedure, implLine, removeParams, entries);
    scanHeaders(memo, QStringLiteral("function"), ImageFunction, implLine, removeParams, entries);

    scan.jumperEnabled = entries.size() >= 2 && memo.DisplayLineCount() > 10;
    return scan;
}

} // namespace viewer
