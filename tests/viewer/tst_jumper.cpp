// The method jumper's list, sorting, jumping, keys and help box, in the program's windows.
#include "LineMemo.h"

#include "settings/IniFile.h"
#include "app/ProgramWindows.h"
#include "platform/Help.h"
#include "platform/SystemMetrics.h"
#include "support/ScriptedDialogs.h"
#include "support/TempFolder.h"
#include "viewer/HelpTopic.h"
#include "viewer/MethodList.h"
#include "viewer/StyledMemoAccess.h"
#include "viewer/TForm4.h"

#include <QApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace {

class JumperTest : public ::testing::Test {
protected:
    kbltest::ProgramFolder folder;
    ProgramWindows windows;
    TForm4* jumper = nullptr;

    void SetUp() override
    {
        kbltest::dialogs().reset();
        windows = createProgramWindows();
        jumper = windows.form4.get();
    }
    void TearDown() override { windows.form1->close(); }

    QStringList column(int c) const
    {
        QStringList out;
        for (int i = 0; i < jumper->lview->topLevelItemCount(); ++i)
            out << jumper->lview->topLevelItem(i)->text(c);
        return out;
    }
    void fill()
    {
        jumper->clearMethods();
        jumper->addMethod("uses (1)", 9, 2);
        jumper->addMethod("beta", 10, 0);
        jumper->addMethod("Alpha", 100, 1);
        jumper->addMethod("gamma", 2, 0);
        jumper->resortMethods();
    }
    void clickHeader(int c) { jumper->lview->header()->sectionClicked(c); }
};

QTreeWidgetItem row(const QString& name, int line) { return QTreeWidgetItem({name, QString::number(line)}); }

} // namespace

TEST(CompareMethodItems, NamesIgnoreCaseLinesCompareAsIntegers)
{
    EXPECT_EQ(viewer::CompareMethodItems(row("Paint", 1), row("pAINT", 2), 0, true), 0);
    EXPECT_EQ(viewer::CompareMethodItems(row("apple", 1), row("Banana", 2), 0, true), -1);
    EXPECT_EQ(viewer::CompareMethodItems(row("apple", 1), row("Banana", 2), 0, false), 1);
    EXPECT_EQ(viewer::CompareMethodItems(row("x", 9), row("x", 10), 1, true), -1);
    EXPECT_EQ(viewer::CompareMethodItems(row("x", 10), row("x", 9), 1, true), 1);
    EXPECT_EQ(viewer::CompareMethodItems(row("x", 9), row("x", 10), 1, false), 1);
    EXPECT_EQ(viewer::CompareMethodItems(row("a", 1), row("b", 2), 2, true), 0);
}

TEST_F(JumperTest, FirstRunSortsByLineAscendingAndHeaderClicksToggleTheDirection)
{
    EXPECT_EQ(jumper->lviewMJLastSortedColumn, 1);
    EXPECT_TRUE(jumper->lviewMJAscending);
    fill();
    EXPECT_EQ(column(1), QStringList({"2", "9", "10", "100"}));
    clickHeader(1);
    EXPECT_FALSE(jumper->lviewMJAscending);
    EXPECT_EQ(column(1), QStringList({"100", "10", "9", "2"}));
    clickHeader(1);
    EXPECT_EQ(column(1), QStringList({"2", "9", "10", "100"}));
    clickHeader(1);
    // A descending line sort becomes a descending name sort.
    clickHeader(0);
    EXPECT_EQ(jumper->lviewMJLastSortedColumn, 0);
    EXPECT_FALSE(jumper->lviewMJAscending);
    EXPECT_EQ(column(0), QStringList({"uses (1)", "gamma", "beta", "Alpha"}));
    EXPECT_EQ(jumper->lview->header()->sortIndicatorSection(), 0);
    EXPECT_EQ(jumper->lview->header()->sortIndicatorOrder(), Qt::DescendingOrder);
    // A rescan keeps the column and the direction.
    fill();
    EXPECT_EQ(column(0), QStringList({"uses (1)", "gamma", "beta", "Alpha"}));
    EXPECT_EQ(jumper->lview->topLevelItem(0)->icon(0).cacheKey(), jumper->ImageListForm4[2].cacheKey());
}

