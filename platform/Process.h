#pragma once
// Starting other programs. A program is always started directly with a list of
// arguments, never through a shell, so no text taken from a path or an option can run
// as a command. Started programs are detached: they outlive Kestrabel.

#include <QString>
#include <QStringList>

#include <optional>

namespace platform {

// How a started program's first window should appear. Linux window managers take this
// as a hint at most; it is never an error when they ignore it.
enum class ShowState {
    Hidden = 0,
    Normal = 1,
    Minimized = 2,
    MinimizedNoActivate = 7,
};

// A program and its arguments, exactly as the program will receive them (bytes that
// are not UTF-8 included), and the folder it starts in (empty: Kestrabel's own).
struct CommandLine {
    QString program;
    QStringList arguments;
    QString workingFolder = {};

    friend bool operator==(const CommandLine&, const CommandLine&) = default;
};

// The outcome of a start: `errorText` says why it failed.
struct StartResult {
    bool started = false;
    QString errorText;

    explicit operator bool() const { return started; }
};

// Splits option text into arguments by the shell's word rules as QProcess::splitCommand
// applies them (blanks separate, double quotes group, three quotes give one quote).
// nullopt when a quote is left open: such text would silently swallow what follows it.
std::optional<QStringList> splitArguments(const QString& text);

// Starts the program detached, in its working folder and the caller's environment. A
// program without a "/" is looked up on PATH.
StartResult startDetached(const CommandLine& command, ShowState show = ShowState::Normal);

// The executable a program name stands for: a path (with a "/") when it is an executable
// file, a bare name looked up on PATH; empty when there is none.
QString findProgram(const QString& program);

// Opens a file with the desktop's default application for its type, as a file manager
// would on a double click.
StartResult openDocument(const QString& path, const QString& workingFolder = QString());

// Starts the command and blocks until it ends or `timeoutMs` has passed, whichever comes
// first. The process keeps running after the timeout. A failure to start is ignored.
void executeAndWait(const CommandLine& command, ShowState show, int timeoutMs);

} // namespace platform
