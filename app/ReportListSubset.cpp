// The rows a filter leaves shown, with the others kept aside for the list's own order
// and for saving (ReportList.h says how).
#include "app/ReportList.h"

#include <QScrollBar>
#include <QTimer>

#include <algorithm>

void ReportList::hookSubset()
{
    // The hooks' own context, gone before the tree's destruction clears the model (by then
    // this is no ReportList any more).
    m_subsetHooks = new QObject(this);
    QObject* const hooks = m_subsetHooks;
    // Rows that other code removes or inserts while a subset is shown.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, hooks, [this](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid())
            rowsWillGo(first, last);
    });
    connect(model(), &QAbstractItemModel::rowsInserted, hooks, [this](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid())
            rowsCame(first, last);
    });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, hooks, [this] { forgetAsideRows(); });
    // Near the end of what a subset has put into the view, its next rows follow.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, hooks, [this](int value) {
        if (m_subset && value >= verticalScrollBar()->maximum() - verticalScrollBar()->pageStep())
            showMoreRows();
    });
}

ReportList::~ReportList()
{
    delete m_subsetHooks;
    // The shown rows go with the tree; the rows kept aside are this list's to delete.
    if (m_subset) {
        deleteAsideRows();
        m_subset = false; // the tree's own clearing follows
    }
}

void ReportList::deleteAsideRows()
{
    compactRows();
    for (QTreeWidgetItem* item : m_all)
        if (item->treeWidget() != this)
            delete item;
    m_all.clear();
    m_subsetRows.clear();
    m_inView = 0;
}

void ReportList::tellRowsChanged()
{
    if (m_changeTold)
        return;
    m_changeTold = true;
    QTimer::singleShot(0, this, [this] {
        m_changeTold = false;
        if (m_subset)
            emit rowsChanged();
    });
}

void ReportList::rowsWillGo(int first, int last)
{
    if (!m_subset || m_rearranging)
        return;
    for (int i = first; i <= last; ++i)
        m_removed.insert(topLevelItem(i));
    tellRowsChanged();
}

void ReportList::rowsCame(int first, int last)
{
    if (!m_subset || m_rearranging)
        return;
    compactRows();
    for (int i = first; i <= last; ++i)
        m_all.push_back(topLevelItem(i));
    tellRowsChanged();
}

void ReportList::forgetAsideRows()
{
    if (!m_subset || m_rearranging)
        return;
    // clear(): the tree deletes the shown rows, the rest are deleted here.
    deleteAsideRows();
    tellRowsChanged();
}

void ReportList::compactRows() const
{
    // Removed rows are dropped before anything reads the order or adds to it, so an
    // address that a new row reuses is never taken for the old one.
    if (m_removed.isEmpty())
        return;
    const auto removed = [this](QTreeWidgetItem* item) { return m_removed.contains(item); };
    std::erase_if(m_all, removed);
    // Of the subset, only rows in the view can have gone by other code.
    const auto gone = std::count_if(m_subsetRows.begin(), m_subsetRows.begin() + qsizetype(m_inView), removed);
    std::erase_if(m_subsetRows, removed);
    m_inView -= size_t(gone);
    m_removed.clear();
}

void ReportList::replaceShownRows(const QList<QTreeWidgetItem*>& rows)
{
    QTreeWidgetItem* const current = currentItem();
    QTreeWidgetItem* const selected = selectedRow();
    m_rearranging = true;
    (void)invisibleRootItem()->takeChildren();
    insertTopLevelItems(0, rows);
    m_rearranging = false;
    if (current && current->treeWidget() == this)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected && selected->treeWidget() == this)
        selected->setSelected(true);
}

void ReportList::showOnlyRows(const std::vector<QTreeWidgetItem*>& rows)
{
    compactRows();
    if (!m_subset) {
        m_all.clear();
        m_all.reserve(size_t(rowCount()));
        for (int i = 0; i < rowCount(); ++i)
            m_all.push_back(row(i));
        m_subset = true;
    }
    m_subsetRows = rows;
    // The first chunk, or as far as the selected row.
    size_t first = std::min(rows.size(), size_t(SubsetChunk));
    if (QTreeWidgetItem* selected = selectedRow()) {
        const auto at = std::find(rows.begin(), rows.end(), selected);
        if (at != rows.end())
            first = std::max(first, size_t(at - rows.begin()) + 1);
    }
    m_inView = first;
    // The same rows in the same order need no move (a query that changed nothing shown).
    if (int(first) == rowCount()) {
        bool same = true;
        for (int i = 0; same && i < rowCount(); ++i)
            same = row(i) == rows[size_t(i)];
        if (same)
            return;
    }
    replaceShownRows(QList<QTreeWidgetItem*>(rows.begin(), rows.begin() + qsizetype(first)));
}

void ReportList::showMoreRows()
{
    compactRows();
    if (!m_subset || m_inView >= m_subsetRows.size())
        return;
    const size_t more = std::min(m_subsetRows.size() - m_inView, size_t(SubsetChunk));
    const auto from = m_subsetRows.begin() + qsizetype(m_inView);
    m_rearranging = true;
    insertTopLevelItems(rowCount(), QList<QTreeWidgetItem*>(from, from + qsizetype(more)));
    m_rearranging = false;
    m_inView += more;
}

int ReportList::subsetRowCount() const
{
    if (!m_subset)
        return rowCount();
    compactRows();
    return int(m_subsetRows.size());
}

void ReportList::removeRow(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (m_subset && item->treeWidget() != this) {
        // Kept aside: no view tells of it, so it leaves the order here.
        compactRows();
        std::erase(m_all, item);
        std::erase(m_subsetRows, item);
        tellRowsChanged();
    }
    delete item;
}

void ReportList::showAllRows()
{
    if (!m_subset)
        return;
    compactRows();
    const QList<QTreeWidgetItem*> rows(m_all.begin(), m_all.end());
    m_subset = false;
    m_all.clear();
    m_subsetRows.clear();
    m_inView = 0;
    replaceShownRows(rows);
    if (QTreeWidgetItem* selected = selectedRow())
        scrollToItem(selected);
}

std::vector<QTreeWidgetItem*> ReportList::allRows() const
{
    if (m_subset) {
        compactRows();
        return m_all;
    }
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(size_t(rowCount()));
    for (int i = 0; i < rowCount(); ++i)
        rows.push_back(row(i));
    return rows;
}

int ReportList::allRowCount() const
{
    if (!m_subset)
        return rowCount();
    compactRows();
    return int(m_all.size());
}
