#pragma once
// A report-style list: columns, whole-row single selection, read-only, selection kept
// visible without the focus. It keeps itself ordered by its first column (locale-aware,
// case-sensitive) whenever a first-column text is set, except inside a batch, which
// sorts once when it ends.

#include <QStyledItemDelegate>
#include <QTreeWidget>

#include <functional>
#include <vector>
#include <utility>

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

private:
    // Puts the list's own rows into this order.
    void reorder(const std::vector<QTreeWidgetItem*>& rows);

    QList<QIcon> m_images;
    int m_batchDepth = 0;
};
