#include "app/ReportList.h"

#include <QCoreApplication>
#include <QScrollBar>
#include <QSignalSpy>

#include <memory>

#include <gtest/gtest.h>

namespace {

QStringList firstColumn(const ReportList& list)
{
    QStringList texts;
    for (int i = 0; i < list.rowCount(); ++i)
        texts << list.text(i, 0);
    return texts;
}

TEST(ReportList, KeepsFirstColumnOrderWhenRowsArriveOrChange)
{
    ReportList list;
    list.setColumns({{"a", 50}, {"b", 50}});
    list.addRow({"beta", "1"}, 0);
    list.addRow({"alpha", "2"}, 0);
    QTreeWidgetItem* gamma = list.addRow({"gamma", "3"}, 0);
    EXPECT_EQ(firstColumn(list), QStringList({"alpha", "beta", "gamma"}));
    list.setRowText(gamma, 0, "aardvark");
    EXPECT_EQ(firstColumn(list), QStringList({"aardvark", "alpha", "beta"}));
    list.setRowText(gamma, 1, "zzz"); // other columns do not reorder
    EXPECT_EQ(list.text(0, 1), "zzz");
}

TEST(ReportList, ABatchAddsInArrivalOrderAndSortsOnceAtItsEnd)
{
    ReportList list;
    list.setColumns({{"a", 50}});
    list.beginBatch();
    list.beginBatch();
    for (const char* text : {"c", "a", "b"})
        list.addRow({text}, 1);
    list.endBatch();
    EXPECT_EQ(firstColumn(list), QStringList({"c", "a", "b"})); // inner end does not sort
    list.endBatch();
    EXPECT_EQ(firstColumn(list), QStringList({"a", "b", "c"}));
    EXPECT_FALSE(list.inBatch());
    EXPECT_EQ(ReportList::imageOf(*list.row(0)), 1);
}

TEST(ReportList, SortingIsStableAndKeepsTheSelectedRow)
{
    ReportList list;
    list.setColumns({{"a", 50}, {"b", 50}});
    list.beginBatch();
    list.addRow({"x", "2"}, 0);
    list.addRow({"y", "1"}, 0);
    list.addRow({"z", "2"}, 0);
    list.endBatch();
    list.selectRow(list.row(2));
    list.sortRows([](const QTreeWidgetItem& a, const QTreeWidgetItem& b) { return a.text(1).compare(b.text(1)); });
    EXPECT_EQ(firstColumn(list), QStringList({"y", "x", "z"}));
    ASSERT_NE(list.selectedRow(), nullptr);
    EXPECT_EQ(list.selectedRow()->text(0), "z");
}

} // namespace

namespace {

QStringList allFirstColumn(const ReportList& list)
{
    QStringList texts;
    for (const QTreeWidgetItem* row : list.allRows())
        texts << row->text(0);
    return texts;
}

} // namespace

TEST(ReportList, ASubsetKeepsTheOtherRowsAsideAndEveryChangeReachesTheWholeList)
{
    auto list = std::make_unique<ReportList>();
    list->setColumns({{"a", 50}});
    for (const char* text : {"d", "b", "a", "c"})
        list->addRow({text}, 0);
    QSignalSpy changed(list.get(), &ReportList::rowsChanged);
    QTreeWidgetItem* b = list->row(1);
    QTreeWidgetItem* c = list->row(2);
    list->selectRow(c);

    list->showOnlyRows({c, b});
    EXPECT_EQ(firstColumn(*list), QStringList({"c", "b"}));
    EXPECT_EQ(list->allRowCount(), 4);
    EXPECT_EQ(list->selectedRow(), c);
    EXPECT_EQ(allFirstColumn(*list), QStringList({"a", "b", "c", "d"}));
    EXPECT_EQ(changed.count(), 0); // showing is no change of the rows

    // An added row waits aside; its automatic order is the whole list's.
    list->addRow({"bb"}, 0);
    EXPECT_EQ(firstColumn(*list), QStringList({"c", "b"}));
    EXPECT_EQ(allFirstColumn(*list), QStringList({"a", "b", "bb", "c", "d"}));
    // A sort orders every row and leaves the shown order alone.
    list->sortRows([](const QTreeWidgetItem& x, const QTreeWidgetItem& y) { return y.text(0).compare(x.text(0)); });
    EXPECT_EQ(allFirstColumn(*list), QStringList({"d", "c", "bb", "b", "a"}));
    EXPECT_EQ(firstColumn(*list), QStringList({"c", "b"}));
    // Rows deleted by other code leave the order, the shown one among them.
    delete b;
    EXPECT_EQ(allFirstColumn(*list), QStringList({"d", "c", "bb", "a"}));
    EXPECT_EQ(firstColumn(*list), QStringList({"c"}));
    QCoreApplication::processEvents();
    EXPECT_EQ(changed.count(), 1); // told once for all of it

    // Showing everything again gives the list's own order, selection kept.
    list->showAllRows();
    EXPECT_FALSE(list->showsSubset());
    EXPECT_EQ(firstColumn(*list), QStringList({"d", "c", "bb", "a"}));
    EXPECT_EQ(list->selectedRow(), c);

    // clear() takes the rows kept aside too (a leak checker would tell otherwise), and
    // a list destroyed with rows aside deletes them.
    list->showOnlyRows({c});
    list->clear();
    EXPECT_EQ(list->allRowCount(), 0);
    list->addRow({"x"}, 0);
    list->addRow({"y"}, 0);
    list->showOnlyRows({});
    EXPECT_EQ(list->allRowCount(), 2);
    list.reset();
}

TEST(ReportList, ALargeSubsetEntersTheViewAsItIsScrolled)
{
    ReportList list;
    list.setColumns({{"a", 50}});
    list.resize(200, 300);
    list.beginBatch();
    for (int i = 0; i < 2500; ++i)
        list.addRow({QString::number(100000 + i)}, 0);
    list.endBatch();
    std::vector<QTreeWidgetItem*> reversed = list.allRows();
    std::reverse(reversed.begin(), reversed.end());
    QTreeWidgetItem* far = reversed[1500];
    list.selectRow(far);

    list.showOnlyRows(reversed);
    EXPECT_EQ(list.subsetRowCount(), 2500);
    // Up to the selected row, which stays selected.
    EXPECT_EQ(list.rowCount(), 1501);
    EXPECT_EQ(list.selectedRow(), far);
    EXPECT_EQ(list.row(0)->text(0), "102499");
    list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum());
    EXPECT_EQ(list.rowCount(), 2500);
    EXPECT_EQ(list.row(2499)->text(0), "100000");

    // A removed row kept aside leaves the subset and the order.
    list.showOnlyRows(reversed);
    QTreeWidgetItem* aside = reversed[2400];
    ASSERT_EQ(aside->treeWidget(), nullptr);
    list.removeRow(aside);
    EXPECT_EQ(list.subsetRowCount(), 2499);
    EXPECT_EQ(list.allRowCount(), 2499);
    list.showAllRows();
    EXPECT_EQ(list.rowCount(), 2499);
}
