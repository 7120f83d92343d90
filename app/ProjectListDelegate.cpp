#include "app/ProjectListDelegate.h"

#include "catalogue/ProjectFilter.h"
#include "viewer/MatchPaint.h"

#include <QPainter>

ProjectListDelegate::ProjectListDelegate(QueryOf queryOf, QObject* parent)
    : ReportListDelegate(parent), m_queryOf(std::move(queryOf))
{
}

void ProjectListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const catalogue::FilterQuery* query = m_queryOf ? m_queryOf() : nullptr;
    if (!query || query->isEmpty())
        return ReportListDelegate::paint(painter, option, index);
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    // Matched as the user reads the text (names that are not UTF-8 decoded).
    const std::vector<int> bold = catalogue::matchedCharacters(cell.text, *query);
    if (bold.empty())
        return ReportListDelegate::paint(painter, option, index);
    viewer::drawMatchedCell(*painter, cell, bold);
}
