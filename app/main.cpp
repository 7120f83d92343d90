#include "app/KestrabelApplication.h"
#include "app/ProgramWindows.h"
#include "platform/Dialogs.h"

#include <QIcon>

int main(int argc, char** argv)
{
    KestrabelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrabel"));
    platform::setApplicationTitle(QStringLiteral("Kestrabel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/kestrabel-48.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrabel"));
    ProgramWindows windows = createProgramWindows();
    // Closing the main window ends the program, even while the viewer is open.
    QObject::connect(windows.form1.get(), &TForm1::closed, &app, &QCoreApplication::quit);
    return app.exec();
}