TEST_F(JumperTest, ScannedEntriesGoInInTheOrderOfTheLastSort)
{
    const std::vector<viewer::MethodEntry> entries = {
        {"uses (1)", 9, 2}, {"beta", 10, 0}, {"Alpha", 100, 1}, {"gamma", 2, 0}, {"Beta", 3, 0}};
    for (const int sortColumn : {0, 1}) {
        for (const bool ascending : {true, false}) {
            jumper->lviewMJLastSortedColumn = sortColumn;
            jumper->lviewMJAscending = ascending;
            jumper->clearMethods();
            for (const viewer::MethodEntry& e : entries)
                jumper->addMethod(e.text, e.line, e.image);
            jumper->resortMethods();
            const QStringList names = column(0), lines = column(1);
            jumper->setMethods(entries);
            EXPECT_EQ(column(0), names) << sortColumn << ascending;
            EXPECT_EQ(column(1), lines) << sortColumn << ascending;
        }
    }
    EXPECT_EQ(column(1), QStringList({"100", "10", "9", "3", "2"}));
    // What the view shows of each row: the name with its image, the line right-aligned.
    const QAbstractItemModel& model = *jumper->lview->model();
    const std::vector<int> images = {1, 0, 2, 0, 0}; // Alpha, beta, uses (1), Beta, gamma
    for (int row = 0; row < model.rowCount(); ++row) {
        const QTreeWidgetItem& item = *jumper->lview->topLevelItem(row);
        EXPECT_EQ(model.data(model.index(row, 0)).toString(), item.text(0)) << row;
        EXPECT_EQ(model.data(model.index(row, 1)).toString(), item.text(1)) << row;
        EXPECT_EQ(model.data(model.index(row, 1), Qt::TextAlignmentRole).toInt(),
                  int(Qt::AlignRight | Qt::AlignVCenter)) << row;
        EXPECT_EQ(item.icon(0).cacheKey(), jumper->ImageListForm4[images[size_t(row)]].cacheKey()) << row;
        EXPECT_TRUE(item.icon(1).isNull()) << row;
    }
    // An image the list has none for leaves the row without one.
    jumper->setMethods({{"odd", 1, 7}});
    EXPECT_TRUE(jumper->lview->topLevelItem(0)->icon(0).isNull());
    EXPECT_EQ(jumper->lview->topLevelItem(0)->text(0), "odd");
}

TEST_F(JumperTest, ClickOnAnEmptyListChangesNoSortState)
{
    jumper->clearMethods();
    clickHeader(1);
    clickHeader(0);
    EXPECT_EQ(jumper->lviewMJLastSortedColumn, 1);
    EXPECT_TRUE(jumper->lviewMJAscending);
}

TEST_F(JumperTest, SortStateIsReadAtCreationAndWrittenByTheMainWindow)
{
    fill();
    clickHeader(0);
    windows.form1->close();
    IniFile ini(folder.file("kbl.ini"));
    EXPECT_EQ(ini.read(settings::form4::lviewMJLastSortedColumn), 0);
    EXPECT_TRUE(ini.read(settings::form4::lviewMJAscending));
    ini.write(settings::form4::lviewMJAscending, false);
    ProgramWindows again = createProgramWindows();
    EXPECT_EQ(again.form4->lviewMJLastSortedColumn, 0);
    EXPECT_FALSE(again.form4->lviewMJAscending);
    EXPECT_EQ(again.form4->lview->topLevelItemCount(), 0);
    again.form1->close();
}

TEST_F(JumperTest, ColumnWidthsFollowTheWindow)
{
    jumper->resize(420, 300);
    jumper->show();
    const int w = jumper->fontMetrics().horizontalAdvance("MLocationM");
    EXPECT_EQ(jumper->lview->columnWidth(1), w);
    EXPECT_EQ(jumper->lview->columnWidth(0), jumper->lview->width() - 2 * platform::verticalScrollBarWidth() - w);
    EXPECT_EQ(jumper->lview->headerItem()->text(0), "方法");
    EXPECT_EQ(jumper->lview->headerItem()->text(1), "地址");
    EXPECT_EQ(jumper->ImageListForm4.size(), 3);
    jumper->hide();
}

TEST(JumpToLine, NearTheTopTheViewStartsAtTheFirstLine)
{
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QString("line %1").arg(i);
    kbltest::LineMemo memo(lines);
    viewer::jumpToLine(memo, 3);
    EXPECT_EQ(memo.topLine, 0);
    EXPECT_EQ(memo.par, 3);
    EXPECT_EQ(memo.col, 0);
    EXPECT_EQ(memo.selLength, QString("line 3").size());
    viewer::jumpToLine(memo, 100);
    EXPECT_EQ(memo.topLine, 85);
    EXPECT_EQ(memo.selLength, QString("line 100").size());
    viewer::jumpToLine(memo, 15);
    EXPECT_EQ(memo.topLine, 0);
    viewer::jumpToLine(memo, 16);
    EXPECT_EQ(memo.topLine, 1);
}

