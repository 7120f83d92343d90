#include "launch/ProjectLaunch.h"

#include "launch/AssociatedExe.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "platform/ShowDesktop.h"

#include <QApplication>
#include <QWidget>

namespace launch {

namespace {

const QString LineBreak = QStringLiteral("\r\n");

// An IDE candidate counts only when it is a program we can start: a folder, a missing
// file or a file without the execute bit would make the launch fail without a word.
bool usableIde(const QString& path) { return platform::isExecutableFile(path); }

void reportUnbalancedOption(QWidget* owner, const QString& optionText)
{
    platform::dialogs().message(owner, QStringLiteral("The file manager's command-line option has an unmatched double quote:")
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

QString findIde(QWidget* owner, IdePathSetting& setting)
{
    if (const QString associated = GetAssociatedExe(QStringLiteral("dpr")); usableIde(associated))
        return associated;
    if (const QString stored = setting.read(); usableIde(stored))
        return stored;
    const QString typed = platform::dialogs()
                              .input(owner, QStringLiteral("Enter path to delphi32.exe"),
                                     QStringLiteral("Can't find the Delphi executable. Please enter path:"), QString())
                              .value_or(QString());
    if (!usableIde(typed)) {
        platform::dialogs().box(owner, QStringLiteral("Please try again."), QStringLiteral("Wrong path"),
                                platform::BoxIcon::Warning);
        return QString();
    }
    setting.write(typed);
    return typed;
}

void runProject(QWidget* owner, const ProjectRow& row, const LaunchOptions& options, IdePathSetting& setting)
{
    const QString ide = findIde(owner, setting);
    if (ide.isEmpty())
        return;
    const QString projectFile = projectFilePath(row.list, row.editRoot, row.labelRoot, row.projectPath);
    if (!platform::isExistingFile(projectFile)) {
        platform::dialogs().message(owner, QStringLiteral("Can't find ") + projectFile);
        return;
    }
    if (options.minProject)
        minimizeApplication();
    if (options.showProjFolderInFM && platform::isExistingFile(options.fileManager))
        showProjectFolder(owner, row, projectFile, options);
    QCoreApplication::processEvents();
    if (options.minimizeAllWhenRunProject)
        MinimizeAllWindows();
    QCoreApplication::processEvents();
    platform::startDetached(ideCommand(ide, projectFile)); // a failure shows nothing
}

void runExe(QWidget* owner, const ProjectRow& row, const LaunchOptions& options)
{
    if (row.exeName.isEmpty())
        return;
    const QString path = executablePath(row.labelRoot, row.projectPath, row.exeName);
    if (!platform::isExistingFile(path)) {
        platform::dialogs().message(owner, QStringLiteral("Can't find ") + path);
        return;
    }
    const platform::StartResult result = platform::isExecutableFile(path)
                                             ? platform::startDetached({path, {}}, platform::ShowState::Normal)
                                             : platform::openDocument(path);
    if (!result)
        platform::dialogs().box(owner, result.errorText, QStringLiteral("Unsuccessful"), platform::BoxIcon::Warning);
    if (options.minExe)
        minimizeApplication();
}

void openFolder(QWidget* owner, const ProjectRow& row, const LaunchOptions& options)
{
    const QString folder = projectFolder(row.labelRoot, row.projectPath);
    if (!platform::isFolder(folder)) {
        platform::dialogs().box(owner, QStringLiteral("Please rescan your Delphi projects."),
                                QStringLiteral("Folder not found"), platform::BoxIcon::Warning);
        return;
    }
    if (!platform::isExecutableFile(options.fileManager)) {
        platform::dialogs().message(owner, QStringLiteral("Can't find filemanager:") + LineBreak + options.fileManager);
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
