#include "app/ReportList.h"

#include "app/ReportModel.h"
#include "platform/Files.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QHelpEvent>
#include <QStyle>
#include <QToolTip>

#include <algorithm>
#include <vector>

namespace {
constexpr int ImageRole = ReportRow::ImageRole;

// The column header, whose height the view asks for after every change of the rows shown.
// The header forgets its measure at each reset of the model (a keystroke in the filter, a
// sort), and measuring the captions anew lays their texts out again: a millisecond each
// time. It is kept here for as long as what it depends on stays the same.
class CachedHintHeader final : public QHeaderView {
public:
    explicit CachedHintHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent)
    {
        // As the tree view's own header.
        setSectionsMovable(true);
        setStretchLastSection(true);
        setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    }

    QSize sizeHint() const override
    {
        const QString key = measuredFrom();
        if (key != m_key || !m_hint.isValid()) {
            m_hint = QHeaderView::sizeHint();
            m_key = key;
        }
        return m_hint;
    }

private:
    // Everything the measure of the captions depends on.
    QString measuredFrom() const
    {
        QString key = font().key();
        key += u'|' + style()->name() + u'|' + QString::number(isSortIndicatorShown())
               + QString::number(sortIndicatorSection()) + QString::number(int(sortIndicatorOrder()));
        const QAbstractItemModel* source = model();
        for (int section = 0; section < count(); ++section) {
            key += u'|' + QString::number(isSectionHidden(section));
            if (!source)
                continue;
            for (const int role : {int(Qt::DisplayRole), int(Qt::DecorationRole), int(Qt::FontRole),
                                   int(Qt::SizeHintRole), int(Qt::TextAlignmentRole)}) {
                const QVariant value = source->headerData(section, orientation(), role);
                key += u'\x1f' + (role == Qt::DisplayRole ? value.toString() : QString::number(value.isValid()));
                if (role == Qt::FontRole && value.isValid())
                    key += value.value<QFont>().key();
                if (role == Qt::SizeHintRole && value.isValid())
                    key += QString::number(value.toSize().width()) + u'x' + QString::number(value.toSize().height());
            }
        }
        return key;
    }

    mutable QString m_key;
    mutable QSize m_hint;
};
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

ReportList::ReportList(QWidget* parent) : QTreeView(parent), m_model(new ReportModel(this))
{
    setHeader(new CachedHintHeader(this));
    setModel(m_model);
    m_model->rowDeleted = [this](QTreeWidgetItem* row) { rowDeleted(row); };
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_rearranging)
            emit itemSelectionChanged();
    });
    connect(this, &QAbstractItemView::clicked, this, [this](const QModelIndex& index) {
        if (QTreeWidgetItem* item = m_model->rowAt(index.row()))
            emit itemClicked(item, index.column());
    });
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (QTreeWidgetItem* item = m_model->rowAt(index.row()))
            emit itemDoubleClicked(item, index.column());
    });
    connect(m_model, &ReportModel::rowChanged, this, &ReportList::itemChanged);
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

    hookSubset();
}

void ReportList::setColumns(const QList<std::pair<QString, int>>& columns)
{
    m_model->setColumnCount(int(columns.size()));
    for (int i = 0; i < columns.size(); ++i) {
        headerItem()->setText(i, columns[i].first);
        setColumnWidth(i, columns[i].second);
    }
}

void ReportList::setColumnAlignment(int column, Qt::Alignment alignment)
{
    // Every row without an alignment of its own takes the header's.
    headerItem()->setTextAlignment(column, alignment | Qt::AlignVCenter);
    m_model->alignmentChanged(column);
}

void ReportList::setImages(QList<QIcon> images) { m_images = std::move(images); }

QTreeWidgetItem* ReportList::addRow(const QStringList& texts, int image)
{
    QTreeWidgetItem* item = makeRow(texts, image);
    addRows({item});
    return item;
}

void ReportList::addRows(const QList<QTreeWidgetItem*>& rows)
{
    if (inBatch()) {
        m_batchRows.insert(m_batchRows.end(), rows.begin(), rows.end());
        return;
    }
    place(std::vector<QTreeWidgetItem*>(rows.begin(), rows.end()));
    applyAutomaticOrder();
}

void ReportList::place(const std::vector<QTreeWidgetItem*>& rows)
{
    if (rows.empty())
        return;
    if (m_subset) {
        // Rows added while a subset is shown wait aside until the subset is chosen again.
        compactRows();
        m_all.insert(m_all.end(), rows.begin(), rows.end());
        tellRowsChanged();
    } else {
        // One insertion for the whole batch: the view takes it in one step.
        m_model->append(rows);
    }
}

void ReportList::placeBatchRows() { place(std::exchange(m_batchRows, {})); }

