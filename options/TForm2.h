#pragma once
// The options dialog. Created once at start-up, second of the four windows. Its controls
// are the live store of the options: other windows read them as they stand.

#include "options/OptionsHost.h"
#include "platform/Dialogs.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TColorSwatch;
class IniFile;
class TPBSystemPath;
class TRadioGroup;

class TForm2 : public QDialog {
    Q_OBJECT
public:
    // Reads and writes `settings`; changes what the options stand for through `host`.
    TForm2(IniFile& settings, OptionsHost& host, QWidget* parent = nullptr);

    // Fills every control from the settings file. Appends to lbox: whoever reopens the
    // dialog empties lbox first.
    void LoadOptions();

    // Handlers.
    void FormCreate();
    void FormClose();
    void ButOKClick();
    void ButBrowseForFolderClick();
    void ButBrowseForFilemanagerClick();
    void ButAddFolderClick();
    void ButRemoveClick();
    void lboxKeyDown(int key, Qt::KeyboardModifiers shift);
    void stextDPRClick(TColorSwatch* Sender);

    // Root.
    QGroupBox* GBoxRoot = nullptr;
    QLineEdit* EditRoot = nullptr; // with a trailing separator
    QPushButton* ButBrowseForFolder = nullptr;
    // File manager.
    QGroupBox* GBoxFileManager = nullptr;
    QCheckBox* CBoxShowProjFolderInFM = nullptr;
    QLineEdit* EditFileManager = nullptr;
    QPushButton* ButBrowseForFilemanager = nullptr;
    QLabel* LabelFMComLineOption = nullptr;
    QLineEdit* EditFMCommandLineOption = nullptr;
    // The language of the user interface, as [options] language stores it; read at start-up.
    QLabel* LabelLanguage = nullptr;
    QComboBox* CBoxLanguage = nullptr; // follow the locale, English, Simplified, Traditional
    QLabel* LabelLanguageRestart = nullptr;
    // File kinds listed in the file panel, in kind order, with their colours.
    QGroupBox* GBoxShowInFileList = nullptr;
    QLabel* Label1 = nullptr;
    QCheckBox *cboxDPR = nullptr, *cboxPAS = nullptr, *cboxDFM = nullptr, *cboxDSK = nullptr, *cboxDOF = nullptr,
              *cboxCFG = nullptr, *cboxTXT = nullptr;
    TColorSwatch *stextDPR = nullptr, *stextPAS = nullptr, *stextDFM = nullptr, *stextDSK = nullptr,
                 *stextDOF = nullptr, *stextCFG = nullptr, *stextTXT = nullptr;
    // The Lazarus kinds follow the seven of Delphi.
    QCheckBox *cboxLPI = nullptr, *cboxLPR = nullptr, *cboxLFM = nullptr, *cboxINC = nullptr;
    TColorSwatch *stextLPI = nullptr, *stextLPR = nullptr, *stextLFM = nullptr, *stextINC = nullptr;
    std::array<QCheckBox*, filepanel::KindCount> kindBoxes{};
    std::array<TColorSwatch*, filepanel::KindCount> kindSwatches{};
    // Other options.
    QGroupBox* GBoxOptions = nullptr;
    QCheckBox* CBoxMinExe = nullptr;
    QCheckBox* CBoxMinProject = nullptr;
    QCheckBox* CBoxMinimizeAllWhenRunProject = nullptr;
    QCheckBox* CBoxDontLoadList = nullptr;
    TRadioGroup* RGroupOnDoubleClick = nullptr; // 0 runs the executable, 1 opens the project
    QCheckBox* CBoxLazarusProjects = nullptr; // scan for Lazarus projects too
    QCheckBox* CBoxFollowChanges = nullptr;   // the main list follows the disk after a scan
    QGroupBox* GBoxMethodJumper = nullptr;
    QCheckBox* CBoxRemoveParameterList = nullptr;
    // Folders a scan leaves out.
    QGroupBox* GBoxExcludeTheseFolders = nullptr;
    QListWidget* lbox = nullptr; // kept sorted
    QPushButton* ButAddFolder = nullptr;
    QPushButton* ButRemove = nullptr;
    QCheckBox* CBoxDisableExcludedFolders = nullptr;

    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;

    TPBSystemPath* PBSystemPath1 = nullptr;
    // The colour dialog's sixteen custom colours ("ColorA=..." lines).
    platform::CustomColors colordCustomColors;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void addExcludedFolder(const QString& folder);
    void showDoubleClickChoice();

    filepanel::KindColors swatchColors() const;

    IniFile& m_settings;
    OptionsHost& m_host;
};