TEST(JumpToLine, AViewWithFewerRowsShowsTheLineOnItsLowestWholeRow)
{
    QStringList lines;
    for (int i = 0; i < 300; ++i)
        lines << QString("line %1").arg(i);
    kbltest::LineMemo memo(lines);
    memo.visibleLines = 16; // room for fifteen lines above
    viewer::jumpToLine(memo, 100);
    EXPECT_EQ(memo.topLine, 85);
    memo.visibleLines = 10;
    viewer::jumpToLine(memo, 100);
    EXPECT_EQ(memo.topLine, 91);
    viewer::jumpToLine(memo, 5);
    EXPECT_EQ(memo.topLine, 0);
    memo.visibleLines = 1;
    viewer::jumpToLine(memo, 100);
    EXPECT_EQ(memo.topLine, 100);
    EXPECT_EQ(memo.par, 100);
    EXPECT_EQ(memo.selLength, QString("line 100").size());
}

TEST_F(JumperTest, AJumpLeavesTheLineOnThePageOfASmallWindowOrWithALargeFont)
{
    QString text;
    for (int i = 0; i < 300; ++i)
        text += QString("text %1\r\n").arg(i);
    kbl::TStyledMemo memo;
    memo.setFrameShape(QFrame::NoFrame);
    memo.document().UpdateMode = kbl::umImmediate;
    QFont font = memo.font();
    font.setPixelSize(14);
    memo.setFont(font);
    memo.show();
    viewer::StyledMemoAccess access(memo);
    jumper->setJumpTarget(&access);
    fill(); // row 3 is line 100

    auto jumpIn = [&](int height) {
        memo.resize(300, height);
        memo.setText(text);
        QApplication::processEvents();
        jumper->show();
        jumper->lview->setCurrentItem(jumper->lview->topLevelItem(3));
        QTest::keyClick(jumper->lview, Qt::Key_Return);
        EXPECT_TRUE(jumper->isHidden());
        EXPECT_EQ(memo.SelPar(), 100);
        const int y = memo.positionToPoint(memo.SelStart()).y();
        EXPECT_GE(y, 0) << height;
        // Whole on the page, or at its top when not even one line fits.
        EXPECT_LE(y + memo.lineHeight(), std::max(memo.clientHeight(), memo.lineHeight())) << height;
        return memo.TopLine();
    };
    const int lh = memo.lineHeight();
    EXPECT_EQ(jumpIn(30 * lh), 85);     // room enough: fifteen lines above
    EXPECT_EQ(jumpIn(6 * lh + 3), 95);  // six whole rows: the sixth
    EXPECT_EQ(jumpIn(lh / 2), 100);     // not even one: at the top
    font.setPixelSize(60);
    memo.setFont(font);
    const int big = memo.lineHeight();
    EXPECT_EQ(jumpIn(4 * big), 97); // a large font in the window that held thirty lines
    jumper->setJumpTarget(nullptr);
}

TEST_F(JumperTest, LeftReleaseEnterAndSpaceJumpRightReleaseOnlyCloses)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QString("text %1").arg(i);
    kbltest::LineMemo memo(lines);
    jumper->setJumpTarget(&memo);
    fill();

    auto showAndSelect = [&](int index) {
        jumper->show();
        QTreeWidgetItem* item = jumper->lview->topLevelItem(index);
        jumper->lview->setCurrentItem(item);
        return jumper->lview->visualItemRect(item).center();
    };

    QPoint at = showAndSelect(3); // line 100
    QTest::mouseClick(jumper->lview->viewport(), Qt::RightButton, {}, at);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.topLine, -1);

    at = showAndSelect(3);
    QTest::mouseClick(jumper->lview->viewport(), Qt::LeftButton, {}, at);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 100);
    EXPECT_EQ(memo.topLine, 85);
    EXPECT_EQ(memo.selLength, 8);

    showAndSelect(0); // line 2
    QTest::keyClick(jumper->lview, Qt::Key_Return);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 2);
    EXPECT_EQ(memo.topLine, 0);

    showAndSelect(2); // line 10
    QTest::keyClick(jumper->lview, Qt::Key_Space);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 10);

    // Nothing selected: Enter does nothing, Esc still closes.
    jumper->show();
    jumper->lview->clearSelection();
    memo.par = 0;
    QTest::keyClick(jumper->lview, Qt::Key_Return);
    EXPECT_TRUE(jumper->isVisible());
    EXPECT_EQ(memo.par, 0);
    QTest::keyClick(jumper->lview, Qt::Key_Escape);
    EXPECT_TRUE(jumper->isHidden());
}