QTreeWidgetItem* ReportList::makeRow(const QStringList& texts, int image) const
{
    // The columns' alignments are the header's (ReportModel::data).
    return m_model->makeRow(texts, image, image >= 0 && image < m_images.size() ? m_images[image] : QIcon());
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
    placeBatchRows();
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
    placeBatchRows(); // sorted with the others
    showSortOrder(0, true);
    const std::vector<QTreeWidgetItem*> all = allRows();
    if (all.size() < 2)
        return;
    // Sort keys are made once per row; comparing them is far cheaper than collating the
    // texts at every comparison of a large list.
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<std::pair<QCollatorSortKey, QTreeWidgetItem*>> keyed;
    keyed.reserve(all.size());
    for (QTreeWidgetItem* item : all)
        keyed.emplace_back(collator.sortKey(item->text(0)), item);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first.compare(b.first) < 0; });
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(keyed.size());
    for (const auto& [key, item] : keyed)
        rows.push_back(item);
    setOwnOrder(rows);
}

void ReportList::sortRows(const RowCompare& compare)
{
    placeBatchRows();
    std::vector<QTreeWidgetItem*> rows = allRows();
    if (rows.size() < 2)
        return;
    std::stable_sort(rows.begin(), rows.end(),
                     [&compare](const QTreeWidgetItem* a, const QTreeWidgetItem* b) { return compare(*a, *b) < 0; });
    setOwnOrder(rows);
}

void ReportList::setOwnOrder(const std::vector<QTreeWidgetItem*>& rows)
{
    if (m_subset) {
        // The shown rows keep the order they were given; the list's own order changes.
        m_all = rows;
        tellRowsChanged();
        return;
    }
    reorder(rows);
}

void ReportList::reorder(const std::vector<QTreeWidgetItem*>& rows)
{
    Q_ASSERT(int(rows.size()) == rowCount());
    replaceShownRows(rows);
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

int ReportList::rowCount() const { return m_model->size(); }

QTreeWidgetItem* ReportList::row(int index) const { return m_model->rowAt(index); }

int ReportList::indexOfTopLevelItem(const QTreeWidgetItem* row) const { return m_model->rowOf(row); }

bool ReportList::holds(const QTreeWidgetItem* row) const { return m_model->owns(row); }

int ReportList::columnCount() const { return m_model->columnCount(); }

QTreeWidgetItem* ReportList::headerItem() const { return m_model->header(); }

QModelIndex ReportList::indexOf(const QTreeWidgetItem* row, int column) const
{
    const int at = m_model->rowOf(row);
    return at >= 0 ? m_model->index(at, column) : QModelIndex();
}

QTreeWidgetItem* ReportList::currentItem() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() ? m_model->rowAt(current.row()) : nullptr;
}

void ReportList::setCurrentItem(QTreeWidgetItem* row) { setCurrentIndex(indexOf(row)); }

void ReportList::setCurrentItem(QTreeWidgetItem* row, int column, QItemSelectionModel::SelectionFlags command)
{
    selectionModel()->setCurrentIndex(indexOf(row, column), command);
}

QList<QTreeWidgetItem*> ReportList::selectedItems() const
{
    QList<QTreeWidgetItem*> rows;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        QTreeWidgetItem* item = m_model->rowAt(index.row());
        if (item && !rows.contains(item))
            rows << item;
    }
    return rows;
}

QRect ReportList::visualItemRect(const QTreeWidgetItem* row) const
{
    const QModelIndex first = indexOf(row, 0);
    if (!first.isValid())
        return {};
    return visualRect(first) | visualRect(first.siblingAtColumn(columnCount() - 1));
}

void ReportList::scrollToItem(const QTreeWidgetItem* row, ScrollHint hint)
{
    if (const QModelIndex at = indexOf(row); at.isValid())
        scrollTo(at, hint);
}

QList<QTreeWidgetItem*> ReportList::findItems(const QString& text, Qt::MatchFlags flags, int column) const
{
    QList<QTreeWidgetItem*> rows;
    if (rowCount() == 0)
        return rows;
    for (const QModelIndex& index : m_model->match(m_model->index(0, column), Qt::DisplayRole, text, -1, flags))
        rows << m_model->rowAt(index.row());
    return rows;
}

std::pair<int, int> ReportList::visibleRowRange() const
{
    if (rowCount() == 0 || viewport()->height() <= 0)
        return {0, -1};
    const QModelIndex top = indexAt(QPoint(0, 0));
    const QModelIndex bottom = indexAt(QPoint(0, viewport()->height() - 1));
    const int first = top.isValid() ? top.row() : 0;
    const int last = bottom.isValid() ? bottom.row() : rowCount() - 1;
    return {first, last};
}
