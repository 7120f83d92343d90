// The scanner over a hidden text view whose long lines wrap, as the viewer's scanning
// copy: its line rule and its line count are about display lines, not file lines.
#include "support/TestFont.h"
#include "textview/TStyledMemo.h"
#include "viewer/DeclarationScanner.h"
#include "viewer/StyledMemoAccess.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

// A hidden view exactly `columns` monospaced characters wide, without scroll bars.
struct WrappingView {
    kbl::TStyledMemo memo;
    viewer::StyledMemoAccess access{memo};

    explicit WrappingView(const QString& text, int columns = 20)
    {
        memo.setFrameShape(QFrame::NoFrame);
        memo.setFont(kbltest::monospacedFont());
        memo.setScrollBars(kbl::ssNone);
        const qreal width = columns * memo.fontSet().advance(0, u'x');
        memo.resize(int(width) + memo.LeftMargin() + memo.RightMargin() + 1, 100);
        memo.setText(text);
    }

    // Line and image of every entry.
    std::vector<std::pair<int, int>> scan()
    {
        std::vector<std::pair<int, int>> rows;
        for (const viewer::MethodEntry& e : viewer::scanDeclarations(access, false).entries)
            rows.emplace_back(e.line, e.image);
        return rows;
    }
};

constexpr int Marker = viewer::ImageMarker;
constexpr int Procedure = viewer::ImageProcedure;

} // namespace

TEST(WrappedScan, AHeaderStartingAWrappedLineCountsByThatLine)
{
    // Line 0 wraps before "procedure Early;", which still stands before "implementation";
    // lines 2 and 3 wrap before their headers, which come after it.
    WrappingView view(QStringLiteral("uses yyyyyyyyyyyyyy procedure Early;\r\n"
                                     "implementation\r\n"
                                     "implementation procedure Late;\r\n"
                                     "xxxxxxxxxxxxxxx procedure Next;\r\n"
                                     "begin end; procedure Mid;"));
    ASSERT_EQ(view.memo.DisplayLineCount(), 9);
    const std::vector<std::pair<int, int>> expected = {{0, Marker}, {1, Marker}, {2, Procedure}, {3, Procedure}};
    EXPECT_EQ(view.scan(), expected);
}

TEST(WrappedScan, WithoutImplementationOnlyTheFirstDisplayLineIsLeftOut)
{
    WrappingView view(QStringLiteral("procedure Zero; procedure Again;\r\nprocedure Second;"));
    // The first hit stands on display line 0; the second starts display line 1 of the same
    // file line, so that file line is listed once, for its second hit.
    EXPECT_EQ(view.scan(), (std::vector<std::pair<int, int>>{{0, Procedure}, {1, Procedure}}));
}

TEST(WrappedScan, WrappedLinesCountTowardsTheJumpersTenLines)
{
    const QString filler = QStringLiteral("w ").repeated(30); // three display lines
    const QString head = QStringLiteral("implementation procedure A;\r\n"); // two
    WrappingView eleven(head + filler + "\r\n" + filler + "\r\n" + filler);
    ASSERT_EQ(eleven.memo.DisplayLineCount(), 11);
    EXPECT_TRUE(viewer::scanDeclarations(eleven.access, false).jumperEnabled);
    WrappingView eight(head + filler + "\r\n" + filler);
    ASSERT_EQ(eight.memo.DisplayLineCount(), 8);
    EXPECT_FALSE(viewer::scanDeclarations(eight.access, false).jumperEnabled);
}
