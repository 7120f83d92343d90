#pragma once
// A report-style list: columns, whole-row single selection, read-only, selection kept
// visible without the focus. It keeps itself ordered by its first column (locale-aware,
// case-sensitive) whenever a first-column text is set, except inside a batch, which
// sorts once when it ends. Its rows are tree items (ReportModel.h says why they live
// outside any tree widget); the list takes the tree widget's calls for them.

#include <QItemSelectionModel>
#include <QStyledItemDelegate>
#include <QTreeView>
#include <QTreeWidgetItem>

#include <QSet>

#include <functional>
#include <memory>
#include <utility>
#include <vector>

// Draws a list's texts; names that are not UTF-8 are shown readable (the rows keep
// their bytes). A cell cut off by its column shows its whole text as a tool tip.
class ReportListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QString displayText(const QVariant& value, const QLocale& locale) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // Whether the cell's text is wider than the room its column leaves it.
    bool isCutOff(const QStyleOptionViewItem& option, const QModelIndex& index) const;
};

class ReportModel;

class ReportList : public QTreeView {
    Q_OBJECT
public:
    // Negative, zero or positive as row a sorts before, with or after row b.
    using RowCompare = std::function<int(const QTreeWidgetItem& a, const QTreeWidgetItem& b)>;

    explicit ReportList(QWidget* parent = nullptr);
    ~ReportList() override;

    // Column captions with their widths; alignment per column (left unless given).
    void setColumns(const QList<std::pair<QString, int>>& columns);
    void setColumnAlignment(int column, Qt::Alignment alignment);

    // The icons rows show by image index.
    void setImages(QList<QIcon> images);

    // Appends a row (then applies the automatic order unless a batch is running).
    QTreeWidgetItem* addRow(const QStringList& texts, int image);
    // A row for addRows, not yet in the list.
    QTreeWidgetItem* makeRow(const QStringList& texts, int image) const;
    // Appends many rows at once (the list takes them over), then orders as addRow does.
    void addRows(const QList<QTreeWidgetItem*>& rows);
    void setRowText(QTreeWidgetItem* row, int column, const QString& text);
    static int imageOf(const QTreeWidgetItem& row);

    int rowCount() const;
    QTreeWidgetItem* row(int index) const;
    QString text(int rowIndex, int column) const;

    // The rows in the view by the tree widget's names: what callers and tests reach for.
    int topLevelItemCount() const { return rowCount(); }
    QTreeWidgetItem* topLevelItem(int index) const { return row(index); }
    // The row's place in the view, -1 when it is not shown there.
    int indexOfTopLevelItem(const QTreeWidgetItem* row) const;
    // Whether the row is one of this list's, shown or kept aside.
    bool holds(const QTreeWidgetItem* row) const;
    int columnCount() const;
    // The captions (and alignments) of the columns; setting them shows at once.
    QTreeWidgetItem* headerItem() const;
    QTreeWidgetItem* currentItem() const;
    // Makes the row current and selects it, as a click does.
    void setCurrentItem(QTreeWidgetItem* row);
    void setCurrentItem(QTreeWidgetItem* row, int column, QItemSelectionModel::SelectionFlags command);
    QList<QTreeWidgetItem*> selectedItems() const;
    // The whole row's rectangle in the viewport; empty when it is not shown.
    QRect visualItemRect(const QTreeWidgetItem* row) const;
    void scrollToItem(const QTreeWidgetItem* row, ScrollHint hint = EnsureVisible);
    // The shown rows whose text in `column` matches.
    QList<QTreeWidgetItem*> findItems(const QString& text, Qt::MatchFlags flags, int column = 0) const;
    // Deletes every row, shown or kept aside.
    void clear();
    // Takes every row out as clear() does, but hands them over: freeing a large list takes
    // a while, which a caller in a hurry spends later.
    std::vector<std::unique_ptr<QTreeWidgetItem>> takeAllRows();

