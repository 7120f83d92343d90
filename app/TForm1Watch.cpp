// The main window's build marks and the list that follows the disk: requests for the
// marker, marks shown on the rows, the live catalogue's changes applied to the main list
// and greyed hotlist rows. The work itself is catalogue::BuildMarker's and
// catalogue::LiveCatalogue's, off this thread.

#include "app/ProjectRows.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/TForm1.h"
#include "catalogue/BuildMarker.h"
#include "catalogue/LiveCatalogue.h"
#include "options/TForm2.h"
#include "platform/Files.h"
#include "platform/FolderWatch.h"
#include "settings/IniFile.h"
#include "catalogue/Exclusions.h"

#include <QCheckBox>
#include <QDateTime>
#include <QHash>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

using catalogue::BuildMark;
using catalogue::BuildMarker;
using catalogue::BuildState;
using catalogue::LiveCatalogue;

namespace {

// Row data of the Exe column: what a mark was made for, and its state. Far from the
// roles other parts of the window use.
constexpr int MarkKeyRole = Qt::UserRole + 40;
constexpr int MarkStateRole = Qt::UserRole + 41;
constexpr int ExeColumn = 1;

enum ListId { MainList = 0, Hotlist = 1 };

QIcon markIcon(BuildState state)
{
    static const auto make = [](QColor colour) {
        QPixmap pixmap(10, 10);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(colour.darker(150));
        painter.setBrush(colour);
        painter.drawEllipse(QRectF(1.5, 1.5, 7, 7));
        return QIcon(pixmap);
    };
    static const QIcon missing = make(QColor(210, 40, 40));
    static const QIcon stale = make(QColor(235, 160, 20));
    static const QIcon current = make(QColor(40, 170, 60));
    switch (state) {
    case BuildState::Missing: return missing;
    case BuildState::Stale: return stale;
    case BuildState::Current: return current;
    }
    return {};
}

QString timeText(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString markToolTip(const BuildMark& mark)
{
    QString state;
    switch (mark.state) {
    case BuildState::Missing: state = TForm1::tr("Executable missing"); break;
    case BuildState::Stale: state = TForm1::tr("Executable older than the newest source"); break;
    case BuildState::Current: state = TForm1::tr("Executable up to date"); break;
    }
    const QString exe = mark.state == BuildState::Missing ? TForm1::tr("missing") : timeText(mark.executableMs);
    const QString source = mark.newestSourceMs > 0 ? timeText(mark.newestSourceMs) : TForm1::tr("none");
    return state + u'\n' + TForm1::tr("Executable: %1").arg(exe) + u'\n' + TForm1::tr("Newest source: %1").arg(source);
}

QString markKey(const QTreeWidgetItem& row) { return row.text(ExeColumn) + u'\n' + row.text(2); }

// Rows by project path; a project may be in a list more than once.
QHash<QString, QList<QTreeWidgetItem*>> rowsByPath(const ReportList& list)
{
    QHash<QString, QList<QTreeWidgetItem*>> rows;
    // Every row, also those a filter keeps out of view.
    const std::vector<QTreeWidgetItem*> all = list.allRows();
    rows.reserve(qsizetype(all.size()));
    for (QTreeWidgetItem* row : all)
        rows[row->text(2)].append(row);
    return rows;
}

} // namespace

void TForm1::createBuildMarks()
{
    m_marker = std::make_unique<BuildMarker>();
    connect(m_marker.get(), &BuildMarker::marked, this, &TForm1::applyBuildMarks);
    for (ReportList* list : {lview, lviewHotlist}) {
        // Rows coming on screen, new rows and changed texts are marked first.
        connect(list->verticalScrollBar(), &QScrollBar::valueChanged, this, &TForm1::scheduleVisibleMarks);
        connect(list->model(), &QAbstractItemModel::rowsInserted, this, &TForm1::scheduleVisibleMarks);
        connect(list->model(), &QAbstractItemModel::modelReset, this, &TForm1::scheduleVisibleMarks);
        connect(list, &ReportList::itemChanged, this, &TForm1::scheduleVisibleMarks);
    }
}

void TForm1::followSavedLists()
{
    // Once the other windows exist, whose options decide the rules.
    QTimer::singleShot(0, this, [this] {
        if (lview->allRowCount() > 0 && !m_scanning)
            startFollowing();
        markAllRows();
    });
}

bool TForm1::followChanges() const
{
    return Form2 ? Form2->CBoxFollowChanges->isChecked() : Settings->read(settings::options::CBoxFollowChanges);
}

void TForm1::setFollowChanges(bool on)
{
    if (on == isFollowing())
        return;
    if (on && !m_scanning && lview->allRowCount() > 0)
        startFollowing();
    else if (!on)
        stopFollowing();
    markAllRows(); // greying follows the option
}

void TForm1::markAllRows()
{
    if (!m_marker)
        return;
    const QString root = LabelRoot->text();
    std::vector<BuildMarker::Request> first, rest;
    for (const auto& [list, id] : {std::pair{lview, MainList}, std::pair{lviewHotlist, Hotlist}}) {
        const auto [top, bottom] = list->visibleRowRange();
        QSet<const QTreeWidgetItem*> onScreen;
        for (int i = std::max(top, 0); i <= bottom && i < list->rowCount(); ++i) {
            const QTreeWidgetItem* row = list->row(i);
            onScreen.insert(row);
            first.push_back({id, row->text(2), row->text(ExeColumn), root + row->text(2)});
        }
        // The rest, also the rows a filter keeps out of view.
        for (const QTreeWidgetItem* row : list->allRows())
            if (!onScreen.contains(row))
                rest.push_back({id, row->text(2), row->text(ExeColumn), root + row->text(2)});
    }
    m_marker->markAll(std::move(first), std::move(rest));
}

void TForm1::scheduleVisibleMarks()
{
    if (m_visibleMarksPosted || m_scanning)
        return;
    m_visibleMarksPosted = true;
    QTimer::singleShot(0, this, &TForm1::markVisibleRows);
}

void TForm1::markVisibleRows()
{
    m_visibleMarksPosted = false;
    if (!m_marker)
        return;
    const QString root = LabelRoot->text();
    std::vector<BuildMarker::Request> requests;
    for (const auto& [list, id] : {std::pair{lview, MainList}, std::pair{lviewHotlist, Hotlist}}) {
        const auto [top, bottom] = list->visibleRowRange();
        for (int i = std::max(top, 0); i <= bottom && i < list->rowCount(); ++i) {
            const QTreeWidgetItem* row = list->row(i);
            if (row->data(ExeColumn, MarkKeyRole).toString() != markKey(*row))
                requests.push_back({id, row->text(2), row->text(ExeColumn), root + row->text(2)});
        }
    }
    m_marker->markFirst(std::move(requests));
}

void TForm1::applyBuildMarks()
{
    std::vector<BuildMarker::Result> results = m_marker->takeResults();
    if (results.empty())
        return;
    QHash<QString, QList<QTreeWidgetItem*>> rows[2] = {rowsByPath(*lview), rowsByPath(*lviewHotlist)};
    const bool grey = followChanges();
    const QBrush greyed = palette().brush(QPalette::Disabled, QPalette::Text);
    for (const BuildMarker::Result& result : results) {
        for (QTreeWidgetItem* row : rows[result.list].value(result.projectPath)) {
            // A mark made for an Exe column that has changed since waits for its successor.
            if (row->text(ExeColumn) != result.executableName)
                continue;
            row->setData(ExeColumn, Qt::DecorationRole, markIcon(result.mark.state));
            row->setData(ExeColumn, Qt::ToolTipRole, markToolTip(result.mark));
            row->setData(ExeColumn, MarkStateRole, int(result.mark.state));
            row->setData(ExeColumn, MarkKeyRole, markKey(*row));
            if (result.list == Hotlist) {
                const bool vanished = grey && !result.mark.projectExists;
                for (int column = 0; column < lviewHotlist->columnCount(); ++column)
                    row->setData(column, Qt::ForegroundRole, vanished ? QVariant(greyed) : QVariant());
            }
        }
    }
    emit buildMarksApplied();
}

void TForm1::startFollowing()
{
    catalogue::KeptWatch kept = std::move(m_keptWatch);
    stopFollowing();
    const QString root = LabelRoot->text();
    if (!followChanges() || root.isEmpty() || !platform::isFolder(root))
        return;
    catalogue::FollowRules rules;
    rules.root = root;
    // The rules of the next scan, as the options dialog stands.
    const bool applyExclusions = !(Form2 ? Form2->CBoxDisableExcludedFolders->isChecked()
                                         : Settings->read(settings::options::CBoxDisableExcludedFolders));
    if (applyExclusions && Settings->read(settings::exclude::number) >= 0) {
        rules.exclusions.entries = readExcludedFolders(*Settings, 0);
        rules.exclusions.active = true;
    }
    rules.lazarus = Form2 ? Form2->CBoxLazarusProjects->isChecked() : Settings->read(settings::options::CBoxLazarusProjects);
    m_live = std::make_unique<LiveCatalogue>(std::move(rules), projectEntries(*lview), std::move(kept));
    connect(m_live.get(), &LiveCatalogue::following, this, &TForm1::catalogueFollowing);
    connect(m_live.get(), &LiveCatalogue::changed, this, &TForm1::applyCatalogueChanges);
    connect(m_live.get(), &LiveCatalogue::limitReached, this, &TForm1::catalogueLimitReached);
    m_live->start();
}

void TForm1::stopFollowing()
{
    m_live.reset();
    m_keptWatch = {};
}

std::unique_ptr<LiveCatalogue> TForm1::pauseFollowing()
{
    if (m_live)
        m_keptWatch = m_live->stopKeepingWatch();
    return std::move(m_live);
}

void TForm1::catalogueLimitReached()
{
    // Called from the catalogue's own signal: it goes once that has returned.
    if (LiveCatalogue* live = m_live.release())
        live->deleteLater();
    const int limit = platform::systemWatchLimit();
    status->setPanelText(
        0, tr(" The list no longer follows changes on disk: the folders under the root need more watches than the "
              "system allows (fs.inotify.max_user_watches = %1). Raise it, e.g. sudo sysctl "
              "fs.inotify.max_user_watches=524288, then scan again.")
               .arg(limit >= 0 ? QString::number(limit) : tr("unknown")));
    emit catalogueNoLongerFollowing();
}

void TForm1::applyCatalogueChanges()
{
    if (!m_live)
        return;
    const std::vector<LiveCatalogue::Change> changes = m_live->takeChanges();
    if (changes.empty())
        return;
    QHash<QString, QList<QTreeWidgetItem*>> rows = rowsByPath(*lview);
    // New projects wait for the end of the batch, which may still change or remove them.
    std::vector<ProjectEntry> added;
    QHash<QString, size_t> addedAt;
    QSet<QString> affected;
    const int before = lview->allRowCount();
    // A source saved in a project's folder changes no row, only its mark: the list keeps
    // its order then.
    const bool structural = std::any_of(changes.begin(), changes.end(), [](const LiveCatalogue::Change& change) {
        return change.kind != LiveCatalogue::Change::Kind::Touched
               && change.kind != LiveCatalogue::Change::Kind::FolderLooked;
    });
    if (structural)
        lview->beginBatch();
    QSet<QString> lookedAt; // folders, with their separator
    for (const LiveCatalogue::Change& change : changes) {
        const ProjectEntry& entry = change.entry;
        if (change.kind == LiveCatalogue::Change::Kind::FolderLooked) {
            lookedAt.insert(entry.projectPath);
            continue;
        }
        affected.insert(entry.projectPath);
        QList<QTreeWidgetItem*>& same = rows[entry.projectPath];
        const auto waiting = addedAt.constFind(entry.projectPath);
        switch (change.kind) {
        case LiveCatalogue::Change::Kind::Added:
        case LiveCatalogue::Change::Kind::Updated:
            // A row the list already has takes the texts.
            for (QTreeWidgetItem* row : same) {
                lview->setRowText(row, 0, entry.applicationName);
                lview->setRowText(row, ExeColumn, entry.executableName);
            }
            if (waiting != addedAt.cend())
                added[*waiting] = entry;
            else if (same.isEmpty() && change.kind == LiveCatalogue::Change::Kind::Added) {
                addedAt.insert(entry.projectPath, added.size());
                added.push_back(entry);
            }
            break;
        case LiveCatalogue::Change::Kind::Removed:
            for (QTreeWidgetItem* row : same)
                lview->removeRow(row); // also a row a filter keeps out of view
            same.clear();
            if (waiting != addedAt.cend()) {
                added[*waiting].projectPath.clear(); // left out below
                addedAt.erase(waiting);
            }
            break;
        case LiveCatalogue::Change::Kind::Touched:
        case LiveCatalogue::Change::Kind::FolderLooked:
            break;
        }
    }
    std::vector<ProjectEntry> unique;
    for (ProjectEntry& entry : added)
        if (!entry.projectPath.isEmpty())
            unique.push_back(std::move(entry));
    if (structural) {
        addProjectRows(*lview, unique);
        lview->endBatch();
    }
    if (lview->allRowCount() != before)
        showProjectCount();

    // The rows of changed folders in both lists are marked again, before anything else.
    const QString root = LabelRoot->text();
    std::vector<BuildMarker::Request> requests;
    for (const auto& [list, id] : {std::pair{lview, MainList}, std::pair{lviewHotlist, Hotlist}})
        for (const QTreeWidgetItem* row : list->allRows()) {
            const QString path = row->text(2);
            if (affected.contains(path) || lookedAt.contains(path.left(path.lastIndexOf(u'/') + 1)))
                requests.push_back({id, row->text(2), row->text(ExeColumn), root + row->text(2)});
        }
    m_marker->markFirst(std::move(requests));
    emit catalogueChanged();
}
