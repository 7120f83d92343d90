#include "viewer/TForm4.h"

#include "platform/Dialogs.h"
#include "platform/Help.h"
#include "platform/SystemMetrics.h"
#include "viewer/DeclarationScanner.h"
#include "viewer/HelpTopic.h"
#include "viewer/MatchPaint.h"
#include "viewer/MethodImages.h"
#include "viewer/MethodList.h"
#include "settings/IniFile.h"

#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <vector>

namespace {

constexpr int JumperHelpTopic = 6;

// Draws the grid of a report list: a line under each row and between the columns; the
// characters a typed filter matched in bold.
class GridLineDelegate : public QStyledItemDelegate {
public:
    GridLineDelegate(const catalogue::FilterQuery& query, QObject* parent) : QStyledItemDelegate(parent), m_query(query) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        std::vector<int> bold;
        QStyleOptionViewItem cell = option;
        if (index.column() == 0 && !m_query.isEmpty()) {
            initStyleOption(&cell, index);
            bold = catalogue::matchedCharacters(cell.text, m_query);
        }
        if (bold.empty())
            QStyledItemDelegate::paint(painter, option, index);
        else
            viewer::drawMatchedCell(*painter, cell, bold);
        painter->save();
        painter->setPen(option.palette.color(QPalette::Midlight));
        const QRect r = option.rect;
        painter->drawLine(r.bottomLeft(), r.bottomRight());
        painter->drawLine(r.topRight(), r.bottomRight());
        painter->restore();
    }

private:
    const catalogue::FilterQuery& m_query;
};

// A row of the list: its name, line and image, fixed when it is made and answered when
// the view asks for them.
// Thousands of rows come in at once; storing each value as the base item does costs
// more than the scan that found them.
class MethodRow final : public QTreeWidgetItem {
public:
    MethodRow(const QString& text, int line, const QIcon* icon)
        : m_text(text), m_line(QString::number(line)), m_icon(icon ? *icon : QIcon()), m_hasIcon(icon != nullptr)
    {
    }
    QVariant data(int column, int role) const override
    {
        const bool shown = role == Qt::DisplayRole || role == Qt::EditRole;
        if (column == 0 && shown)
            return m_text;
        if (column == 0 && role == Qt::DecorationRole && m_hasIcon)
            return m_icon;
        if (column == 1 && shown)
            return m_line;
        if (column == 1 && role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return QTreeWidgetItem::data(column, role);
    }

private:
    QString m_text;
    QString m_line;
    QIcon m_icon;
    bool m_hasIcon;
};

void processPendingMessages(int times)
{
    for (int i = 0; i < times; ++i)
        QApplication::processEvents();
}

} // namespace

TForm4::TForm4(IniFile& settings, QWidget* parent) : QDialog(parent), m_settings(settings)
{
    setObjectName(QStringLiteral("TForm4"));
    setWindowTitle(tr("方法跳躍器"));

    ImageListForm4 = viewer::methodImages();
    lview = new QTreeWidget(this);
    lview->setObjectName(QStringLiteral("lview"));
    lview->setColumnCount(2);
    lview->setHeaderLabels({tr("方法"), tr("地址")});
    lview->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    lview->setRootIsDecorated(false);
    lview->setItemsExpandable(false);
    lview->setUniformRowHeights(true);
    lview->setSelectionMode(QAbstractItemView::SingleSelection);
    lview->setSelectionBehavior(QAbstractItemView::SelectRows);
    lview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lview->setAllColumnsShowFocus(true);
    lview->setSortingEnabled(false);
    lview->setIconSize(QSize(16, 16));
    lview->setItemDelegate(new GridLineDelegate(m_query, lview));
    lview->header()->setSectionsClickable(true);
    lview->header()->setStretchLastSection(false);
    lview->header()->setSectionsMovable(false);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(lview);
    buildFilter();

    connect(lview->header(), &QHeaderView::sectionClicked, this, &TForm4::lviewColumnClick);
    lview->installEventFilter(this);
    lview->viewport()->installEventFilter(this);

    // FormCreate: bounds and sort state; the list is not sorted here.
    IniFile& ini = m_settings;
    namespace f4 = settings::form4;
    move(ini.read(f4::left), ini.read(f4::top));
    resize(ini.read(f4::width), ini.read(f4::height));
    lviewMJAscending = ini.read(f4::lviewMJAscending);
    lviewMJLastSortedColumn = ini.read(f4::lviewMJLastSortedColumn);
    FormResize();
}

