#pragma once
// The three launch actions on a project row: open the project in the IDE, run its
// executable, open its folder in the file manager. Each reads the option values it is
// given at the moment it runs and reports user errors in message boxes.

#include "launch/LaunchCommands.h"

#include <QString>

class QWidget;

namespace launch {

// The options a launch reads, as the options dialog shows them at that moment.
struct LaunchOptions {
    bool minProject = true;                // CBoxMinProject
    bool showProjFolderInFM = false;       // CBoxShowProjFolderInFM
    bool minimizeAllWhenRunProject = true; // CBoxMinimizeAllWhenRunProject
    bool minExe = false;                   // CBoxMinExe
    QString fileManager;                   // EditFileManager
    QString fmCommandLineOption;           // EditFMCommandLineOption
};

// What launching reads of the options dialog, at the moment it runs.
class OptionsView {
public:
    virtual ~OptionsView() = default;
    virtual LaunchOptions launchOptions() const = 0;
    // The double-click choice (`RGroupOnDoubleClick`): DoubleClickRunsExe or DoubleClickOpensProject.
    virtual int doubleClickAction() const = 0;
    // The root field (`EditRoot`), with its final separator.
    virtual QString rootField() const = 0;
};

inline constexpr int DoubleClickRunsExe = 0;
inline constexpr int DoubleClickOpensProject = 1;

// Where the IDE path that the user typed is kept between runs.
class IdePathSetting {
public:
    virtual ~IdePathSetting() = default;
    virtual QString read() const = 0;
    virtual void write(const QString& path) = 0;
};

// The project row a launch acts on, with both roots: the main list takes the options
// dialog's root field, everything else the main window's root label.
struct ProjectRow {
    ListKind list = ListKind::Main;
    QString editRoot;
    QString labelRoot;
    QString projectPath;
    QString exeName;
};

// How the IDE opens `projectFile`: the program the desktop associates with such project
// files (its command line, arguments and all), else the stored IDE, else what the user
// types (stored when a program can be started from it). A stored or typed text is a path
// or a command line (ideCommandFor). nullopt when all of them fail, after the user has
// been told. The project file itself is not looked at.
std::optional<platform::CommandLine> findIde(QWidget* owner, IdePathSetting& setting, const QString& projectFile);

// Opens the row's project in the IDE, first showing its folder in the file manager and
// minimising as the options say.
void runProject(QWidget* owner, const ProjectRow& row, const LaunchOptions& options, IdePathSetting& setting);

// Runs the row's executable in its own folder; a file without the execute bit is opened
// with the desktop's application for it.
void runExe(QWidget* owner, const ProjectRow& row, const LaunchOptions& options);

// Opens the row's folder in the file manager.
void openFolder(QWidget* owner, const ProjectRow& row, const LaunchOptions& options);

// Starts a command and waits for it at most `timeoutMs`; see platform::executeAndWait.
void ExecuteAndWait(const platform::CommandLine& command, platform::ShowState show, int timeoutMs);

// Asks the window manager to minimise every window; where it cannot, minimises ours.
void MinimizeAllWindows();

// Minimises this program's windows.
void minimizeApplication();

} // namespace launch
