// The rows a filter leaves shown, with the others kept aside for the list's own order
// and for saving (ReportList.h says how).
#include "app/ReportList.h"

#include "app/ReportModel.h"

#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>

void ReportList::hookSubset()
{
    // Near the end of what a subset has put into the view, its next rows follow.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (m_subset && value >= verticalScrollBar()->maximum() - verticalScrollBar()->pageStep())
            showMoreRows();
    });
}

ReportList::~ReportList()
{
    // Whoever listens may be going too (the window that owns the list): nothing is told
    // from here on, neither by the list nor by its model. The view asks the model nothing
    // more that a deleted row could answer: an empty model answers every row.
    const QSignalBlocker quiet(this);
    const QSignalBlocker quietModel(m_model);
    m_model->rowDeleted = nullptr;
    m_model->deleteRows(allRows());
}

void ReportList::clear() { takeAllRows(); }

std::vector<std::unique_ptr<QTreeWidgetItem>> ReportList::takeAllRows()
{
    const std::vector<QTreeWidgetItem*> rows = allRows();
    m_batchRows.clear();
    if (m_subset) {
        // The subset stays chosen, with nothing in it.
        m_all.clear();
        m_subsetRows.clear();
        m_inView = 0;
        tellRowsChanged();
    }
    return m_model->releaseRows(rows);
}

void ReportList::rowDeleted(QTreeWidgetItem* row)
{
    if (!m_batchRows.empty())
        std::erase(m_batchRows, row);
    if (!m_subset)
        return;
    m_removed.insert(row);
    tellRowsChanged();
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

void ReportList::compactRows() const
{
    // Deleted rows are dropped before anything reads the order or adds to it, so an
    // address that a new row reuses is never taken for the old one.
    if (m_removed.isEmpty())
        return;
    const auto removed = [this](QTreeWidgetItem* item) { return m_removed.contains(item); };
    std::erase_if(m_all, removed);
    // Of the subset, only rows in the view can have gone while in it.
    const auto gone = std::count_if(m_subsetRows.begin(), m_subsetRows.begin() + qsizetype(m_inView), removed);
    std::erase_if(m_subsetRows, removed);
    m_inView -= size_t(gone);
    m_removed.clear();
}

void ReportList::replaceShownRows(const std::vector<QTreeWidgetItem*>& rows)
{
    QTreeWidgetItem* const current = currentItem();
    QTreeWidgetItem* const selected = selectedRow();
    // The view forgets its selection with the rows it showed; it comes back here, and is
    // told only if the selected row is no longer shown.
    m_rearranging = true;
    m_model->setShown(rows);
    if (indexOf(current).isValid())
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    const bool kept = indexOf(selected).isValid();
    if (kept)
        selectionModel()->select(indexOf(selected), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_rearranging = false;
    if (selected && !kept)
        emit itemSelectionChanged();
}

void ReportList::showOnlyRows(const std::vector<QTreeWidgetItem*>& rows)
{
    compactRows();
    // The arrays keep their room from one query to the next (ReportModel::setShown says why).
    if (!m_subset) {
        m_all.assign(m_model->shown().begin(), m_model->shown().end());
        m_subset = true;
    }
    m_subsetRows.assign(rows.begin(), rows.end());
    // The first chunk, or as far as the selected row.
    size_t first = std::min(rows.size(), size_t(SubsetChunk));
    if (QTreeWidgetItem* selected = selectedRow()) {
        const auto at = std::find(rows.begin(), rows.end(), selected);
        if (at != rows.end())
            first = std::max(first, size_t(at - rows.begin()) + 1);
    }
    m_inView = first;
    const std::vector<QTreeWidgetItem*> shown(rows.begin(), rows.begin() + qsizetype(first));
    // The same rows in the same order need no move (a query that changed nothing shown).
    if (shown != m_model->shown())
        replaceShownRows(shown);
}

void ReportList::showMoreRows()
{
    compactRows();
    if (!m_subset || m_inView >= m_subsetRows.size())
        return;
    const size_t more = std::min(m_subsetRows.size() - m_inView, size_t(SubsetChunk));
    const auto from = m_subsetRows.begin() + qsizetype(m_inView);
    m_model->append(std::vector<QTreeWidgetItem*>(from, from + qsizetype(more)));
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
    // The row tells the list itself, shown or kept aside.
    delete item;
}

void ReportList::showAllRows()
{
    if (!m_subset)
        return;
    compactRows();
    m_subset = false;
    replaceShownRows(m_all);
    m_all.clear();
    m_subsetRows.clear();
    m_inView = 0;
    if (QTreeWidgetItem* selected = selectedRow())
        scrollToItem(selected);
}

std::vector<QTreeWidgetItem*> ReportList::allRows() const
{
    if (m_subset)
        compactRows();
    std::vector<QTreeWidgetItem*> rows = m_subset ? m_all : m_model->shown();
    rows.insert(rows.end(), m_batchRows.begin(), m_batchRows.end());
    return rows;
}

int ReportList::allRowCount() const
{
    if (m_subset)
        compactRows();
    return int((m_subset ? m_all.size() : size_t(rowCount())) + m_batchRows.size());
}
