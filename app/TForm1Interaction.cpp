// The main window's interaction: which row it follows, when the file panel is refilled,
// the header sorts of the two project lists, the window's own keys, the About and Help
// commands of its system menu and the options button.
#include "app/EventHook.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/TForm1.h"
#include "options/TForm2.h"
#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/Files.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QToolButton>

namespace {

// Marks the main list's current row on the row itself, so the mark follows the row
// through every sort and goes away with it.
constexpr int CurrentRowRole = Qt::UserRole + 20;

// Which list the file panel shows, kept on its header: its caption is translated text.
constexpr int PanelSourceRole = Qt::UserRole + 21;
enum PanelSource { MainList = 1, Hotlist = 2 };

bool isRefreshKey(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space || key == Qt::Key_Up
           || key == Qt::Key_Down;
}

// Key releases and focus arrivals of a list; a held key's repeats are not releases.
EventHook::Handler listEvents(std::function<void(int, Qt::KeyboardModifiers)> keyUp, std::function<void()> enter)
{
    return [keyUp = std::move(keyUp), enter = std::move(enter)](QObject*, QEvent* event) {
        if (event->type() == QEvent::KeyRelease) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (!key->isAutoRepeat())
                keyUp(key->key(), key->modifiers());
        } else if (event->type() == QEvent::FocusIn) {
            enter();
        }
        return false;
    };
}

QTreeWidgetItem* markedRow(const ReportList& list)
{
    // Among all rows: the marked one may be kept aside by a filter.
    for (QTreeWidgetItem* row : list.allRows())
        if (row->data(0, CurrentRowRole).toBool())
            return row;
    return nullptr;
}

void markRow(const ReportList& list, QTreeWidgetItem* row)
{
    if (QTreeWidgetItem* previous = markedRow(list); previous && previous != row)
        previous->setData(0, CurrentRowRole, QVariant());
    if (row)
        row->setData(0, CurrentRowRole, true);
}

void showHelpContents(TForm1& form)
{
    // A help file removed while the program runs counts as none.
    if (form.HelpFile.isEmpty() || !platform::pathExists(form.HelpFile))
        return;
    if (!platform::openHelpContents(form.HelpFile))
        platform::dialogs().message(&form, TForm1::tr("Can't open the help file:") + form.LineBreak + form.HelpFile);
}

} // namespace

void TForm1::connectInteraction()
{
    connect(lview, &ReportList::itemSelectionChanged, this, &TForm1::lviewSelectItem);
    EventHook::install(lview->viewport(), this, [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::MouseButtonPress)
            lviewMouseDown();
        return false;
    });
    EventHook::install(lview, this,
                       listEvents([this](int key, Qt::KeyboardModifiers shift) { lviewKeyUp(key, shift); },
                                  [this] { lviewEnter(); }));
    EventHook::install(lviewHotlist, this,
                       listEvents([this](int key, Qt::KeyboardModifiers shift) { lviewHotlistKeyUp(key, shift); },
                                  [this] { lviewHotlistEnter(); }));
    connect(lview->header(), &QHeaderView::sectionClicked, this, &TForm1::lviewColumnClick);
    connect(lviewHotlist->header(), &QHeaderView::sectionClicked, this, &TForm1::lviewHotlistColumnClick);
    connect(this, &TForm1::extraSystemCommand, this, &TForm1::WMSysCommand);

    // The window sees each key before the control that has the focus. A key the control
    // does not take travels on to its parents; the window looks at it once, at its target.
    EventHook::install(qApp, this, [this](QObject* watched, QEvent* event) {
        if (event->type() != QEvent::KeyPress)
            return false;
        QWidget* target = QApplication::focusWidget();
        if (!target || target->window() != this)
            target = this;
        if (watched != target)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        return FormKeyDown(key->key(), key->modifiers());
    });
}

QTreeWidgetItem* TForm1::currentProjectRow() const { return markedRow(*lview); }

void TForm1::lviewSelectItem()
{
    QTreeWidgetItem* row = lview->selectedRow();
    if (!row)
        return;
    markRow(*lview, row);
    status->setPanelText(1, QString::number(lview->indexOfTopLevelItem(row) + 1));
}

void TForm1::lviewMouseDown() { markRow(*lview, lview->selectedRow()); }

void TForm1::lviewKeyUp(int key, Qt::KeyboardModifiers)
{
    if (isRefreshKey(key))
        lviewClick();
}

void TForm1::lviewHotlistKeyUp(int key, Qt::KeyboardModifiers)
{
    if (isRefreshKey(key))
        lviewHotlistClick();
}

void TForm1::lviewEnter()
{
    lviewFiles->headerItem()->setText(0, tr("Filename (main list)"));
    lviewFiles->headerItem()->setData(0, PanelSourceRole, MainList);
}

void TForm1::lviewHotlistEnter()
{
    lviewFiles->headerItem()->setText(0, tr("Filename (hotlist)"));
    lviewFiles->headerItem()->setData(0, PanelSourceRole, Hotlist);
}

void TForm1::lviewColumnClick(int column)
{
    if (lview->allRowCount() == 0)
        return;
    lviewSort.click(column);
    SortProjectList(*lview, lviewSort);
}

void TForm1::lviewHotlistColumnClick(int column)
{
    if (lviewHotlist->allRowCount() == 0)
        return;
    lviewHotlistSort.click(column);
    SortProjectList(*lviewHotlist, lviewHotlistSort);
}

bool TForm1::FormKeyDown(int key, Qt::KeyboardModifiers shift)
{
    if (key == Qt::Key_Escape) {
        // A typed query goes first; with none, Esc closes the program.
        if (isFiltering() || !EditFilter->text().isEmpty()) {
            clearFilter();
            return true;
        }
        close();
        return true;
    }
    if (key == Qt::Key_F && (shift & Qt::ControlModifier) && !(shift & Qt::AltModifier)) {
        focusFilter();
        return true;
    }
    if (key == Qt::Key_Slash && (lview->hasFocus() || lviewHotlist->hasFocus())) {
        focusFilter();
        return true;
    }
    if (key == Qt::Key_F && (shift & Qt::AltModifier)) {
        mnuSystem->popup(mapToGlobal(QPoint(0, 0)));
        return true;
    }
    if (key == Qt::Key_F1 && !HelpFile.isEmpty()) {
        showHelpContents(*this);
        return true;
    }
    return false;
}

void TForm1::WMSysCommand(int code)
{
    switch (code & 0xFFF0) {
    case SystemMenuAbout: {
        // Which folders hold the settings and lists: beside the program, or the user's own.
        QString where = tr("Settings: ") + Locations.settingsFile();
        if (Locations.dataFolder != Locations.settingsFolder)
            where += LineBreak + tr("Lists: ") + Locations.dataFolder;
        platform::dialogs().box(this,
                                QStringLiteral("Kestrabel v1.2") + LineBreak
                                    + tr("Delphi projects under one folder: list, launch, view.") + LineBreak
                                    + LineBreak + where,
                                tr(" About") + TitleText, platform::BoxIcon::Question);
        break;
    }
    case SystemMenuHelp: showHelpContents(*this); break;
    default: break;
    }
}

void TForm1::SButOptionsClick()
{
    if (!Form2)
        return;
    Form2->lbox->clear(); // LoadOptions appends the stored exclusions
    Form2->LoadOptions();
    Form2->exec(); // its answer does not matter: OK and cancel both refresh the panel
    lviewFiles->viewport()->update();
    const int source = lviewFiles->headerItem()->data(0, PanelSourceRole).toInt();
    if (source == MainList)
        lviewClick();
    else if (source == Hotlist)
        lviewHotlistClick();
}
