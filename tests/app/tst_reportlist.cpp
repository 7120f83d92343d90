#include "app/ReportList.h"

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