void TForm4::writeState(IniFile& ini) const
{
    namespace f4 = settings::form4;
    if (!isMaximized() && !isMinimized()) {
        ini.write(f4::left, x());
        ini.write(f4::top, y());
        ini.write(f4::width, width());
        ini.write(f4::height, height());
    }
    ini.write(f4::lviewMJAscending, lviewMJAscending);
    ini.write(f4::lviewMJLastSortedColumn, lviewMJLastSortedColumn);
}

void TForm4::clearMethods()
{
    resetFilter();
    lview->clear();
}

QTreeWidgetItem* TForm4::makeRow(const QString& text, int line, int image) const
{
    return new MethodRow(text, line, image >= 0 && image < ImageListForm4.size() ? &ImageListForm4[image] : nullptr);
}

void TForm4::addMethod(const QString& text, int line, int image)
{
    QTreeWidgetItem* const row = makeRow(text, line, image);
    lview->addTopLevelItem(row);
    if (m_filtering) {
        m_ownOrder.push_back(row);
        m_filterPrepared = false;
        EditFilterChange();
    }
}

void TForm4::setMethods(const std::vector<viewer::MethodEntry>& entries)
{
    // Sorted before they become rows, on their own values rather than the rows' texts;
    // then one insertion.
    clearMethods();
    std::vector<const viewer::MethodEntry*> order;
    order.reserve(entries.size());
    for (const viewer::MethodEntry& e : entries)
        order.push_back(&e);
    const int column = lviewMJLastSortedColumn;
    const bool ascending = lviewMJAscending;
    std::stable_sort(order.begin(), order.end(), [column, ascending](const auto* a, const auto* b) {
        return viewer::CompareMethodEntries(*a, *b, column, ascending) < 0;
    });
    QList<QTreeWidgetItem*> rows;
    rows.reserve(qsizetype(order.size()));
    for (const viewer::MethodEntry* e : order)
        rows.push_back(makeRow(e->text, e->line, e->image));
    lview->insertTopLevelItems(0, rows);
}

int TForm4::methodCount() const { return lview->topLevelItemCount(); }

void TForm4::resortMethods() { sortMethods(lviewMJLastSortedColumn); }

