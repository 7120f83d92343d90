#include "app/KestrabelApplication.h"
#include "app/Language.h"
#include "app/ProgramWindows.h"
#include "platform/Dialogs.h"
#include "settings/IniFile.h"
#include "settings/ProgramFolder.h"

#include <QIcon>
#include <QLocale>

int main(int argc, char** argv)
{
    KestrabelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrabel"));
    platform::setApplicationTitle(QStringLiteral("Kestrabel"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/desktop/kestrabel-48.png")));
    QGuiApplication::setDesktopFileName(QStringLiteral("kestrabel"));
    // The language is chosen before any window exists; a change takes effect at the next start.
    const IniFile settings(program::locate().settingsFile());
    language::install(language::chosen(settings.read(settings::options::language), QLocale::system().uiLanguages()));
    ProgramWindows windows = createProgramWindows();
    // Closing the main window ends the program, even while the viewer is open.
    QObject::connect(windows.form1.get(), &TForm1::closed, &app, &QCoreApplication::quit);
    return app.exec();
}
