#pragma once
// Project entries as rows of a report list: application name, executable name and
// project path in the three columns, the image as the row's marker.

#include "catalogue/ProjectEntry.h"

#include <vector>

class QTreeWidgetItem;
class ReportList;

QTreeWidgetItem* addProjectRow(ReportList& list, const ProjectEntry& entry);
// Many rows in one insertion: the scan's batches and the saved lists.
void addProjectRows(ReportList& list, const std::vector<ProjectEntry>& entries);
ProjectEntry projectEntry(const QTreeWidgetItem& row);

// Every row in the order the list shows them.
std::vector<ProjectEntry> projectEntries(const ReportList& list);
