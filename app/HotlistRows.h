#pragma once
// The row changes of the hotlist commands: adding a copy of a main-list entry, and giving
// a row of either list the texts that re-reading its project found.

#include "catalogue/ProjectEntry.h"
#include "catalogue/ProjectUpdate.h"

class QTreeWidgetItem;
class ReportList;

// Appends a copy of `entry` to the hotlist with the hotlist's image. Setting the name
// orders the list, so the row lands in name order. Duplicates are allowed.
QTreeWidgetItem* addToHotlist(ReportList& hotlist, const ProjectEntry& entry);

// Gives `row` the found texts: the name first (which re-orders the list), then the
// executable and the project path.
void applyProjectUpdate(ReportList& list, QTreeWidgetItem* row, const catalogue::ProjectUpdate& update);