    // Repainting and the automatic order stay suspended until the matching endBatch().
    // Rows added meanwhile are the list's (allRows(), holds()) but enter the view only
    // when the batch ends or the rows are sorted.
    void beginBatch();
    void endBatch();
    bool inBatch() const { return m_batchDepth > 0; }

    // Sorts ascending by the first column with the locale's case-sensitive comparison.
    void applyAutomaticOrder();

    // Sorts the rows once with `compare` (stable: equal rows keep their order).
    void sortRows(const RowCompare& compare);
    // The header shows which column the rows are sorted by, and in which direction.
    void showSortOrder(int column, bool ascending);

    // Selects and makes current the row (nullptr clears the selection).
    void selectRow(QTreeWidgetItem* row);
    QTreeWidgetItem* selectedRow() const;

    // The indexes of the first and last rows on screen; first > last when none is.
    std::pair<int, int> visibleRowRange() const;

    // Shows only `rows` (rows of this list), in that order, keeping the others aside; they
    // stay the list's. Sorting, additions and removals go on acting on every row in the
    // list's own order, and rowsChanged() says so. showAllRows() shows that order again.
    // The first SubsetChunk rows go into the view at once, the next ones each time the view
    // is scrolled down to its last rows, so a subset of 100,000 rows costs what a screen of
    // them costs. rowCount() and row() count the rows in the view; the selected row stays
    // selected while it is in the subset.
    void showOnlyRows(const std::vector<QTreeWidgetItem*>& rows);
    void showAllRows();
    bool showsSubset() const { return m_subset; }
    // The rows of the subset (in the view or still to come); rowCount() without one.
    int subsetRowCount() const;
    static constexpr int SubsetChunk = 1000;
    // Every row in the list's own order, shown or not: what is saved.
    std::vector<QTreeWidgetItem*> allRows() const;
    int allRowCount() const;
    // Deletes a row, in the view or kept aside.
    void removeRow(QTreeWidgetItem* row);

signals:
    // While a subset is shown: rows were added, removed, sorted or given new texts. Told
    // once the event loop runs again, however many changes came before.
    void rowsChanged();
    // The tree widget's signals, for the rows of this list.
    void itemSelectionChanged();
    void itemClicked(QTreeWidgetItem* row, int column);
    void itemDoubleClicked(QTreeWidgetItem* row, int column);
    void itemChanged(QTreeWidgetItem* row, int column);

private:
    // Puts the list's own rows into this order.
    void reorder(const std::vector<QTreeWidgetItem*>& rows);
    // The list's own order: the view's rows, or every row while a subset is shown.
    void setOwnOrder(const std::vector<QTreeWidgetItem*>& rows);
    // Rows join the list's own order: the view's rows, or the rows kept aside for a subset.
    void place(const std::vector<QTreeWidgetItem*>& rows);
    void placeBatchRows();

    QModelIndex indexOf(const QTreeWidgetItem* row, int column = 0) const;
    void rowDeleted(QTreeWidgetItem* row);
    void compactRows() const;
    void replaceShownRows(const std::vector<QTreeWidgetItem*>& rows);
    void showMoreRows();
    void tellRowsChanged();
    void hookSubset(); // ReportListSubset.cpp

    ReportModel* m_model = nullptr;
    QList<QIcon> m_images;
    int m_batchDepth = 0;
    // Added during the batch: the view would lay every row out again after each addition.
    std::vector<QTreeWidgetItem*> m_batchRows;
    bool m_rearranging = false; // the list's own moves, not changes of the selection
    // While a subset is shown: every row in order, and the rows removed since (taken out
    // of the order before it is next read).
    bool m_subset = false;
    bool m_changeTold = false;
    mutable std::vector<QTreeWidgetItem*> m_all;
    mutable std::vector<QTreeWidgetItem*> m_subsetRows; // the subset, the first m_inView of them in the view
    mutable size_t m_inView = 0;
    mutable QSet<QTreeWidgetItem*> m_removed;
};
