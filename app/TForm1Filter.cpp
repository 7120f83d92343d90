// The main window's filter field: typing narrows the main list and the hotlist to the
// rows that match, best first; emptying it shows both lists in their own order again.
// The keys that reach it from the lists (Ctrl+F, "/", Esc) are the window's
// (TForm1Interaction.cpp); Down and Enter in the field move into a list.
#include "app/TForm1.h"

#include "app/EventHook.h"
#include "app/ListFilter.h"
#include "app/ProjectListDelegate.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QVBoxLayout>

void TForm1::buildFilter()
{
    EditFilter = new QLineEdit(PanelLeft);
    EditFilter->setObjectName(QStringLiteral("EditFilter"));
    EditFilter->setPlaceholderText(tr("篩選專案 (Ctrl+F, /)"));
    EditFilter->setToolTip(tr(" 輸入幾個字母篩選主列表和熱門列表 (Esc 清除, ↓ 到列表)"));
    EditFilter->setClearButtonEnabled(true);
    static_cast<QVBoxLayout*>(PanelLeft->layout())->insertWidget(0, EditFilter);

    m_lviewFilter = std::make_unique<ListFilter>(*lview);
    m_lviewHotlistFilter = std::make_unique<ListFilter>(*lviewHotlist);
    lview->setItemDelegate(new ProjectListDelegate([this] { return &m_lviewFilter->query(); }, lview));
    lviewHotlist->setItemDelegate(
        new ProjectListDelegate([this] { return &m_lviewHotlistFilter->query(); }, lviewHotlist));
    // Rows that arrive or go while a query is typed change the count.
    connect(m_lviewFilter.get(), &ListFilter::applied, this, &TForm1::showFilterCount);

    m_filterLater = new QTimer(this);
    m_filterLater->setSingleShot(true);
    m_filterLater->setInterval(0);
    connect(m_filterLater, &QTimer::timeout, this, &TForm1::EditFilterChange);
    connect(EditFilter, &QLineEdit::textChanged, m_filterLater, qOverload<>(&QTimer::start));

    EventHook::install(EditFilter, this, [this](QObject*, QEvent* event) {
        if (event->type() == QEvent::FocusIn) {
            // The rows are folded for matching before the first letter arrives.
            m_lviewFilter->prepare();
            m_lviewHotlistFilter->prepare();
        } else if (event->type() == QEvent::FocusOut) {
            // Nothing is kept for a filter that is not in use.
            m_lviewFilter->release();
            m_lviewHotlistFilter->release();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            return EditFilterKeyDown(key->key(), key->modifiers());
        }
        return false;
    });
}

void TForm1::EditFilterChange()
{
    m_filterLater->stop();
    const catalogue::FilterQuery query(EditFilter->text());
    m_lviewFilter->setQuery(query);
    m_lviewHotlistFilter->setQuery(query);
    showFilterCount();
    lview->viewport()->update();
    lviewHotlist->viewport()->update();
    emit filtered();
}

bool TForm1::EditFilterKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key != Qt::Key_Down && key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    if (m_filterLater->isActive())
        EditFilterChange();
    // Into the main list, or the hotlist when only it has rows to offer; on its best row
    // while a query is typed, and the file panel follows it as after a click.
    ReportList* list = (lview->rowCount() > 0 || lviewHotlist->rowCount() == 0) ? lview : lviewHotlist;
    list->setFocus();
    if (list->rowCount() > 0 && (isFiltering() || !list->selectedRow()))
        list->selectRow(list->row(0));
    if (list == lview)
        lviewClick();
    else
        lviewHotlistClick();
    return true;
}

void TForm1::focusFilter()
{
    EditFilter->setFocus(Qt::ShortcutFocusReason);
    EditFilter->selectAll();
}

void TForm1::clearFilter()
{
    EditFilter->clear();
    EditFilterChange();
}

bool TForm1::isFiltering() const { return m_lviewFilter && m_lviewFilter->isActive(); }

void TForm1::showProjectCount()
{
    const QString count = QString::number(lview->allRowCount()) + QStringLiteral(" prjcts");
    if (m_filterCountShown) {
        m_countBeforeFilter = count;
        showFilterCount();
    } else {
        status->setPanelText(2, count);
    }
}

void TForm1::showFilterCount()
{
    if (isFiltering()) {
        if (!m_filterCountShown) {
            m_countBeforeFilter = status->panelText(2);
            m_filterCountShown = true;
        }
        status->setPanelText(2, QString::number(m_lviewFilter->shownCount()) + QStringLiteral(" / ")
                                    + QString::number(lview->allRowCount()));
    } else if (m_filterCountShown) {
        m_filterCountShown = false;
        // The count as it was, unless rows came or went meanwhile.
        status->setPanelText(2, m_countBeforeFilter.isEmpty()
                                    ? QString()
                                    : QString::number(lview->allRowCount()) + QStringLiteral(" prjcts"));
    }
}