TEST_F(JumperTest, OpeningMakesTheFirstRowAsShownCurrentAndSelected)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QString("text %1").arg(i);
    kbltest::LineMemo memo(lines);
    jumper->setJumpTarget(&memo);

    jumper->clearMethods();
    jumper->show(); // an empty list: nothing to select
    EXPECT_EQ(jumper->lview->currentItem(), nullptr);
    jumper->hide();

    fill(); // by line: "gamma" on line 2 first
    jumper->show();
    QTreeWidgetItem* first = jumper->lview->topLevelItem(0);
    EXPECT_EQ(jumper->lview->currentItem(), first);
    EXPECT_EQ(jumper->lview->selectedItems(), QList<QTreeWidgetItem*>({first}));
    QTest::keyClick(jumper->lview, Qt::Key_Return);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 2);

    // Another order, another row left current, the caret above every entry: the next
    // opening takes the first again.
    clickHeader(0);
    memo.par = 0;
    jumper->lview->setCurrentItem(jumper->lview->topLevelItem(2));
    ASSERT_EQ(jumper->lview->topLevelItem(0)->text(0), "Alpha");
    jumper->show();
    first = jumper->lview->topLevelItem(0);
    EXPECT_EQ(jumper->lview->currentItem(), first);
    EXPECT_EQ(jumper->lview->selectedItems(), QList<QTreeWidgetItem*>({first}));
    QTest::keyClick(jumper->lview, Qt::Key_Space);
    EXPECT_EQ(memo.par, 100);
}

TEST_F(JumperTest, F1WithoutHelpFileShowsTheMissingBoxElseOpensTopicSix)
{
    jumper->show();
    QTest::keyClick(jumper->lview, Qt::Key_F1);
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    const kbltest::ShownBox& box = kbltest::dialogs().boxes[0];
    EXPECT_EQ(box.text, "The help file is missing:\r\n" + folder.file("kbl.hlp") + "  ");
    EXPECT_EQ(box.caption, " Can't find help file");
    EXPECT_EQ(box.icon, platform::BoxIcon::Warning);

    folder.write("kbl.hlp", "help");
    int topic = 0;
    platform::setHelpViewer([&topic](const QString&, int t) { topic = t; return true; });
    QTest::keyClick(jumper->lview, Qt::Key_F1);
    platform::setHelpViewer({});
    EXPECT_EQ(topic, 6);
    EXPECT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_TRUE(jumper->isVisible());
    jumper->hide();
}

TEST_F(JumperTest, OpeningSelectsTheEntryWhoseLineHoldsOrPrecedesTheCaret)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QString("text %1").arg(i);
    kbltest::LineMemo memo(lines);
    jumper->setJumpTarget(&memo);
    fill(); // lines 2 gamma, 9 uses, 10 beta, 100 Alpha
    const auto openedOn = [&](int caret) {
        memo.par = caret;
        jumper->show();
        QTreeWidgetItem* current = jumper->lview->currentItem();
        EXPECT_EQ(jumper->lview->selectedItems(), QList<QTreeWidgetItem*>({current}));
        jumper->hide();
        return current ? current->text(0) : QString();
    };
    EXPECT_EQ(openedOn(9), "uses (1)"); // the line itself
    EXPECT_EQ(openedOn(50), "beta");    // the last one before
    EXPECT_EQ(openedOn(199), "Alpha");
    EXPECT_EQ(openedOn(1), "gamma"); // above every entry: the first as shown
    clickHeader(0);                  // by name: Alpha, beta, gamma, uses
    EXPECT_EQ(openedOn(1), "Alpha");
    EXPECT_EQ(openedOn(9), "uses (1)");
    // Enter at once jumps to the current entry.
    memo.par = 12;
    jumper->show();
    QTest::keyClick(jumper->lview, Qt::Key_Return);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 10);
    jumper->setJumpTarget(nullptr);
}

