#include "app/ReportList.h"

#include <QCoreApplication>
#include <QIcon>
#include <QPixmap>
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

QStringList firstColumnOf(const std::vector<QTreeWidgetItem*>& rows)
{
    QStringList texts;
    for (const QTreeWidgetItem* row : rows)
        texts << row->text(0);
    return texts;
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
    // The inner end neither sorts nor shows: the rows are the list's, in arrival order.
    EXPECT_EQ(firstColumnOf(list.allRows()), QStringList({"c", "a", "b"}));
    EXPECT_EQ(list.allRowCount(), 3);
    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_TRUE(list.holds(list.allRows().front()));
    list.endBatch();
    EXPECT_EQ(firstColumn(list), QStringList({"a", "b", "c"}));
    EXPECT_FALSE(list.inBatch());
    EXPECT_EQ(ReportList::imageOf(*list.row(0)), 1);
}

TEST(ReportList, RowsWaitingForTheBatchsEndCanBeSortedRemovedOrCleared)
{
    ReportList list;
    list.setColumns({{"a", 50}});
    list.addRow({"m"}, 0);
    list.beginBatch();
    QTreeWidgetItem* gone = list.addRow({"z"}, 0);
    list.addRow({"b"}, 0);
    // A waiting row deleted by whoever holds it leaves the batch.
    list.removeRow(gone);
    EXPECT_EQ(firstColumnOf(list.allRows()), QStringList({"m", "b"}));
    // A sort asked for meanwhile (a column click) takes the waiting rows along.
    list.sortRows([](const QTreeWidgetItem& a, const QTreeWidgetItem& b) { return a.text(0).compare(b.text(0)); });
    EXPECT_EQ(firstColumn(list), QStringList({"b", "m"}));
    list.addRow({"a"}, 0);
    list.endBatch();
    EXPECT_EQ(firstColumn(list), QStringList({"a", "b", "m"}));

    // Cleared mid-batch, nothing waits any more.
    list.beginBatch();
    list.addRow({"x"}, 0);
    list.clear();
    list.endBatch();
    EXPECT_EQ(list.allRowCount(), 0);
    EXPECT_EQ(list.rowCount(), 0);
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
    ASSERT_EQ(list.indexOfTopLevelItem(aside), -1);
    list.removeRow(aside);
    EXPECT_EQ(list.subsetRowCount(), 2499);
    EXPECT_EQ(list.allRowCount(), 2499);
    list.showAllRows();
    EXPECT_EQ(list.rowCount(), 2499);
}

namespace {

// The rows live outside any tree widget: what the view shows must still follow them.
TEST(ReportList, TheViewFollowsItsRowsChangesHeaderAndDeletions)
{
    ReportList list;
    list.setColumns({{"name", 50}, {"exe", 50}});
    QTreeWidgetItem* a = list.addRow({"a", "a.exe"}, 0);
    QTreeWidgetItem* b = list.addRow({"b", "b.exe"}, 0);
    QTreeWidgetItem* c = list.addRow({"c", "c.exe"}, 0);
    QAbstractItemModel& model = *list.model();

    QSignalSpy changed(&list, &ReportList::itemChanged);
    b->setToolTip(1, "built");
    EXPECT_EQ(model.index(1, 1).data(Qt::ToolTipRole).toString(), "built");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed[0][0].value<QTreeWidgetItem*>(), b);
    EXPECT_EQ(changed[0][1].toInt(), 1);
    b->setToolTip(1, "built"); // the same value is no change
    EXPECT_EQ(changed.count(), 1);

    // A header caption set on the header item is the view's at once.
    list.headerItem()->setText(1, "program");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal, Qt::DisplayRole).toString(), "program");
    EXPECT_EQ(list.columnCount(), 2);

    // Rows can be dragged, are never parents, and nothing outside the rows is a row.
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemIsDragEnabled);
    EXPECT_TRUE(model.flags(model.index(0, 0)) & Qt::ItemNeverHasChildren);
    EXPECT_EQ(list.row(3), nullptr);
    EXPECT_EQ(list.row(-1), nullptr);
    QTreeWidgetItem stranger(QStringList{"b"});
    EXPECT_FALSE(list.holds(&stranger));
    EXPECT_EQ(list.indexOfTopLevelItem(&stranger), -1);
    EXPECT_TRUE(list.holds(b));

    // Deleting the selected row, whoever does it, takes it out of the view and the
    // selection, and says so.
    list.selectRow(b);
    QSignalSpy selection(&list, &ReportList::itemSelectionChanged);
    delete b;
    EXPECT_EQ(firstColumn(list), QStringList({"a", "c"}));
    EXPECT_EQ(list.indexOfTopLevelItem(c), 1);
    EXPECT_NE(list.selectedRow(), b);
    EXPECT_GE(selection.count(), 1);
    EXPECT_EQ(list.findItems("c", Qt::MatchExactly).value(0), c);
    EXPECT_TRUE(list.findItems("b", Qt::MatchExactly).isEmpty());
    list.removeRow(a);
    EXPECT_EQ(firstColumn(list), QStringList({"c"}));
}

