// The main window's file panel: filling it for a project, its row colours, its header
// sort and viewing one of its files.
#include "app/EventHook.h"
#include "app/ReportList.h"
#include "app/RowColorDelegate.h"
#include "app/TForm1.h"
#include "catalogue/ProjectEntry.h"
#include "platform/Colors.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "viewer/TForm3.h"

#include <QApplication>
#include <QCollator>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

void TForm1::connectFilePanel()
{
    lviewFiles->setItemDelegate(new RowColorDelegate(
        [this](const QString& fileName) { return lviewFilesCustomDrawItem(fileName); }, lviewFiles));
    connect(lviewFiles->header(), &QHeaderView::sectionClicked, this, &TForm1::lviewFilesColumnClick);
    connect(lviewFiles, &ReportList::itemDoubleClicked, this, &TForm1::SButViewFileClick);
    connect(SButViewFile, &QToolButton::clicked, this, &TForm1::SButViewFileClick);
    EventHook::install(lviewFiles, this, [this](QObject*, QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        return lviewFilesKeyDown(key->key(), key->modifiers());
    });
}

void TForm1::FillFileList(const QString& projectPath)
{
    using filepanel::FileListing;
    const FileListing listing = filepanel::listProjectFiles(LabelRoot->text(), projectPath, ShowKinds);
    switch (listing.outcome) {
    case FileListing::Outcome::NoKinds: return;
    case FileListing::Outcome::MissingFolder:
        platform::dialogs().message(this, tr("Can't find folder:") + LineBreak + listing.folder);
        return;
    case FileListing::Outcome::Listed: break;
    }
    lviewFiles->clear();
    lviewFiles->beginBatch();
    for (const filepanel::FileRow& file : listing.rows)
        lviewFiles->addRow({file.name, file.size}, listimage::File);
    lviewFiles->endBatch();
}

QColor TForm1::lviewFilesCustomDrawItem(const QString& fileName) const
{
    return platform::toQColor(filepanel::rowColor(fileName, KindColors));
}

void TForm1::SortFileList()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const int column = lviewFilesSort.column;
    const int sign = lviewFilesSort.ascending ? 1 : -1;
    lviewFiles->showSortOrder(column, lviewFilesSort.ascending);
    lviewFiles->sortRows([&](const QTreeWidgetItem& a, const QTreeWidgetItem& b) {
        switch (column) {
        case 0: return sign * collator.compare(a.text(0), b.text(0));
        case 1: return sign * filepanel::compareSizeTexts(a.text(1), b.text(1));
        default: return 0;
        }
    });
}

void TForm1::lviewFilesColumnClick(int column)
{
    if (lviewFiles->rowCount() == 0)
        return;
    lviewFilesSort.click(column);
    SortFileList();
}

bool TForm1::lviewFilesKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Return && key != Qt::Key_Enter && key != Qt::Key_F3)
        return false;
    SButViewFileClick();
    return true;
}

void TForm1::SButViewFileClick()
{
    QTreeWidgetItem* selected = lviewFiles->selectedRow();
    if (!selected)
        return;
    const QString folder = filepanel::folderOf(LabelFuldSti->text());
    if (!platform::isFolder(folder)) {
        platform::dialogs().message(this, tr("Can't find folder:") + LineBreak + folder);
        return;
    }
    // The panel is a snapshot: its file may have gone since, or be a folder whose name
    // matched a mask. The viewer refuses what it cannot show and keeps what it shows.
    const QString file = folder + selected->text(0);
    QStringList names;
    for (int i = 0; i < lviewFiles->rowCount(); ++i)
        names << lviewFiles->text(i, 0);
    ShowInViewer(file, names, lviewFiles->indexOfTopLevelItem(selected));
}

void TForm1::ShowInViewer(const QString& file, const QStringList& projectFiles, int selectedRow)
{
    if (Form3)
        Form3->ViewFile(file, projectFiles, selectedRow, [this] { FormResize(); });
}
