#include "viewer/HelpTopic.h"

#include "settings/ProgramFolder.h"

namespace viewer {

QString helpFilePath()
{
    // Beside the program, or where an installation keeps it.
    const QString installed = program::helpFile();
    return installed.isEmpty() ? program::folder() + QStringLiteral("kbl.hlp") : installed;
}

} // namespace viewer
