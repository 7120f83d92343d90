#pragma once
// The file viewer. Created once at start-up, third of the four windows; closing it only
// hides it. It shows one file of the selected project read-only, highlighted as Object
// Pascal unless it is a ".txt" file, searches it, and keeps the method jumper's list of
// the file's declarations, which it finds by the line rules of a hidden view (ScanMemo)
// without moving the visible view's caret or scroll position.
//
// The file panel opens a file with ViewFile(); the "專案檔案" menu entries reload
// through LoadViewerFile().

#include "platform/Dialogs.h"
#include "viewer/MemoAccess.h"
#include "viewer/ViewerHost.h"

#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class FindDialog;
class QAction;
class QActionGroup;
class QLabel;
class QMenu;
class QMenuBar;
class IniFile;
class TForm4;

namespace kbl {
class TOOPHighlighter;
class TStyledMemo;
} // namespace kbl

class TForm3 : public QWidget {
    Q_OBJECT
public:
    // Reads and writes `settings`; asks `host` for the project, the help file and the
    // scan option.
    TForm3(IniFile& settings, ViewerHost& host, QWidget* parent = nullptr);

    // The method jumper the scan fills and Alt+End shows (created after the viewer).
    void setMethodJumper(TForm4* jumper) { m_jumper = jumper; }
    ~TForm3() override;

    // ---- entry points ----
    // The whole load sequence for a file given by its full path. `entry` is the
    // "專案檔案" entry it came from, checked once the text is in. A file that cannot be
    // shown (gone, no regular file, refused) is named in a message, and the viewer keeps
    // its text, name and checked entry.
    void LoadViewerFile(const QString& path, QAction* entry = nullptr);
    // What the file panel runs when it opens a file: the text is loaded, the project-files
    // menu rebuilt from the panel's file names (in its order, `openedRow` checked), the
    // window shown, and after `afterShow` (the main window's re-layout) the declarations
    // are scanned and the text highlighted.
    void ViewFile(const QString& path, const QStringList& projectFiles, int openedRow,
                  const std::function<void()>& afterShow = {});
    // The steps of the load sequence, for callers that put work between them.
    // Status, highlighter off, text in; false (after telling the user) when the file
    // cannot be shown, and then nothing has changed.
    bool BeginViewerFile(const QString& path);
    void SetProjectFiles(const QStringList& fileNames, int checkedRow);
    void FinishViewerFile(); // scan, then highlight when the file is Object Pascal
    // Rebuilds the method jumper's list from the text on display.
    void ScanDeclarations();

    // Whether the scanner drops parameter lists: the options dialog's
    // CBoxRemoveParameterList, read at the start of each scan.
    std::function<bool()> RemoveParameterList;

    // ---- handlers ----
    void FormCreate();
    void FormClose();
    void FormKeyDown(QKeyEvent* event);
    void styledmemoMouseUp(Qt::MouseButton button);
    void mnuFileExitClick();
    void mnuFileFontClick();
    void FontDApply(const QFont& font);
    void mnuFileBackgroundColorClick();
    void mnuSearchFindClick();
    void FindDFind();
    void mnuSearchFindNextClick();
    void mnuMethodJumperClick();
    void ProjectFileItemClick(QAction* entry);

    // Shows the method jumper modally over this window's view.
    void ShowMethodJumper();

    // ---- components ----
    kbl::TStyledMemo* styledmemo = nullptr;
    kbl::TStyledMemo* ScanMemo = nullptr;
    QLabel* statusbar = nullptr;
    QMenuBar* MainMenu1 = nullptr;
    QMenu* mnuFile = nullptr;
    QAction* mnuFileFont = nullptr;
    QAction* mnuFileBackgroundColor = nullptr;
    QAction* mnuFileExit = nullptr;
    QMenu* mnuSearch = nullptr;
    QAction* mnuSearchFind = nullptr;
    QAction* mnuSearchFindNext = nullptr;
    QMenu* mnuProjectFiles = nullptr;
    QActionGroup* ProjectFilesGroup = nullptr;
    QAction* mnuMethodJumper = nullptr;
    std::unique_ptr<kbl::TOOPHighlighter> OOPHighlighter1;
    FindDialog* FindD = nullptr;
    platform::CustomColors ColorDCustomColors; // the colour dialog's custom colours

    // The view's font colour (0x00BBGGRR or a system colour), kept beside the QFont.
    qint32 FontColor = 0;
    // The view's background colour as stored.
    qint32 MemoColor = 0;

    viewer::MemoAccess& viewAccess() { return *m_viewAccess; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildMenu();
    void setViewFont(const QFont& font, qint32 color);
    void setViewColor(qint32 color);
    void copyFontToScanMemo();
    QString familyToKeep(const QFont& chosen, const QFont& current) const;
    void runLoad(std::function<void()> request, const std::function<void()>& steps);

    IniFile& m_settings;
    ViewerHost& m_host;
    TForm4* m_jumper = nullptr;
    std::unique_ptr<viewer::MemoAccess> m_viewAccess;
    bool m_highlight = false;
    // A load or scan asked for while one is processing window messages waits for it.
    bool m_busy = false;
    bool m_scanning = false;
    bool m_rescan = false;
    std::function<void()> m_pendingLoad;
    QString m_shownFamily; // the family the font dialog opened on
    QPointer<QAction> m_shownEntry; // the "專案檔案" entry of the text on display
};
