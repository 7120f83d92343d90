#pragma once
// Every modal dialog and message box of the program goes through this one interface,
// so that tests can script the answers and read the texts instead of waiting on a
// real window.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace platform {

enum class BoxIcon { None, Information, Warning, Error, Question };

// The sixteen custom colours of a colour dialog as "ColorA=..." to "ColorP=..." lines.
using CustomColors = QStringList;

class Dialogs {
public:
    virtual ~Dialogs() = default;

    // The plain message: application title as caption, the text, one OK button, no icon.
    virtual void message(QWidget* owner, const QString& text) = 0;

    // A box with a caption and icon of its own, kept on top and activated; one OK button.
    virtual void box(QWidget* owner, const QString& text, const QString& caption, BoxIcon icon) = 0;

    // A one-line input box; nullopt when cancelled.
    virtual std::optional<QString> input(QWidget* owner, const QString& caption,
                                         const QString& prompt, const QString& initial) = 0;

    // Chooses one existing folder, starting at `start`; nullopt when cancelled.
    virtual std::optional<QString> chooseFolder(QWidget* owner, const QString& start) = 0;

    // Chooses one existing file; `filter` as QFileDialog takes it; nullopt when cancelled.
    virtual std::optional<QString> openFile(QWidget* owner, const QString& caption,
                                            const QString& start, const QString& filter) = 0;

    // Chooses a colour. `customColors` is read and updated in place whatever the answer,
    // as the real dialog's custom colours survive a cancel.
    virtual std::optional<QColor> chooseColor(QWidget* owner, const QColor& initial,
                                              CustomColors& customColors) = 0;

    // Chooses a font; `onApply` is called for each press of the Apply button.
    virtual std::optional<QFont> chooseFont(QWidget* owner, const QFont& initial,
                                            const std::function<void(const QFont&)>& onApply) = 0;
};

// The application title: the caption of plain messages. Kept here rather than as Qt's
// display name, which the platform would append to every window caption.
void setApplicationTitle(const QString& title);
QString applicationTitle();

// The dialogs in use: the real ones unless a test installed others.
Dialogs& dialogs();

// Installs `replacement` (tests); an empty pointer restores the real dialogs.
void setDialogs(std::unique_ptr<Dialogs> replacement);

// The real, Qt-based dialogs.
std::unique_ptr<Dialogs> makeQtDialogs();

} // namespace platform
