#pragma once
// The method jumper. Created once at start-up, last of the four windows; the main
// window's close writes its bounds and sort state.

#include <QDialog>

class IniFile;
class TForm1;

class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(TForm1& main, QWidget* parent = nullptr);

    // Bounds (only in the normal window state) and the sort state into [form4].
    void writeState(IniFile& ini) const;

    int lviewMJLastSortedColumn = 1;
    bool lviewMJAscending = true;

private:
    TForm1& m_main;
};
