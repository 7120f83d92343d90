#include "app/HotlistRows.h"

#include "app/ReportList.h"

QTreeWidgetItem* addToHotlist(ReportList& hotlist, const ProjectEntry& entry)
{
    QTreeWidgetItem* row = hotlist.addRow({QString(), QString(), QString()}, listimage::Hotlist);
    hotlist.setRowText(row, 0, entry.applicationName);
    hotlist.setRowText(row, 1, entry.executableName);
    hotlist.setRowText(row, 2, entry.projectPath);
    return row;
}

void applyProjectUpdate(ReportList& list, QTreeWidgetItem* row, const catalogue::ProjectUpdate& update)
{
    list.setRowText(row, 0, update.applicationName);
    list.setRowText(row, 1, update.executableName);
    list.setRowText(row, 2, update.projectPath);
}
