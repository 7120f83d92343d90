// The main window's hotlist commands and the context menus of the two project lists:
// adding by drag and drop, menu or key, deleting, updating a row from disk, and the
// keys and double clicks that reach the launch actions.
#include "app/TForm1.h"

#include "app/EventHook.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/HotlistRows.h"
#include "app/ProjectRows.h"
#include "platform/Dialogs.h"
#include "platform/LastError.h"
#include "platform/SyntheticKeys.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QToolButton>

namespace {

bool isEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

void TForm1::buildProjectMenus()
{
    const auto addItem = [this](QMenu* menu, QWidget* list, const char* name, const QString& caption,
                                const QKeySequence& shortcut, void (TForm1::*handler)()) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (!shortcut.isEmpty()) {
            // A menu's keys work while its list has the focus.
            action->setShortcut(shortcut);
            action->setShortcutContext(Qt::WidgetShortcut);
            list->addAction(action);
        }
        connect(action, &QAction::triggered, this, handler);
        return action;
    };

    mnuPopup = new QMenu(this);
    mnuPopup->setObjectName(QStringLiteral("mnuPopup"));
    mnuPopupRunProject = addItem(mnuPopup, lview, "mnuPopupRunProject", tr("執行專案"), {},
                                 &TForm1::SButRunProjectClick);
    mnuPopupRunExe = addItem(mnuPopup, lview, "mnuPopupRunExe", tr("執行 Exe"), {}, &TForm1::SButRunExeClick);
    mnuPopupOpenFolder = addItem(mnuPopup, lview, "mnuPopupOpenFolder", tr("開啟資料夾"), {},
                                 &TForm1::SButOpenInExplorerClick);
    mnuPopup->addSeparator();
    mnuPopupUpdateItem = addItem(mnuPopup, lview, "mnuPopupUpdateItem", tr("更新項目"),
                                 QKeySequence(Qt::Key_F5), &TForm1::mnuPopupUpdateItemClick);
    // Virtual key 187 is the main keyboard's "=" / "+" key.
    mnuPopupAddToHotlist = addItem(mnuPopup, lview, "mnuPopupAddToHotlist", tr("增加到熱門列表"),
                                   QKeySequence(Qt::Key_Equal), &TForm1::mnuPopupAddToHotlistClick);

    mnuPopupHotlist = new QMenu(this);
    mnuPopupHotlist->setObjectName(QStringLiteral("mnuPopupHotlist"));
    mnuPopupHotlistRunProject = addItem(mnuPopupHotlist, lviewHotlist, "mnuPopupHotlistRunProject",
                                        tr("執行專案"), {}, &TForm1::mnuPopupHotlistRunProjectClick);
    mnuPopupHotlistRunExe = addItem(mnuPopupHotlist, lviewHotlist, "mnuPopupHotlistRunExe", tr("執行 Exe"),
                                    {}, &TForm1::mnuPopupHotlistRunExeClick);
    mnuPopupHotlistOpenFolder = addItem(mnuPopupHotlist, lviewHotlist, "mnuPopupHotlistOpenFolder",
                                        tr("開啟資料夾"), {}, &TForm1::mnuPopupHotlistOpenFolderClick);
    mnuPopupHotlist->addSeparator();
    mnuPopupHotlistUpdateItem = addItem(mnuPopupHotlist, lviewHotlist, "mnuPopupHotlistUpdateItem",
                                        tr("更新項目"), QKeySequence(Qt::Key_F5),
                                        &TForm1::mnuPopupHotlistUpdateItemClick);
    mnuPopupHotlist->addSeparator();
    mnuPopupHotlistDeleteItem = addItem(mnuPopupHotlist, lviewHotlist, "mnuPopupHotlistDeleteItem",
                                        tr("刪除項目"), QKeySequence(Qt::Key_Delete),
                                        &TForm1::mnuPopupHotlistDeleteItemClick);

    connect(mnuPopup, &QMenu::aboutToShow, this, &TForm1::mnuPopupPopup);
    connect(mnuPopupHotlist, &QMenu::aboutToShow, this, &TForm1::mnuPopupHotlistPopup);
    for (auto [list, menu] : {std::pair{lview, mnuPopup}, std::pair{lviewHotlist, mnuPopupHotlist}}) {
        list->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(list, &QWidget::customContextMenuRequested, menu,
                [list = list, menu = menu](const QPoint& at) { menu->popup(list->viewport()->mapToGlobal(at)); });
    }
}

