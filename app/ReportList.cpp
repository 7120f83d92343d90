#include "app/ReportList.h"

#include "platform/Files.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QHelpEvent>
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
    QTreeWidgetItem* item = makeRow(texts, image);
    addTopLevelItem(item);
    if (!inBatch())
        applyAutomaticOrder();
    return item;
}

void ReportList::addRows(const QList<QTreeWidgetItem*>& rows)
{
    // One insertion for the whole batch: the view takes it in one step, where a row at a
    // time would have it update itself thousands of times during a scan.
    addTopLevelItems(rows);
    if (!inBatch())
        applyAutomaticOrder();
}

QTreeWidgetItem* ReportList::makeRow(const QStringList& texts, int image) const
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
    return item;
}

void ReportList::setRowText(QTreeWidgetItem* row, int column, const QString& text)
{
    row->setText(column, text);
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
    if (rowCount() < 2)
        return;
    // Sort keys are made once per row; comparing them is far cheaper than collating the
    // texts at every comparison of a large list.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::pair<QCollatorSortKey, QTreeWidgetItem*>> keyed;
    keyed.reserve(size_t(rowCount()));
    for (int i = 0; i < rowCount(); ++i)
        keyed.emplace_back(collator.sortKey(row(i)->text(0)), row(i));
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(keyed.size());
    for (const auto& [key, item] : keyed)
        rows.push_back(item);
    reorder(rows);
}

void ReportList::sortRows(const RowCompare& compare)
{
    if (rowCount() < 2)
        return;
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(size_t(rowCount()));
    for (int i = 0; i < rowCount(); ++i)
        rows.push_back(row(i));
    std::stable_sort(rows.begin(), rows.end(),
                     [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(*a, *b) < 0; });
    reorder(rows);
}

void ReportList::reorder(const std::vector<QTreeWidgetItem*>& rows)
{
    QTreeWidgetItem* const current = currentItem();
    QTreeWidgetItem* const selected = selectedRow();
    // All rows out and back in one step each.
    const QList<QTreeWidgetItem*> taken = invisibleRootItem()->takeChildren();
    Q_ASSERT(taken.size() == qsizetype(rows.size()));
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
