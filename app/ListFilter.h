#pragma once
// Narrows a project list to the rows a query matches, best first, and shows the list's
// own order again when the query is emptied. The rows stay the list's, so what is saved
// never changes; rows added, removed or changed meanwhile are filtered as they come.

#include "catalogue/ProjectFilter.h"

#include <QObject>

#include <vector>

class QTreeWidgetItem;
class ReportList;

class ListFilter final : public QObject {
    Q_OBJECT
public:
    explicit ListFilter(ReportList& list, QObject* parent = nullptr);

    void setQuery(const catalogue::FilterQuery& query);
    const catalogue::FilterQuery& query() const { return m_query; }
    bool isActive() const { return !m_query.isEmpty(); }

    // Folds the rows for matching ahead of the first keystroke; release() lets them go
    // while no query is typed.
    void prepare();
    void release();

    // The rows the query leaves (the view takes them in as it is scrolled), and all rows.
    int shownCount() const;
    int totalCount() const;

signals:
    // The rows shown changed.
    void applied();

private:
    void apply();

    ReportList& m_list;
    catalogue::ProjectFilter m_filter;
    catalogue::FilterQuery m_query;
    std::vector<QTreeWidgetItem*> m_rows; // the filter's rows, in the list's order
    std::vector<QTreeWidgetItem*> m_shown; // the last ranking's rows; its room stays for the next
    bool m_prepared = false;
    bool m_applying = false; // the list's moves that apply() makes are no change of its rows
};
