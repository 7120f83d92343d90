#include "launch/LaunchCommands.h"

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
    return {idePath, {projectFile}};
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
