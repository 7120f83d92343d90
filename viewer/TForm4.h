#pragma once
// The method jumper. Created once at start-up, last of the four windows; the viewer shows
// it modally, the declaration scanner fills its list, and the main window's close writes
// its bounds and sort state.

#include "catalogue/ProjectFilter.h"

#include <QDialog>
#include <QIcon>
#include <QList>

#include <vector>

class IniFile;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace viewer {
class MemoAccess;
struct MethodEntry;
} // namespace viewer

class TForm4 : public QDialog {
    Q_OBJECT
public:
    // Reads its geometry and sort state from `settings` at creation.
    explicit TForm4(IniFile& settings, QWidget* parent = nullptr);

    // Bounds (only in the normal window state) and the sort state into [form4].
    void writeState(IniFile& ini) const;

    // The list as the scanner fills it.
    void clearMethods();
    void addMethod(const QString& text, int line, int image);
    // Replaces the rows with `entries`, in the list's current sort order.
    void setMethods(const std::vector<viewer::MethodEntry>& entries);
    int methodCount() const;
    // Sorts by the last sorted column in the current direction, changing neither.
    void resortMethods();

    // The view that a jump moves; the viewer sets it before showing the jumper.
    void setJumpTarget(viewer::MemoAccess* target) { m_target = target; }

    // Handlers.
    void FormResize();
    void FormKeyDown(QKeyEvent* event);
    void lviewColumnClick(int column);
    void lviewKeyDown(QKeyEvent* event);
    void lviewMouseUp(Qt::MouseButton button);
    void JumpToEntry(Qt::MouseButton button);
    void ShowJumperHelp();

    // The filter field over the list (TForm4Filter.cpp): typing narrows the rows to those
    // that match, best first; emptying it shows the list's own order again. It starts
    // empty at each opening and with each new list.
    void EditFilterChange();
    bool EditFilterKeyDown(QKeyEvent* event); // true when the key was used
    void focusFilter();
    bool isFiltering() const { return m_filtering; }
    const catalogue::FilterQuery& filterQuery() const { return m_query; }
    // The rows the query leaves, all rows without one.
    int shownMethodCount() const;

    // The width of column "地址" and the text it is measured by.
    static constexpr const char* LocationSample = "MLocationM";

    int lviewMJLastSortedColumn = 1;
    bool lviewMJAscending = true;

    QLineEdit* EditFilter = nullptr;
    QTreeWidget* lview = nullptr;
    QList<QIcon> ImageListForm4; // 0 procedure, 1 function, 2 section marker

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row that is current and selected when the jumper opens, so that Enter jumps at
    // once: the entry whose line holds or precedes the viewer's caret, else the first row
    // as the list shows it.
    int openingRow() const;
    void selectOpeningRow();
    void sortMethods(int column);
    QTreeWidgetItem* makeRow(const QString& text, int line, int image) const;
    void sortRows(std::vector<QTreeWidgetItem*>& rows, int column) const;

    void buildFilter();
    // Empties the field and the filter's state without filtering (a new list, an opening).
    void resetFilter();
    // The rows in the list's own order, whatever the filter shows.
    std::vector<QTreeWidgetItem*> ownOrder() const;
    // Puts `rows` into the list, the first `shown` of them visible.
    void setListOrder(const std::vector<QTreeWidgetItem*>& rows, size_t shown);
    void selectRow(QTreeWidgetItem* row);

    IniFile& m_settings;
    viewer::MemoAccess* m_target = nullptr;

    catalogue::FilterQuery m_query;
    catalogue::ProjectFilter m_filter;
    bool m_filtering = false;
    bool m_filterPrepared = false;
    std::vector<QTreeWidgetItem*> m_ownOrder; // while filtering: every row, in the list's order
    size_t m_shownCount = 0;
};
