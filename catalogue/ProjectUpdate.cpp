#include "catalogue/ProjectUpdate.h"

#include "catalogue/ProjectSource.h"
#include "catalogue/FilePanel.h"

#include "platform/Files.h"
#include "platform/Wildcard.h"

#include <QCoreApplication>

#include <algorithm>

namespace catalogue {

ProjectReader projectFileReader()
{
    return {[](const QString& file) { return ReadProjectTexts(file).applicationName; },
            [](const QString& file) { return ReadProjectTexts(file).executableName; }};
}

ProjectUpdate rereadProject(const QString& labelRoot, const QString& projectPath, const ProjectReader& reader)
{
    ProjectUpdate update;
    const QString folder = filepanel::folderOf(labelRoot + projectPath);
    if (!platform::isFolder(folder)) {
        update.message = QCoreApplication::translate("ProjectUpdate", "Can't find folder:") + QStringLiteral("\r\n") + folder;
        return update;
    }
    // Folders named like a project file are no projects, so only files count. A Lazarus
    // row is read again from the folder's Lazarus project.
    const platform::WildcardMask projects(isLazarusProject(projectPath) ? u"*.lpi" : u"*.dpr");
    const auto entries = platform::listFolder(folder).value_or(std::vector<platform::FolderEntry>{});
    const auto project = std::find_if(entries.begin(), entries.end(), [&](const platform::FolderEntry& entry) {
        return entry.kind == platform::FileKind::File && projects.matches(QStringView(entry.name));
    });
    if (project == entries.end()) {
        update.message = QCoreApplication::translate("ProjectUpdate", "No project found in folder.");
        return update;
    }
    const QString projectFile = folder + project->name;
    update.applicationName = reader.applicationName(projectFile);
    update.executableName = reader.executableName(projectFile);
    update.projectPath = projectFile.mid(labelRoot.size());
    return update;
}

} // namespace catalogue