TEST(ReportList, RowsKeepTheirTextsImagesAndOtherValuesAsTreeItemsDo)
{
    ReportList list;
    list.setColumns({{"name", 50}, {"size", 50}});
    QPixmap red(8, 8), blue(8, 8);
    red.fill(Qt::red);
    blue.fill(Qt::blue);
    list.setImages({QIcon(red), QIcon(blue)});
    QTreeWidgetItem* row = list.addRow({"unit.pas", "12 KB"}, 1);
    QAbstractItemModel& model = *list.model();
    EXPECT_EQ(row->text(0), "unit.pas");
    EXPECT_EQ(row->data(1, Qt::EditRole).toString(), "12 KB"); // display and edit are one
    EXPECT_EQ(ReportList::imageOf(*row), 1);
    EXPECT_EQ(model.index(0, 0).data(Qt::DecorationRole).value<QIcon>().pixmap(8, 8).toImage().pixel(0, 0),
              QColor(Qt::blue).rgb());
    EXPECT_FALSE(model.index(0, 1).data(Qt::DecorationRole).isValid());
    EXPECT_FALSE(row->data(2, Qt::DisplayRole).isValid()); // past the last column

    // A shown row's new text, a text past its columns, and values of other roles.
    QSignalSpy changed(&list, &ReportList::itemChanged);
    list.setRowText(row, 1, "13 KB");
    EXPECT_EQ(model.index(0, 1).data().toString(), "13 KB");
    EXPECT_EQ(changed.count(), 1);
    row->setText(3, "far");
    EXPECT_EQ(row->text(3), "far");
    EXPECT_TRUE(row->text(2).isEmpty());
    row->setData(1, Qt::DecorationRole, QIcon(red));
    row->setForeground(0, Qt::gray);
    EXPECT_TRUE(model.index(0, 1).data(Qt::DecorationRole).isValid());
    EXPECT_EQ(row->foreground(0).color(), QColor(Qt::gray));
    EXPECT_EQ(row->text(0), "unit.pas");

    // A column's alignment reaches the rows made before and after it was set, unless a
    // row has one of its own.
    list.setColumnAlignment(1, Qt::AlignRight);
    QTreeWidgetItem* later = list.addRow({"z.pas", "1 KB"}, 0);
    for (const QTreeWidgetItem* each : {row, later}) {
        const QModelIndex cell = model.index(list.indexOfTopLevelItem(each), 1);
        EXPECT_EQ(cell.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignRight | Qt::AlignVCenter));
    }
    later->setTextAlignment(1, Qt::AlignLeft);
    EXPECT_EQ(model.index(list.indexOfTopLevelItem(later), 1).data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignLeft));
    EXPECT_FALSE(model.index(0, 0).data(Qt::TextAlignmentRole).isValid());
}

TEST(ReportList, TheSelectionIsToldOnlyWhenTheSelectedRowLeavesTheView)
{
    ReportList list;
    list.setColumns({{"a", 50}});
    for (const char* text : {"a", "b", "c", "d"})
        list.addRow({text}, 0);
    QTreeWidgetItem* b = list.row(1);
    QTreeWidgetItem* d = list.row(3);
    list.selectRow(b);
    QSignalSpy selection(&list, &ReportList::itemSelectionChanged);

    // Rearranged but still shown: the same row stays selected and current, nothing told.
    list.showOnlyRows({d, b});
    EXPECT_EQ(list.selectedRow(), b);
    EXPECT_EQ(list.currentItem(), b);
    list.sortRows([](const QTreeWidgetItem& x, const QTreeWidgetItem& y) { return y.text(0).compare(x.text(0)); });
    list.showAllRows();
    EXPECT_EQ(firstColumn(list), QStringList({"d", "c", "b", "a"}));
    EXPECT_EQ(list.selectedRow(), b);
    EXPECT_EQ(selection.count(), 0);

    // Out of the view: nothing is selected, and the list says so once.
    list.showOnlyRows({d});
    EXPECT_EQ(list.selectedRow(), nullptr);
    EXPECT_EQ(selection.count(), 1);
    list.showAllRows();
    EXPECT_EQ(list.allRowCount(), 4);
}

} // namespace