void TForm4::sortMethods(int column)
{
    // The header shows the column and direction of the sort.
    lview->header()->setSortIndicatorShown(column == 0 || column == 1);
    lview->header()->setSortIndicator(column, lviewMJAscending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (methodCount() < 2)
        return;
    if (m_filtering) {
        // The list's own order changes; the filter ranks again, its ties in that order.
        sortRows(m_ownOrder, column);
        m_filterPrepared = false;
        EditFilterChange();
        return;
    }
    QTreeWidgetItem* const selected = lview->currentItem();
    std::vector<QTreeWidgetItem*> rows;
    rows.reserve(size_t(methodCount()));
    while (lview->topLevelItemCount() > 0)
        rows.push_back(lview->takeTopLevelItem(lview->topLevelItemCount() - 1));
    std::reverse(rows.begin(), rows.end());
    sortRows(rows, column);
    lview->insertTopLevelItems(0, QList<QTreeWidgetItem*>(rows.begin(), rows.end()));
    if (selected)
        lview->setCurrentItem(selected);
}

void TForm4::sortRows(std::vector<QTreeWidgetItem*>& rows, int column) const
{
    const bool ascending = lviewMJAscending;
    std::stable_sort(rows.begin(), rows.end(), [column, ascending](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return viewer::CompareMethodItems(*a, *b, column, ascending) < 0;
    });
}

void TForm4::FormResize()
{
    const int w = fontMetrics().horizontalAdvance(QLatin1String(LocationSample));
    lview->setColumnWidth(1, w);
    lview->setColumnWidth(0, lview->width() - 2 * platform::verticalScrollBarWidth() - w);
}

void TForm4::lviewColumnClick(int column)
{
    if (methodCount() == 0)
        return;
    if (column == lviewMJLastSortedColumn)
        lviewMJAscending = !lviewMJAscending;
    else
        lviewMJLastSortedColumn = column;
    sortMethods(column);
}

void TForm4::JumpToEntry(Qt::MouseButton button)
{
    QTreeWidgetItem* const row = lview->currentItem();
    if (methodCount() == 0 || !row || !row->isSelected())
        return;
    if (button == Qt::LeftButton) {
        const int line = row->text(1).toInt();
        done(QDialog::Accepted);
        processPendingMessages(3);
        if (m_target)
            viewer::jumpToLine(*m_target, line);
        processPendingMessages(1);
    } else if (button == Qt::RightButton) {
        done(QDialog::Accepted);
    }
    processPendingMessages(1);
}

void TForm4::lviewMouseUp(Qt::MouseButton button) { JumpToEntry(button); }

void TForm4::lviewKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) {
        JumpToEntry(Qt::LeftButton);
        event->accept();
    } else if (event->key() == Qt::Key_Slash && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        focusFilter();
        event->accept();
    }
}

void TForm4::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        done(QDialog::Accepted);
        event->accept();
    } else if (event->key() == Qt::Key_F1) {
        ShowJumperHelp();
        event->accept();
    } else if (event->key() == Qt::Key_F && (event->modifiers() & Qt::ControlModifier)) {
        focusFilter();
        event->accept();
    }
}

void TForm4::ShowJumperHelp()
{
    const QString path = viewer::helpFilePath();
    if (QFileInfo::exists(path)) {
        platform::openHelpTopic(path, JumperHelpTopic);
        return;
    }
    platform::dialogs().box(this, tr("The help file is missing:") + QStringLiteral("\r\n") + path + QStringLiteral("  "),
                            tr(" Can't find help file"), platform::BoxIcon::Warning);
}

void TForm4::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

int TForm4::openingRow() const
{
    if (!m_target)
        return 0;
    const int caret = m_target->SelPar();
    int best = -1, bestLine = -1;
    for (int i = 0; i < lview->topLevelItemCount(); ++i) {
        const int line = lview->topLevelItem(i)->text(1).toInt();
        if (line <= caret && line > bestLine) {
            best = i;
            bestLine = line;
        }
    }
    return best >= 0 ? best : 0;
}

void TForm4::selectOpeningRow()
{
    QTreeWidgetItem* const row = lview->topLevelItem(openingRow());
    if (!row)
        return;
    lview->setCurrentItem(row);
    row->setSelected(true);
    lview->scrollToItem(row);
}

void TForm4::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    // Each opening shows the whole list, so that the current entry is there to select.
    if (!EditFilter->text().isEmpty())
        EditFilter->clear();
    selectOpeningRow();
    lview->setFocus();
}

void TForm4::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    FormKeyDown(event);
    if (!event->isAccepted())
        QDialog::keyPressEvent(event);
}

bool TForm4::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lview && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        // The window sees the keys before the list.
        key->ignore();
        FormKeyDown(key);
        if (!key->isAccepted())
            lviewKeyDown(key);
        return key->isAccepted();
    }
    if (watched == EditFilter && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (EditFilterKeyDown(key))
            return true;
        key->ignore();
        FormKeyDown(key);
        return key->isAccepted();
    }
    if (watched == lview->viewport() && event->type() == QEvent::MouseButtonRelease) {
        // The press has already selected the row under the mouse.
        lviewMouseUp(static_cast<QMouseEvent*>(event)->button());
        return false;
    }
    return QDialog::eventFilter(watched, event);
}
