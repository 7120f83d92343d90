#pragma once
// The method jumper. Created once at start-up, last of the four windows; the viewer shows
// it modally, the declaration scanner fills its list, and the main window's close writes
// its bounds and sort state.

#include <QDialog>
#include <QIcon>
#include <QList>

#include <vector>

class IniFile;
class QTreeWidget;
class QTreeWidgetItem;
class IniFile;

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

    // The width of column "地址" and the text it is measured by.
    static constexpr const char* LocationSample = "MLocationM";

    int lviewMJLastSortedColumn = 1;
    bool lviewMJAscending = true;

    QTreeWidget* lview = nullptr;
    QList<QIcon> ImageListForm4; // 0 procedure, 1 function, 2 section marker

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The row that is current and selected when the jumper opens, so that Enter jumps at
    // once: the first row as the list shows it.
    int openingRow() const;
    void selectOpeningRow();
    void sortMethods(int column);
    QTreeWidgetItem* makeRow(const QString& text, int line, int image) const;
    void sortRows(std::vector<QTreeWidgetItem*>& rows, int column) const;

    IniFile& m_settings;
    viewer::MemoAccess* m_target = nullptr;
};
