// Test programs share this main: widget tests need a QApplication, and no test may open
// a real dialog, so the scripted dialogs are installed before any test runs.
#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    platform::setDialogs(std::make_unique<kbltest::ScriptedDialogs>());
    return RUN_ALL_TESTS();
}
