#include "launch/LaunchCommands.h"

#include "platform/DesktopAssociation.h"
#include "platform/Files.h"

namespace launch {

QString rootWithoutFinalSeparator(const QString& root)
{
    if (root.size() > 1 && root.endsWith(u'/'))
        return root.chopped(1);
    return root;
}

QString folderOf(const QString& path)
{
    return path.left(path.lastIndexOf(u'/') + 1);
}

QString projectFilePath(ListKind list, const QString& editRoot, const QString& labelRoot,
                        const QString& projectPath)
{
    const QString root = list == ListKind::Main ? rootWithoutFinalSeparator(editRoot) : labelRoot;
    return root + projectPath;
}

QString projectFolder(const QString& labelRoot, const QString& projectPath)
{
    return folderOf(labelRoot + projectPath);
}

QString executablePath(const QString& labelRoot, const QString& projectPath, const QString& exeName)
{
    return projectFolder(labelRoot, projectPath) + exeName;
}

platform::CommandLine ideCommand(const QString& idePath, const QString& projectFile)
{
    return {idePath, {projectFile}, folderOf(projectFile)};
}

std::optional<platform::CommandLine> ideCommandFor(const QString& ideText, const QString& projectFile)
{
    if (ideText.trimmed().isEmpty())
        return std::nullopt;
    if (platform::isExecutableFile(ideText))
        return ideCommand(ideText, projectFile);
    auto command = platform::execCommandLine(ideText, projectFile);
    if (!command)
        return std::nullopt;
    const QString program = platform::findProgram(command->program);
    if (program.isEmpty())
        return std::nullopt;
    command->program = program;
    command->workingFolder = folderOf(projectFile);
    return command;
}

std::optional<platform::CommandLine> fileManagerCommand(const QString& fileManager, const QString& optionText,
                                                        const QString& folder)
{
    auto options = platform::splitArguments(optionText);
    if (!options)
        return std::nullopt;
    options->append(folder);
    return platform::CommandLine{fileManager, *options};
}

std::optional<FileManagerStart> projectFolderStart(ListKind list, const QString& fileManager,
                                                   const QString& optionText, const QString& projectFile,
                                                   bool minimizeAll)
{
    QString folder = folderOf(projectFile);
    if (list == ListKind::Main)
        folder = rootWithoutFinalSeparator(folder);
    auto command = fileManagerCommand(fileManager, optionText, folder);
    if (!command)
        return std::nullopt;
    FileManagerStart start;
    start.command = std::move(*command);
    if (minimizeAll) {
        start.waitForIt = true;
        start.show = list == ListKind::Main ? platform::ShowState::Minimized : platform::ShowState::Hidden;
        start.waitMs = list == ListKind::Main ? 3000 : 4000;
    }
    return start;
}

} // namespace launch