void TForm1::hookProjectLists()
{
    // Rows travel one way only: out of the main list, into the hotlist, always as copies.
    lview->setDragDropMode(QAbstractItemView::DragOnly);
    lview->setDefaultDropAction(Qt::CopyAction);
    lviewHotlist->setDragEnabled(false);
    lviewHotlist->viewport()->setAcceptDrops(true);

    connect(SButRunProject, &QToolButton::clicked, this, &TForm1::SButRunProjectClick);
    connect(SButRunExe, &QToolButton::clicked, this, &TForm1::SButRunExeClick);
    connect(SButOpenInExplorer, &QToolButton::clicked, this, &TForm1::SButOpenInExplorerClick);
    connect(lview, &ReportList::itemSelectionChanged, this, &TForm1::mnuPopupPopup);
    connect(lviewHotlist, &ReportList::itemSelectionChanged, this, &TForm1::mnuPopupHotlistPopup);
    connect(lview, &ReportList::itemDoubleClicked, this, &TForm1::lviewDblClick);
    connect(lviewHotlist, &ReportList::itemDoubleClicked, this, &TForm1::lviewHotlistDblClick);

    EventHook::install(lview->viewport(), this, [this](QObject*, QEvent* event) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            // A drag of our rows enters the main list first, as it starts there.
            if (event->type() == QEvent::DragEnter && drag->source() == lview)
                lviewStartDrag();
            drag->setAccepted(lviewDragOver(drag->source()));
            return true;
        }
        case QEvent::Drop: event->ignore(); return true;
        default: return false;
        }
    });
    EventHook::install(lviewHotlist->viewport(), this, [this](QObject*, QEvent* event) {
        switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            const bool accept = lviewHotlistDragOver(drag->source());
            if (accept)
                drag->setDropAction(Qt::CopyAction); // a move would take the row out of the main list
            drag->setAccepted(accept);
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (lviewHotlistDragOver(drop->source())) {
                drop->setDropAction(Qt::CopyAction);
                drop->accept();
                lviewHotlistDragDrop(drop->source());
            } else {
                drop->ignore();
            }
            return true;
        }
        default: return false;
        }
    });
    const auto keyDown = [](TForm1* form, void (TForm1::*handler)(int, Qt::KeyboardModifiers)) {
        return [form, handler](QObject*, QEvent* event) {
            if (event->type() == QEvent::KeyPress) {
                const auto* key = static_cast<QKeyEvent*>(event);
                (form->*handler)(key->key(), key->modifiers());
            }
            return false;
        };
    };
    EventHook::install(lview, this, keyDown(this, &TForm1::lviewKeyDown));
    EventHook::install(lviewHotlist, this, keyDown(this, &TForm1::lviewHotlistKeyDown));
}

void TForm1::mnuPopupPopup()
{
    const bool enabled = lview->selectedRow() != nullptr;
    for (QAction* item : {mnuPopupRunProject, mnuPopupRunExe, mnuPopupOpenFolder, mnuPopupUpdateItem, mnuPopupAddToHotlist})
        item->setEnabled(enabled);
}

void TForm1::mnuPopupHotlistPopup()
{
    const bool enabled = lviewHotlist->selectedRow() != nullptr;
    for (QAction* item : {mnuPopupHotlistRunProject, mnuPopupHotlistRunExe, mnuPopupHotlistOpenFolder,
                          mnuPopupHotlistUpdateItem, mnuPopupHotlistDeleteItem})
        item->setEnabled(enabled);
}

void TForm1::lviewStartDrag() { lviewMouseDown(); }

bool TForm1::lviewDragOver(QObject*) { return false; }

bool TForm1::lviewHotlistDragOver(QObject* source) { return source == lview; }

void TForm1::lviewHotlistDragDrop(QObject* source)
{
    if (source == lview)
        mnuPopupAddToHotlistClick();
}

void TForm1::mnuPopupAddToHotlistClick()
{
    if (!lview->selectedRow())
        return;
    const QTreeWidgetItem* source = currentProjectRow();
    if (!source)
        return;
    try {
        addToHotlist(*lviewHotlist, projectEntry(*source));
    } catch (const std::exception& error) {
        status->setPanelText(0, platform::errorText(error));
    }
}

void TForm1::mnuPopupHotlistDeleteItemClick()
{
    QTreeWidgetItem* row = lviewHotlist->selectedRow();
    if (!row)
        return;
    delete row;
    // The space bar selects the row that now has the focus, and its release refreshes
    // the file panel for it.
    platform::postKeyStroke(Qt::Key_Space, QStringLiteral(" "));
}

void TForm1::mnuPopupUpdateItemClick()
{
    if (!lviewHotlist->hasFocus())
        updateRow(*lview);
}

void TForm1::mnuPopupHotlistUpdateItemClick()
{
    if (!lview->hasFocus())
        updateRow(*lviewHotlist);
}

void TForm1::updateRow(ReportList& list)
{
    QTreeWidgetItem* row = list.selectedRow();
    if (!row)
        return;
    const catalogue::ProjectUpdate update =
        catalogue::rereadProject(LabelRoot->text(), row->text(2), catalogue::projectFileReader());
    if (!update.found()) {
        platform::dialogs().message(this, update.message);
        return;
    }
    applyProjectUpdate(list, row, update);
}

void TForm1::lviewKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnter(key))
        lviewDblClick();
    else if (key == Qt::Key_Plus)
        // The keypad's plus, Shift+= on a US layout, the plus key of other layouts.
        mnuPopupAddToHotlistClick();
}

void TForm1::lviewHotlistKeyDown(int key, Qt::KeyboardModifiers)
{
    if (isEnter(key))
        lviewHotlistDblClick();
}
