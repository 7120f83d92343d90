#pragma once
// The user's and the system's well-known folders, gathered once at creation into
// read-only properties. On Linux they come from the XDG user folders and base
// directories; a folder without a counterpart stays empty.

#include <QObject>
#include <QString>

#include <functional>

// Expands the last complete %NAME% reference of `value` with `lookup(NAME)`, when that
// gives a non-empty text; earlier references, unknown names and an odd "%" stay as they
// are. There is no length limit on the result.
QString ExpandEnvironmentReference(const QString& value, const std::function<QString(const QString&)>& lookup);

// The same with the process environment.
QString ExpandEnvironmentReference(const QString& value);

class TPBSystemPath final : public QObject {
    Q_OBJECT
public:
    explicit TPBSystemPath(QObject* owner = nullptr);

    const QString& AppData() const { return appData_; }
    const QString& Cache() const { return cache_; }
    const QString& Cookies() const { return cookies_; }
    const QString& DeskTop() const { return deskTop_; }
    const QString& Favorites() const { return favorites_; }
    const QString& Fonts() const { return fonts_; }
    const QString& History() const { return history_; }
    const QString& NetHood() const { return netHood_; }
    const QString& Personal() const { return personal_; }
    const QString& PrintHood() const { return printHood_; }
    const QString& Programs() const { return programs_; }
    const QString& Recent() const { return recent_; }
    const QString& SendTo() const { return sendTo_; }
    const QString& StartMenu() const { return startMenu_; }
    const QString& StartUp() const { return startUp_; }
    const QString& Templates() const { return templates_; }
    const QString& Windows() const { return windows_; }
    const QString& System() const { return system_; }
    const QString& Temp() const { return temp_; }
    const QString& CommonFiles() const { return commonFiles_; }
    const QString& Config() const { return config_; }
    const QString& Device() const { return device_; }
    const QString& Media() const { return media_; }
    const QString& OtherDevice() const { return otherDevice_; }
    const QString& ProgramFiles() const { return programFiles_; }
    const QString& SystemRoot() const { return systemRoot_; }
    const QString& WallPaper() const { return wallPaper_; }
    const QString& ComponentVersion() const { return componentVersion_; }
    const QString& MyPictures() const { return myPictures_; }
    const QString& LocalSettings() const { return localSettings_; }
    const QString& LocalAppData() const { return localAppData_; }
    const QString& Content() const { return content_; }

    // The file manager to propose when none is chosen: the desktop's program for folders.
    static QString ProposedFileManager();

private:
    QString appData_, cache_, cookies_, deskTop_, favorites_, fonts_, history_, netHood_, personal_,
        printHood_, programs_, recent_, sendTo_, startMenu_, startUp_, templates_, windows_, system_,
        temp_, commonFiles_, config_, device_, media_, otherDevice_, programFiles_, systemRoot_,
        wallPaper_, componentVersion_, myPictures_, localSettings_, localAppData_, content_;
};
