#include "viewer/HelpTopic.h"

#include "settings/ProgramFolder.h"

namespace viewer {

QString helpFilePath()
{
    QString folder = program::folder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("kbl.hlp");
}

} // namespace viewer
