#pragma once
// The rows a report list shows, as a flat model. Each row is a tree item of its own that
// lives outside any tree widget, so moving rows in and out of the view is a change of
// this model's array alone: taking 100,000 rows out of view costs what swapping two
// arrays costs, where a tree widget walks and re-parents every item it loses or gains.

#include <QAbstractTableModel>
#include <QIcon>
#include <QTreeWidgetItem>

#include <functional>
#include <memory>
#include <vector>

class ReportModel;

// A row of a report list. It tells its list's model when one of its values changes, and
// when it is deleted, whoever deletes it. What every row has (its texts, its image and
// the image's icon) it keeps itself, in one small array: a scan makes and a new scan
// frees thousands of rows, and the tree item's own store takes several allocations per
// row for them. Other values (marks, tool tips, colours) go to that store.
class ReportRow final : public QTreeWidgetItem {
public:
    // The role that holds a row's image index in the first column.
    static constexpr int ImageRole = Qt::UserRole + 1;

    ReportRow(const QStringList& texts, int image, const QIcon& icon);
    ~ReportRow() override;
    QVariant data(int column, int role) const override;
    void setData(int column, int role, const QVariant& value) override;

private:
    friend class ReportModel;
    // Whether this row keeps the value itself rather than in the tree item's store.
    static bool ownRole(int column, int role);

    QList<QVariant> m_texts; // the display text of each column
    QIcon m_icon;            // the first column's
    int m_image = 0;
    ReportModel* m_model = nullptr; // the model of the list that owns the row
    int m_shownAt = -1;             // its row in the view, -1 while not shown
};

// The header's captions and alignments, which the model's header data reads.
class ReportHeader final : public QTreeWidgetItem {
public:
    explicit ReportHeader(ReportModel& model) : m_model(model) {}
    void setData(int column, int role, const QVariant& value) override;

private:
    ReportModel& m_model;
};

class ReportModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ReportModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void setColumnCount(int count);
    QTreeWidgetItem* header() { return &m_header; }

    // The shown rows; nullptr outside them.
    QTreeWidgetItem* rowAt(int row) const;
    int size() const { return int(m_shown.size()); }
    const std::vector<QTreeWidgetItem*>& shown() const { return m_shown; }
    // The row's place in the view, -1 when it is not shown or not this model's.
    int rowOf(const QTreeWidgetItem* item) const;
    // Whether the row was made for this model (shown or kept aside by its list).
    bool owns(const QTreeWidgetItem* item) const;
    // Makes a row of this model, not yet shown.
    ReportRow* makeRow(const QStringList& texts, int image, const QIcon& icon) const;

    // Shows these rows instead, in this order (a model reset: a view keeps nothing).
    void setShown(const std::vector<QTreeWidgetItem*>& rows);
    // Shows these rows after the shown ones.
    void append(const std::vector<QTreeWidgetItem*>& rows);
    // Deletes these rows, which hold every shown one, without a word per row.
    void deleteRows(const std::vector<QTreeWidgetItem*>& rows);
    // Takes them out as deleteRows() does, but hands them over instead.
    std::vector<std::unique_ptr<QTreeWidgetItem>> releaseRows(const std::vector<QTreeWidgetItem*>& rows);

    // A column's alignment changed in the header: rows without their own show it.
    void alignmentChanged(int column);

    // Told when a row of this model is deleted, after the view has let it go.
    std::function<void(QTreeWidgetItem*)> rowDeleted;

signals:
    // A value of a shown row changed.
    void rowChanged(QTreeWidgetItem* row, int column);

private:
    friend class ReportRow;
    friend class ReportHeader;
    void changed(ReportRow& row, int column, int role);
    void deleted(ReportRow& row);
    void headerChanged(int column);
    void numberFrom(size_t first);

    std::vector<QTreeWidgetItem*> m_shown;
    ReportHeader m_header{*this};
    int m_columns = 0;
};
