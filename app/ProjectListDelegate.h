#pragma once
// Draws the rows of the main list and the hotlist: the characters a filter matched in
// bold, besides what every report list draws.

#include "app/ReportList.h"

#include <functional>

namespace catalogue {
class FilterQuery;
}

class ProjectListDelegate final : public ReportListDelegate {
    Q_OBJECT
public:
    // The query whose matches are drawn bold; null or empty when none is typed.
    using QueryOf = std::function<const catalogue::FilterQuery*()>;

    ProjectListDelegate(QueryOf queryOf, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    QueryOf m_queryOf;
};
