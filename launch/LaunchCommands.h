#pragma once
// The paths and command lines of the launch actions, as plain functions of the values
// they need, so that each rule can be checked without a window or a process.

#include "platform/Process.h"

#include <QString>

#include <optional>

namespace launch {

// Which list a launch acts on; the two differ in a few details.
enum class ListKind { Main, Hotlist };

// The root without its final separator; the file-system root keeps it, so that joining
// a project path to it still gives an absolute path.
QString rootWithoutFinalSeparator(const QString& root);

// The folder part of a path, with its final separator.
QString folderOf(const QString& path);

// The project file a list row names. The main list takes the options dialog's root
// field (`EditRoot`, with its final separator), the hotlist the main window's root label
// (`LabelRoot`, without one).
QString projectFilePath(ListKind list, const QString& editRoot, const QString& labelRoot,
                        const QString& projectPath);

// The project's folder below `labelRoot`, always with its final separator.
QString projectFolder(const QString& labelRoot, const QString& projectPath);

// The project's executable: its folder followed by the executable's file name.
QString executablePath(const QString& labelRoot, const QString& projectPath, const QString& exeName);

// The IDE with the project file as its one argument, however many blanks, quotes or
// other shell characters the path holds; it starts in the project's folder.
platform::CommandLine ideCommand(const QString& idePath, const QString& projectFile);

// The command an IDE text (a stored or typed one) opens `projectFile` with: a path to a
// program as it stands, blanks and all; else a command line in the quoting of a desktop
// entry's Exec line ("flatpak run org.lazarus.Lazarus %f", "env GDK_BACKEND=x11 lazarus"),
// the project as one argument (appended when the line has no field code for it). It starts
// in the project's folder. nullopt when no program can be started from it.
std::optional<platform::CommandLine> ideCommandFor(const QString& ideText, const QString& projectFile);

// The file manager showing `folder`: the option text split into arguments, then the
// folder as one argument of its own. nullopt when the option text leaves a quote open.
std::optional<platform::CommandLine> fileManagerCommand(const QString& fileManager, const QString& optionText,
                                                        const QString& folder);

// How the file manager is started while a project is opened.
struct FileManagerStart {
    platform::CommandLine command;
    bool waitForIt = false;   // started with ExecuteAndWait rather than left to itself
    platform::ShowState show = platform::ShowState::MinimizedNoActivate;
    int waitMs = 0;

    friend bool operator==(const FileManagerStart&, const FileManagerStart&) = default;
};

// The file-manager start that accompanies opening `projectFile` from `list`. From the
// main list the folder has no final separator, from the hotlist it keeps it; with
// `minimizeAll` the start is waited for (main list: shown minimised, 3000 ms; hotlist:
// hidden, 4000 ms), otherwise it is started minimised without activation.
std::optional<FileManagerStart> projectFolderStart(ListKind list, const QString& fileManager,
                                                   const QString& optionText, const QString& projectFile,
                                                   bool minimizeAll);

} // namespace launch
