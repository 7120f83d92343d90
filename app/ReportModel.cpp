#include "app/ReportModel.h"

ReportRow::ReportRow(const QStringList& texts, int image, const QIcon& icon) : m_icon(icon), m_image(image)
{
    m_texts.reserve(texts.size());
    for (const QString& text : texts)
        m_texts.append(text);
}

ReportRow::~ReportRow()
{
    if (m_model)
        m_model->deleted(*this);
}

bool ReportRow::ownRole(int column, int role)
{
    return role == Qt::DisplayRole || role == Qt::EditRole
           || (column == 0 && (role == ImageRole || role == Qt::DecorationRole));
}

QVariant ReportRow::data(int column, int role) const
{
    if (column < 0 || !ownRole(column, role))
        return QTreeWidgetItem::data(column, role);
    if (role == ImageRole)
        return m_image;
    if (role == Qt::DecorationRole)
        return m_icon.isNull() ? QVariant() : QVariant(m_icon);
    return column < m_texts.size() ? m_texts[column] : QVariant();
}

void ReportRow::setData(int column, int role, const QVariant& value)
{
    if (column < 0)
        return;
    // Rows not yet shown are filled by the thousand; only a shown row's change is told.
    const bool told = m_model && m_shownAt >= 0 && data(column, role) != value;
    if (!ownRole(column, role)) {
        QTreeWidgetItem::setData(column, role, value);
    } else if (role == ImageRole) {
        m_image = value.toInt();
    } else if (role == Qt::DecorationRole) {
        m_icon = value.value<QIcon>();
    } else {
        // Display and edit are one value, as in any tree item.
        if (column >= m_texts.size())
            m_texts.resize(column + 1);
        m_texts[column] = value;
    }
    if (told)
        m_model->changed(*this, column, role);
}

void ReportHeader::setData(int column, int role, const QVariant& value)
{
    QTreeWidgetItem::setData(column, role, value);
    m_model.headerChanged(column);
}

ReportModel::ReportModel(QObject* parent) : QAbstractTableModel(parent) {}

int ReportModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : size(); }

int ReportModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_columns; }

QVariant ReportModel::data(const QModelIndex& index, int role) const
{
    const QTreeWidgetItem* row = index.isValid() ? rowAt(index.row()) : nullptr;
    if (!row)
        return {};
    QVariant value = row->data(index.column(), role);
    // A column's alignment is the header's unless the row has one of its own.
    if (role == Qt::TextAlignmentRole && !value.isValid())
        return m_header.data(index.column(), role);
    return value;
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_columns)
        return {};
    return m_header.data(section, role);
}

Qt::ItemFlags ReportModel::flags(const QModelIndex& index) const
{
    // Every row alike, and never a parent: the view lays out 100,000 rows asking this.
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

void ReportModel::setColumnCount(int count)
{
    if (count == m_columns)
        return;
    beginResetModel();
    m_columns = count;
    endResetModel();
}

QTreeWidgetItem* ReportModel::rowAt(int row) const
{
    return row >= 0 && row < size() ? m_shown[size_t(row)] : nullptr;
}

int ReportModel::rowOf(const QTreeWidgetItem* item) const
{
    const auto* row = dynamic_cast<const ReportRow*>(item);
    return row && row->m_model == this ? row->m_shownAt : -1;
}

bool ReportModel::owns(const QTreeWidgetItem* item) const
{
    const auto* row = dynamic_cast<const ReportRow*>(item);
    return row && row->m_model == this;
}

ReportRow* ReportModel::makeRow(const QStringList& texts, int image, const QIcon& icon) const
{
    auto* row = new ReportRow(texts, image, icon);
    row->m_model = const_cast<ReportModel*>(this);
    return row;
}

void ReportModel::numberFrom(size_t first)
{
    for (size_t i = first; i < m_shown.size(); ++i)
        static_cast<ReportRow*>(m_shown[i])->m_shownAt = int(i);
}

void ReportModel::setShown(const std::vector<QTreeWidgetItem*>& rows)
{
    beginResetModel();
    for (QTreeWidgetItem* row : m_shown)
        static_cast<ReportRow*>(row)->m_shownAt = -1;
    // Into the array's own room: memory given back and asked for again at every keystroke
    // would cost a page fault per 512 rows.
    m_shown.assign(rows.begin(), rows.end());
    numberFrom(0);
    endResetModel();
}

void ReportModel::append(const std::vector<QTreeWidgetItem*>& rows)
{
    if (rows.empty())
        return;
    const size_t first = m_shown.size();
    beginInsertRows({}, int(first), int(first + rows.size() - 1));
    m_shown.insert(m_shown.end(), rows.begin(), rows.end());
    numberFrom(first);
    endInsertRows();
}

void ReportModel::deleteRows(const std::vector<QTreeWidgetItem*>& rows) { releaseRows(rows); }

std::vector<std::unique_ptr<QTreeWidgetItem>> ReportModel::releaseRows(const std::vector<QTreeWidgetItem*>& rows)
{
    setShown({});
    std::vector<std::unique_ptr<QTreeWidgetItem>> released;
    released.reserve(rows.size());
    for (QTreeWidgetItem* item : rows) {
        static_cast<ReportRow*>(item)->m_model = nullptr;
        released.emplace_back(item);
    }
    return released;
}

void ReportModel::changed(ReportRow& row, int column, int role)
{
    const QModelIndex at = index(row.m_shownAt, column);
    emit dataChanged(at, at, {role});
    emit rowChanged(&row, column);
}

void ReportModel::deleted(ReportRow& row)
{
    if (const int at = row.m_shownAt; at >= 0) {
        beginRemoveRows({}, at, at);
        m_shown.erase(m_shown.begin() + at);
        numberFrom(size_t(at));
        endRemoveRows();
    }
    row.m_model = nullptr;
    if (rowDeleted)
        rowDeleted(&row);
}

void ReportModel::alignmentChanged(int column)
{
    if (!m_shown.empty() && column >= 0 && column < m_columns)
        emit dataChanged(index(0, column), index(size() - 1, column), {Qt::TextAlignmentRole});
}

void ReportModel::headerChanged(int column)
{
    if (column >= 0 && column < m_columns)
        emit headerDataChanged(Qt::Horizontal, column, column);
}
