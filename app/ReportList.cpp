#include "app/ReportList.h"

#include "platform/Files.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace {
constexpr int ImageRole = Qt::UserRole + 1;
}

QString ReportListDelegate::displayText(const QVariant& value, const QLocale& locale) const
{
    if (value.typeId() == QMetaType::QString)
        return platform::displayName(value.toString());
    return QStyledItemDelegate::displayText(value, locale);
}

bool ReportListDelegate::isCutOff(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    const QStyle* style = cell.widget ? cell.widget->style() : QApplication::style();
    const QRect room = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, cell.widget);
    // The style keeps a margin on both sides of the text.
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
    return cell.fontMetrics.horizontalAdvance(cell.text) > room.width() - 2 * margin;
}

bool ReportListDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                                   const QModelIndex& index)
{
    if (event->type() != QEvent::ToolTip || !index.isValid())
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    if (!index.data(Qt::ToolTipRole).isValid() && isCutOff(option, index)) {
        QToolTip::showText(event->globalPos(), displayText(index.data(Qt::DisplayRole), QLocale()), view,
                           view->visualRect(index));
        return true;
    }
    if (!index.data(Qt::ToolTipRole).isValid()) {
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

ReportList::ReportList(QWidget* parent) : QTreeWidget(parent)
{
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setItemDelegate(new ReportListDelegate(this));
    header()->setSectionsClickable(true);
    header()->setStretchLastSection(false);
    // Keeps the selection in the active colours when the list loses the focus.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                     colours.color(QPalette::Active, QPalette::HighlightedText));
    setPalette(colours);

    // Rows that other code removes or inserts while a subset is shown.
    connect(model(), &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid())
            rowsWillGo(first, last);
    });
    connect(model(), &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex& parent, int first, int last) {
        if (!parent.isValid())
            rowsCame(first, last);
    });
    connect(model(), &QAbstractItemModel::modelAboutToBeReset, this, [this] { forgetAsideRows(); });
    // Near the end of what a subset has put into the view, its next rows follow.
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (m_subset && value >= verticalScrollBar()->maximum() - verticalScrollBar()->pageStep())
            showMoreRows();
    });
}

ReportList::~ReportList()
{
    // The shown rows go with the tree; the rows kept aside are this list's to delete.
    if (m_subset) {
        compactRows();
        for (QTreeWidgetItem* item : m_all)
            if (item->treeWidget() != this)
                delete item;
        m_all.clear();
        m_subsetRows.clear();
        m_subset = false; // the tree's own clearing follows
    }
}

void ReportList::setColumns(const QList<std::pair<QString, int>>& columns)
{
    QStringList captions;
    for (const auto& column : columns)
        captions << column.first;
    setColumnCount(int(columns.size()));
    setHeaderLabels(captions);
    for (int i = 0; i < columns.size(); ++i)
        setColumnWidth(i, columns[i].second);
}

void ReportList::setColumnAlignment(int column, Qt::Alignment alignment)
{
    if (QTreeWidgetItem* head = headerItem())
        head->setTextAlignment(column, alignment | Qt::AlignVCenter);
    for (int i = 0; i < rowCount(); ++i)
        row(i)->setTextAlignment(column, alignment | Qt::AlignVCenter);
}

void ReportList::setImages(QList<QIcon> images) { m_images = std::move(images); }

QTreeWidgetItem* ReportList::addRow(const QStringList& texts, int image)
{
    auto* item = new QTreeWidgetItem(texts);
    item->setData(0, ImageRole, image);
    if (image >= 0 && image < m_images.size())
        item->setIcon(0, m_images[image]);
    if (QTreeWidgetItem* head = headerItem()) {
        for (int column = 0; column < columnCount(); ++column) {
            const QVariant alignment = head->data(column, Qt::TextAlignmentRole);
            if (alignment.isValid())
                item->setData(column, Qt::TextAlignmentRole, alignment);
        }
    }
    if (m_subset) {
        // A row added while a subset is shown waits aside until the subset is chosen again.
        compactRows();
        m_all.push_back(item);
        tellRowsChanged();
    } else {
        addTopLevelItem(item);
    }
    if (!inBatch())
        applyAutomaticOrder();
    return item;
}

void ReportList::setRowText(QTreeWidgetItem* row, int column, const QString& text)
{
    row->setText(column, text);
    if (m_subset)
        tellRowsChanged();
    if (column == 0 && !inBatch())
        applyAutomaticOrder();
}

int ReportList::imageOf(const QTreeWidgetItem& row) { return row.data(0, ImageRole).toInt(); }

QString ReportList::text(int rowIndex, int column) const
{
    const QTreeWidgetItem* item = row(rowIndex);
    return item ? item->text(column) : QString();
}

void ReportList::beginBatch()
{
    if (m_batchDepth++ == 0)
        setUpdatesEnabled(false);
}

void ReportList::endBatch()
{
    if (m_batchDepth == 0 || --m_batchDepth > 0)
        return;
    applyAutomaticOrder();
    setUpdatesEnabled(true);
}

void ReportList::showSortOrder(int column, bool ascending)
{
    header()->setSortIndicatorShown(column >= 0 && column < columnCount());
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

void ReportList::applyAutomaticOrder()
{
    showSortOrder(0, true);
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    sortRows([&collator](const QTreeWidgetItem& a, const QTreeWidgetItem& b) {
        return collator.compare(a.text(0), b.text(0));
    });
}

void ReportList::sortRows(const RowCompare& compare)
{
    if (m_subset) {
        // The shown rows keep the order they were given; the list's own order changes.
        compactRows();
        std::stable_sort(m_all.begin(), m_all.end(),
                         [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(*a, *b) < 0; });
        tellRowsChanged();
        return;
    }
    if (rowCount() < 2)
        return;
    QTreeWidgetItem* const current = currentItem();
    QTreeWidgetItem* const selected = selectedRow();
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(size_t(rowCount()));
    while (rowCount() > 0)
        rows.push_back(takeTopLevelItem(rowCount() - 1));
    std::reverse(rows.begin(), rows.end());
    std::stable_sort(rows.begin(), rows.end(),
                     [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(*a, *b) < 0; });
    insertTopLevelItems(0, QList<QTreeWidgetItem*>(rows.begin(), rows.end()));
    if (current)
        setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    if (selected)
        selected->setSelected(true);
}

void ReportList::selectRow(QTreeWidgetItem* row)
{
    if (!row) {
        clearSelection();
        return;
    }
    setCurrentItem(row, 0, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
}

QTreeWidgetItem* ReportList::selectedRow() const
{
    const QList<QTreeWidgetItem*> rows = selectedItems();
    return rows.isEmpty() ? nullptr : rows.first();
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
    compactRows();
    for (QTreeWidgetItem* item : m_all)
        if (item->treeWidget() != this)
            delete item;
    m_all.clear();
    m_subsetRows.clear();
    m_inView = 0;
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
