#pragma once
// The options dialog. Created once at start-up, second of the four windows.

#include <QDialog>

class QLineEdit;
class TForm1;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(TForm1& main, QWidget* parent = nullptr);

    // Fills the controls from the settings file.
    void LoadOptions();

    // The root folder with a trailing separator.
    QLineEdit* EditRoot = nullptr;

private:
    TForm1& m_main;
};
