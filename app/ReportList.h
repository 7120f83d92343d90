#pragma once
// A report-style list: columns, whole-row single selection, read-only, selection kept
// visible without the focus. It keeps itself ordered by its first column (locale-aware,
// case-sensitive) whenever a first-column text is set, except inside a batch, which
// sorts once when it ends.

#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <QSet>

#include <functional>
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

class ReportList : public QTreeWidget {
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

    int rowCount() const { return topLevelItemCount(); }
    QTreeWidgetItem* row(int index) const { return topLevelItem(index); }
    QString text(int rowIndex, int column) const;

    // Repainting and the automatic order stay suspended until the matching endBatch().
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

private:
    // Puts the list's own rows into this order.
    void reorder(const std::vector<QTreeWidgetItem*>& rows);
    // The list's own order: the view's rows, or every row while a subset is shown.
    void setOwnOrder(const std::vector<QTreeWidgetItem*>& rows);

    void rowsWillGo(int first, int last);
    void rowsCame(int first, int last);
    void forgetAsideRows();
    // Deletes the rows kept out of view and forgets the subset's order.
    void deleteAsideRows();
    void compactRows() const;
    void replaceShownRows(const QList<QTreeWidgetItem*>& rows);
    void showMoreRows();
    void tellRowsChanged();
    void hookSubset(); // ReportListSubset.cpp

    QList<QIcon> m_images;
    int m_batchDepth = 0;
    // While a subset is shown: every row in order, and the rows removed since (taken out
    // of the order before it is next read).
    QObject* m_subsetHooks = nullptr;
    bool m_subset = false;
    bool m_rearranging = false; // the list's own moves, not changes of its rows
    bool m_changeTold = false;
    mutable std::vector<QTreeWidgetItem*> m_all;
    mutable std::vector<QTreeWidgetItem*> m_subsetRows; // the subset, the first m_inView of them in the view
    mutable size_t m_inView = 0;
    mutable QSet<QTreeWidgetItem*> m_removed;
};
