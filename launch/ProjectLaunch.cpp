#include "launch/ProjectLaunch.h"

#include "launch/AssociatedExe.h"
#include "platform/DesktopAssociation.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ShowDesktop.h"

#include <QApplication>
#include <QWidget>

namespace launch {

namespace {

const QString LineBreak = QStringLiteral("\r\n");


void reportUnbalancedOption(QWidget* owner, const QString& optionText)
{
    platform::dialogs().message(owner, QCoreApplication::translate("ProjectLaunch", "The file manager's command-line option has an unmatched double quote:")
                                           + LineBreak + optionText);
}

void showProjectFolder(QWidget* owner, const ProjectRow& row, const QString& projectFile, const LaunchOptions& options)
{
    const auto start = projectFolderStart(row.list, options.fileManager, options.fmCommandLineOption, projectFile,
                                          options.minimizeAllWhenRunProject);
    if (!start) {
        reportUnbalancedOption(owner, options.fmCommandLineOption);
        return;
    }
    if (start->waitForIt)
        ExecuteAndWait(start->command, start->show, start->waitMs);
    else
        platform::startDetached(start->command, start->show); // a failure shows nothing
}

} // namespace

std::optional<platform::CommandLine> findIde(QWidget* owner, IdePathSetting& setting, const QString& projectFile)
{
    // A candidate counts only when a program can be started from it: a folder, a missing
    // file or a file without the execute bit would make the launch fail without a word.
    if (auto associated = platform::associatedCommandLine(projectFile)) {
        associated->workingFolder = folderOf(projectFile);
        return associated;
    }
    if (auto stored = ideCommandFor(setting.read(), projectFile))
        return stored;
    const QString typed = platform::dialogs()
                              .input(owner, QCoreApplication::translate("ProjectLaunch", "Enter path to delphi32.exe"),
                                     QCoreApplication::translate("ProjectLaunch", "Can't find the Delphi executable. Please enter path:"), QString())
                              .value_or(QString());
    auto command = ideCommandFor(typed, projectFile);
    if (!command) {
        platform::dialogs().box(owner, QCoreApplication::translate("ProjectLaunch", "Please try again."), QCoreApplication::translate("ProjectLaunch", "Wrong path"),
                                platform::BoxIcon::Warning);
        return std::nullopt;
    }
    setting.write(typed);
    return command;
}

void runProject(QWidget* owner, const ProjectRow& row, const LaunchOptions& options, IdePathSetting& setting)
{
    const QString projectFile = projectFilePath(row.list, row.editRoot, row.labelRoot, row.projectPath);
    const auto ide = findIde(owner, setting, projectFile);
    if (!ide)
        return;
    if (!platform::isExistingFile(projectFile)) {
        platform::dialogs().message(owner, QCoreApplication::translate("ProjectLaunch", "Can't find %1").arg(projectFile));
        return;
    }
    if (options.minProject)
        minimizeApplication();
    if (options.showProjFolderInFM && !platform::findProgram(options.fileManager).isEmpty())
        showProjectFolder(owner, row, projectFile, options);
    QCoreApplication::processEvents();
    if (options.minimizeAllWhenRunProject)
        MinimizeAllWindows();
    QCoreApplication::processEvents();
    platform::startDetached(*ide); // a failure shows nothing
}

void runExe(QWidget* owner, const ProjectRow& row, const LaunchOptions& options)
{
    if (row.exeName.isEmpty())
        return;
    const QString path = executablePath(row.labelRoot, row.projectPath, row.exeName);
    if (!platform::isExistingFile(path)) {
        platform::dialogs().message(owner, QCoreApplication::translate("ProjectLaunch", "Can't find %1").arg(path));
        return;
    }
    // A program starts in its own folder, where it finds the files it ships with.
    const QString folder = folderOf(path);
    const platform::StartResult result = platform::isExecutableFile(path)
                                             ? platform::startDetached({path, {}, folder}, platform::ShowState::Normal)
                                             : platform::openDocument(path, folder);
    if (!result)
        platform::dialogs().box(owner, result.errorText, QCoreApplication::translate("ProjectLaunch", "Unsuccessful"), platform::BoxIcon::Warning);
    if (options.minExe)
        minimizeApplication();
}

void openFolder(QWidget* owner, const ProjectRow& row, const LaunchOptions& options)
{
    const QString folder = projectFolder(row.labelRoot, row.projectPath);
    if (!platform::isFolder(folder)) {
        platform::dialogs().box(owner, QCoreApplication::translate("ProjectLaunch", "Please rescan your Delphi projects."),
                                QCoreApplication::translate("ProjectLaunch", "Folder not found"), platform::BoxIcon::Warning);
        return;
    }
    if (platform::findProgram(options.fileManager).isEmpty()) {
        platform::dialogs().message(owner, QCoreApplication::translate("ProjectLaunch", "Can't find filemanager:") + LineBreak + options.fileManager);
        return;
    }
    const auto command = fileManagerCommand(options.fileManager, options.fmCommandLineOption, folder);
    if (!command) {
        reportUnbalancedOption(owner, options.fmCommandLineOption);
        return;
    }
    platform::startDetached(*command, platform::ShowState::Normal); // the result is not examined
}

void ExecuteAndWait(const platform::CommandLine& command, platform::ShowState show, int timeoutMs)
{
    platform::executeAndWait(command, show, timeoutMs);
}

void MinimizeAllWindows()
{
    if (!platform::showDesktop().request())
        minimizeApplication();
}

void minimizeApplication()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && (window->windowType() == Qt::Window || window->windowType() == Qt::Dialog))
            window->showMinimized();
    }
}

} // namespace launch