TEST_F(JumperTest, TheFilterNarrowsBestFirstEnterJumpsToTheFirstAndEmptyingRestoresTheOrder)
{
    QStringList lines;
    for (int i = 0; i < 200; ++i)
        lines << QString("text %1").arg(i);
    kbltest::LineMemo memo(lines);
    jumper->setJumpTarget(&memo);
    jumper->setMethods({{"TForm1.FormCreate", 40, 0},
                        {"TForm1.Button1Click", 50, 0},
                        {"Creates", 60, 1},
                        {"Recreate", 65, 1},
                        {"TÉlan.Créer", 70, 0},
                        {"implementation", 30, 2},
                        {"TForm1.FormDestroy", 80, 0}});
    const QStringList byLine = column(0);
    jumper->show();
    QLineEdit* field = jumper->EditFilter;
    ASSERT_NE(field, nullptr);
    // Ctrl+F in the list goes to the field; so does "/", which is not typed into it.
    QTest::keyClick(jumper->lview, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(jumper->focusWidget(), field);
    jumper->lview->setFocus();
    QTest::keyClick(jumper->lview, Qt::Key_Slash);
    EXPECT_EQ(jumper->focusWidget(), field);
    EXPECT_EQ(field->text(), "");

    const auto shown = [&] {
        QStringList out;
        for (int i = 0; i < jumper->lview->topLevelItemCount(); ++i)
            if (!jumper->lview->topLevelItem(i)->isHidden())
                out << jumper->lview->topLevelItem(i)->text(0);
        return out;
    };
    QTest::keyClicks(field, "create");
    // A whole word first, then a word start, then a substring; the rest hidden.
    EXPECT_EQ(shown(), (QStringList{"TForm1.FormCreate", "Creates", "Recreate"}));
    EXPECT_EQ(jumper->shownMethodCount(), 3);
    EXPECT_EQ(jumper->methodCount(), 7);
    EXPECT_EQ(jumper->lview->currentItem()->text(0), "TForm1.FormCreate");
    // Accent-blind, case-blind, words in any order, subsequences.
    field->setText("creer ELAN");
    EXPECT_EQ(shown(), QStringList{"TÉlan.Créer"});
    field->setText("fmdst");
    EXPECT_EQ(shown(), QStringList{"TForm1.FormDestroy"});
    field->setText("zzz");
    EXPECT_EQ(shown(), QStringList{});
    EXPECT_EQ(jumper->lview->currentItem(), nullptr);
    QTest::keyClick(field, Qt::Key_Return); // nothing left: no jump, the jumper stays
    EXPECT_TRUE(jumper->isVisible());

    // A sort while filtering keeps the ranking; ties follow the new order.
    field->setText("form1");
    EXPECT_EQ(shown(), (QStringList{"TForm1.FormCreate", "TForm1.Button1Click", "TForm1.FormDestroy"}));
    clickHeader(1); // lines descending
    EXPECT_EQ(shown(), (QStringList{"TForm1.FormDestroy", "TForm1.Button1Click", "TForm1.FormCreate"}));
    clickHeader(1);

    // Esc empties the field and brings the list's own order back; a second Esc closes.
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(column(0), byLine);
    EXPECT_EQ(shown(), byLine);
    EXPECT_TRUE(jumper->isVisible());
    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_TRUE(jumper->isHidden());

    // Enter in the field jumps to the first entry left; Down moves into the list on it.
    jumper->show();
    jumper->focusFilter();
    QTest::keyClicks(field, "click");
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(jumper->focusWidget(), jumper->lview);
    EXPECT_EQ(jumper->lview->currentItem()->text(0), "TForm1.Button1Click");
    jumper->focusFilter();
    QTest::keyClicks(field, "destroy");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_TRUE(jumper->isHidden());
    EXPECT_EQ(memo.par, 80);

    // The next opening shows the whole list again, the caret's entry selected.
    jumper->show();
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(shown(), byLine);
    EXPECT_EQ(jumper->lview->currentItem()->text(0), "TForm1.FormDestroy");
    jumper->hide();
    // A new list empties the field.
    jumper->show();
    field->setText("form");
    jumper->setMethods({{"Alpha", 1, 0}, {"Beta", 2, 0}});
    EXPECT_EQ(field->text(), "");
    EXPECT_EQ(shown(), (QStringList{"Alpha", "Beta"}));
    jumper->hide();
    jumper->setJumpTarget(nullptr);
}
