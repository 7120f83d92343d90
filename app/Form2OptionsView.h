#pragma once
// The options dialog as the launch actions read it: its controls as they stand.

#include "launch/ProjectLaunch.h"

class TForm1;

class Form2OptionsView final : public launch::OptionsView {
public:
    // Reads the main window's options dialog; while there is none (the windows are still
    // being created) the settings file stands in for it.
    explicit Form2OptionsView(TForm1& main);

    launch::LaunchOptions launchOptions() const override;
    int doubleClickAction() const override;
    QString rootField() const override;

private:
    TForm1& m_main;
};
