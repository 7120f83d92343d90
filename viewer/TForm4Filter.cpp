// The method jumper's filter field: typing narrows the list to the entries that match,
// best first (ties in the list's own order), with the matched characters drawn bold;
// Enter jumps to the first entry left, Down moves into the list, Esc empties the field
// (and closes the jumper when it is empty already).
#include "viewer/TForm4.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>
#include <QVBoxLayout>

void TForm4::buildFilter()
{
    EditFilter = new QLineEdit(this);
    EditFilter->setObjectName(QStringLiteral("EditFilter"));
    EditFilter->setPlaceholderText(tr("篩選方法 (Ctrl+F, /)"));
    EditFilter->setToolTip(tr("輸入幾個字母篩選列表 (Enter 跳到第一個, Esc 清除, ↓ 到列表)"));
    EditFilter->setClearButtonEnabled(true);
    static_cast<QVBoxLayout*>(layout())->insertWidget(0, EditFilter);
    connect(EditFilter, &QLineEdit::textChanged, this, &TForm4::EditFilterChange);
    EditFilter->installEventFilter(this);
}

void TForm4::resetFilter()
{
    m_query = {};
    m_filtering = false;
    m_filterPrepared = false;
    m_ownOrder.clear();
    m_filter.setCandidates({});
    if (EditFilter) {
        const QSignalBlocker quiet(EditFilter);
        EditFilter->clear();
    }
}

std::vector<QTreeWidgetItem*> TForm4::ownOrder() const
{
    if (m_filtering)
        return m_ownOrder;
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(size_t(lview->topLevelItemCount()));
    for (int i = 0; i < lview->topLevelItemCount(); ++i)
        rows.push_back(lview->topLevelItem(i));
    return rows;
}

void TForm4::setListOrder(const std::vector<QTreeWidgetItem*>& rows, size_t shown)
{
    (void)lview->invisibleRootItem()->takeChildren();
    lview->insertTopLevelItems(0, QList<QTreeWidgetItem*>(rows.begin(), rows.end()));
    for (size_t i = 0; i < rows.size(); ++i)
        rows[i]->setHidden(i >= shown);
}

void TForm4::selectRow(QTreeWidgetItem* row)
{
    lview->clearSelection();
    if (!row) {
        lview->setCurrentItem(nullptr);
        return;
    }
    lview->setCurrentItem(row);
    row->setSelected(true);
    lview->scrollToItem(row);
}

void TForm4::EditFilterChange()
{
    m_query = catalogue::FilterQuery(EditFilter->text());
    if (m_query.isEmpty()) {
        if (m_filtering) {
            QTreeWidgetItem* const current = lview->currentItem();
            const std::vector<QTreeWidgetItem*> rows = std::move(m_ownOrder);
            m_filtering = false;
            m_ownOrder.clear();
            setListOrder(rows, rows.size());
            selectRow(current);
        }
        lview->viewport()->update();
        return;
    }
    if (!m_filtering) {
        m_ownOrder = ownOrder();
        m_filtering = true;
        m_filterPrepared = false;
    }
    if (!m_filterPrepared) {
        std::vector<catalogue::ProjectFilter::Candidate> candidates;
        candidates.reserve(m_ownOrder.size());
        for (const QTreeWidgetItem* row : m_ownOrder)
            candidates.push_back(catalogue::ProjectFilter::prepare({row->text(0)}, 0));
        m_filter.setCandidates(std::move(candidates));
        m_filterPrepared = true;
    }
    const std::vector<int>& ranked = m_filter.rank(m_query);
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(m_ownOrder.size());
    std::vector<bool> taken(m_ownOrder.size(), false);
    for (const int index : ranked) {
        rows.push_back(m_ownOrder[size_t(index)]);
        taken[size_t(index)] = true;
    }
    for (size_t i = 0; i < m_ownOrder.size(); ++i)
        if (!taken[i])
            rows.push_back(m_ownOrder[i]);
    m_shownCount = ranked.size();
    setListOrder(rows, m_shownCount);
    // The best entry is the one Enter jumps to.
    selectRow(m_shownCount > 0 ? rows.front() : nullptr);
    lview->viewport()->update();
}

int TForm4::shownMethodCount() const { return m_filtering ? int(m_shownCount) : methodCount(); }

bool TForm4::EditFilterKeyDown(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Escape:
        if (EditFilter->text().isEmpty())
            return false; // the window's: it closes
        EditFilter->clear();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (shownMethodCount() > 0) {
            selectRow(lview->topLevelItem(0));
            JumpToEntry(Qt::LeftButton);
        }
        return true;
    case Qt::Key_Down:
        lview->setFocus();
        if (!lview->currentItem() && shownMethodCount() > 0)
            selectRow(lview->topLevelItem(0));
        return true;
    default: return false;
    }
}

void TForm4::focusFilter()
{
    EditFilter->setFocus(Qt::ShortcutFocusReason);
    EditFilter->selectAll();
}
