#pragma once
// The file viewer. Created once at start-up, third of the four windows; closing it only
// hides it.

#include <QWidget>

class TForm1;

class TForm3 : public QWidget {
    Q_OBJECT
public:
    explicit TForm3(TForm1& main, QWidget* parent = nullptr);

private:
    TForm1& m_main;
};
