#include "app/ProjectRows.h"

#include "app/ReportList.h"

QTreeWidgetItem* addProjectRow(ReportList& list, const ProjectEntry& entry)
{
    return list.addRow({entry.applicationName, entry.executableName, entry.projectPath}, entry.image);
}

void addProjectRows(ReportList& list, const std::vector<ProjectEntry>& entries)
{
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(entries.size()));
    for (const ProjectEntry& entry : entries)
        rows << list.makeRow({entry.applicationName, entry.executableName, entry.projectPath}, entry.image);
    list.addRows(rows);
}

ProjectEntry projectEntry(const QTreeWidgetItem& row)
{
    return {row.text(0), row.text(1), row.text(2), ReportList::imageOf(row)};
}

std::vector<ProjectEntry> projectEntries(const ReportList& list)
{
    std::vector<ProjectEntry> entries;
    entries.reserve(size_t(list.rowCount()));
    for (int i = 0; i < list.rowCount(); ++i)
        entries.push_back(projectEntry(*list.row(i)));
    return entries;
}
