#include "app/ListFilter.h"

#include "app/ReportList.h"

#include <QAbstractItemModel>

ListFilter::ListFilter(ReportList& list, QObject* parent) : QObject(parent), m_list(list)
{
    connect(&m_list, &ReportList::rowsChanged, this, [this] {
        m_prepared = false;
        if (isActive())
            apply();
    });
    // Without a subset the list tells nothing itself: rows that come, go or are renamed
    // after the rows were folded (a scan while the field has the focus) fold again.
    QAbstractItemModel* model = m_list.model();
    const auto stale = [this] {
        if (!m_applying)
            m_prepared = false;
    };
    connect(model, &QAbstractItemModel::rowsInserted, this, stale);
    connect(model, &QAbstractItemModel::rowsRemoved, this, stale);
    connect(model, &QAbstractItemModel::modelReset, this, stale);
    connect(model, &QAbstractItemModel::layoutChanged, this, stale);
    connect(model, &QAbstractItemModel::dataChanged, this,
            [stale](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::DisplayRole))
                    stale();
            });
}

void ListFilter::setQuery(const catalogue::FilterQuery& query)
{
    if (query == m_query && (query.isEmpty() || m_prepared))
        return;
    m_query = query;
    apply();
}

void ListFilter::prepare()
{
    if (m_prepared)
        return;
    m_rows = m_list.allRows();
    std::vector<catalogue::ProjectFilter::Candidate> candidates;
    candidates.reserve(m_rows.size());
    // Name, executable and path; ties go to the shorter path.
    for (const QTreeWidgetItem* row : m_rows)
        candidates.push_back(
            catalogue::ProjectFilter::prepare({row->text(0), row->text(1), row->text(2)}, int(row->text(2).size())));
    m_filter.setCandidates(std::move(candidates));
    m_prepared = true;
}

void ListFilter::apply()
{
    if (m_query.isEmpty()) {
        // The folded rows stay for the next query, until release().
        m_applying = true;
        m_list.showAllRows();
        m_applying = false;
        emit applied();
        return;
    }
    prepare();
    const std::vector<int>& ranked = m_filter.rank(m_query);
    m_shown.clear();
    for (const int index : ranked)
        m_shown.push_back(m_rows[size_t(index)]);
    m_applying = true;
    m_list.showOnlyRows(m_shown);
    m_applying = false;
    emit applied();
}

void ListFilter::release()
{
    if (isActive())
        return;
    m_filter.setCandidates({});
    m_rows = {};
    m_shown = {};
    m_prepared = false;
}

int ListFilter::shownCount() const { return m_list.subsetRowCount(); }

int ListFilter::totalCount() const { return m_list.allRowCount(); }
