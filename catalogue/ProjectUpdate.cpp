#include "catalogue/ProjectUpdate.h"

#include "catalogue/ProjectSource.h"
#include "launch/LaunchCommands.h"

#include <QDirIterator>
#include <QFileInfo>

namespace catalogue {

ProjectReader projectFileReader() { return {&ReadApplicationName, &FindExecutableName}; }

ProjectUpdate rereadProject(const QString& labelRoot, const QString& projectPath, const ProjectReader& reader)
{
    ProjectUpdate update;
    const QString folder = launch::projectFolder(labelRoot, projectPath);
    if (!QFileInfo(folder).isDir()) {
        update.message = QStringLiteral("Can't find folder:\r\n") + folder;
        return update;
    }
    // Folders named like a project file are no projects, so only files count.
    QDirIterator it(folder, {QStringLiteral("*.dpr")}, QDir::Files | QDir::Hidden);
    if (!it.hasNext()) {
        update.message = QStringLiteral("No project found in folder.");
        return update;
    }
    const QString projectFile = folder + QFileInfo(it.next()).fileName();
    update.applicationName = reader.applicationName(projectFile);
    update.executableName = reader.executableName(projectFile);
    update.projectPath = projectFile.mid(labelRoot.size());
    return update;
}

} // namespace catalogue
