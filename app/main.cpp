#include "app/KestrabelApplication.h"
#include "app/ProgramWindows.h"
#include "platform/Dialogs.h"

int main(int argc, char** argv)
{
    KestrabelApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Kestrabel"));
    platform::setApplicationTitle(QStringLiteral("Kestrabel"));
    ProgramWindows windows = createProgramWindows();
    return app.exec();
}
