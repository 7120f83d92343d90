#pragma once
// The main window: tool bar, main list, hotlist, file list and status bar; its start-up
// restores the layout and the saved lists, its close writes them back.

#include "catalogue/FilePanel.h"
#include "catalogue/LiveCatalogue.h"
#include "options/OptionsHost.h"
#include "settings/IniFile.h"
#include "settings/ProgramFolder.h"

#include <QColor>
#include <QStringList>
#include <QWidget>

#include "launch/ProjectLaunch.h"

#include <array>
#include <exception>
#include <memory>

class ListFilter;
class QAction;
class QLabel;
class QLineEdit;
class QTimer;
class QMenu;
class QSplitter;
class QToolButton;
class QTreeWidgetItem;
class ReportList;
class ScanRun;
class ScanView;
class StatusBar;
class TFileSearch;
class TForm2;
class TForm3;
class TForm4;
namespace catalogue {
class BuildMarker;
class LiveCatalogue;
} // namespace catalogue

struct SortState {
    int column = 0;
    bool ascending = false;

    // A header click: the sorted column flips its direction; another column becomes the
    // sorted one in the current direction.
    void click(int clicked)
    {
        if (clicked == column)
            ascending = !ascending;
        else
            column = clicked;
    }
};

class TForm1 : public QWidget, public OptionsHost {
    Q_OBJECT
public:
    // Command codes of the system menu; the window's own ones are those of Windows.
    static constexpr int SC_RESTORE = 0xF120;
    static constexpr int SC_MINIMIZE = 0xF020;
    static constexpr int SC_MAXIMIZE = 0xF030;
    static constexpr int SC_CLOSE = 0xF060;
    static constexpr int SystemMenuAbout = 256;
    static constexpr int SystemMenuHelp = 512;

    static constexpr int ProjectStatusPanel = 0;

    // Builds the window and runs its start-up.
    explicit TForm1(QWidget* parent = nullptr);
    ~TForm1() override;

    // The windows created after this one; the close writes the method jumper's state.
    void setCompanions(TForm2* form2, TForm3* form3, TForm4* form4);

    // The settings file shared by every window.
    IniFile& settings() { return *Settings; }

    // Handlers.
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void FormResize();
    void SplitterLodretMoved();
    void SButSetRootClick();
    void ApplicationException(const std::exception& error);
    void SystemCommand(int code);
    void lviewClick();
    void lviewHotlistClick();
    void SButOptionsClick(); // TForm1Interaction.cpp
    // The scan (TForm1Scan.cpp). The three search handlers run on the
    // search's worker thread; what they change in the window is done on this thread.
    // During a scan the same button stops it (SButScanStopClick).
    void SButScanClick();
    void SButScanStopClick();
    void FileSearch1Progress(QObject* Sender, const QString& SearchDir, const QString& SearchMask);
    void FileSearch1MatchFound(QObject* Sender, qint32 Time, qint32 Size, qint32 Attr, const QString& FileName);
    void FileSearch1Complete(QObject* Sender);
    // The end of a scan in the window: list ordered and repainted, totals, tool bar back.
    void finishScan(int excludedCount);
    // Projects left out by the last finished scan.
    int ExcludedCount() const;
    bool isScanning() const { return m_scanning; }

    // Selection, sorting, keys, system commands and options (TForm1Interaction.cpp).
    void lviewSelectItem();
    void lviewMouseDown();
    void lviewKeyUp(int key, Qt::KeyboardModifiers shift);
    void lviewHotlistKeyUp(int key, Qt::KeyboardModifiers shift);
    void lviewEnter();
    void lviewHotlistEnter();
    void lviewColumnClick(int column);
    void lviewHotlistColumnClick(int column);
    bool FormKeyDown(int key, Qt::KeyboardModifiers shift); // true when the key was used
    void WMSysCommand(int code); // the system menu's About (256) and Help (512)
    // The main list's row last recorded as selected: the source of hotlist additions.
    QTreeWidgetItem* currentProjectRow() const;

    // The filter field over both project lists (TForm1Filter.cpp).
    void EditFilterChange();
    bool EditFilterKeyDown(int key, Qt::KeyboardModifiers shift); // true when the key was used
    // Puts the focus into the filter field, its text selected.
    void focusFilter();
    // Empties the filter field; both lists show their own order again.
    void clearFilter();
    bool isFiltering() const;
    // Status panel 2: the main list's count, or "shown / all" while a query is typed.
    void showProjectCount();

    // The file panel (TForm1FilePanel.cpp).
    void FillFileList(const QString& projectPath);
    QColor lviewFilesCustomDrawItem(const QString& fileName) const;
    void lviewFilesColumnClick(int column);
    bool lviewFilesKeyDown(int key, Qt::KeyboardModifiers shift);
    void SButViewFileClick();
    // Sorts the file panel by its sorted column and direction.
    void SortFileList();
    // Opens `file` in the viewer with the panel's file names (in the panel's order) for
    // its project-files menu, `selectedRow` being the one opened.
    void ShowInViewer(const QString& file, const QStringList& projectFiles, int selectedRow);

    // Launching from either list.
    void SButRunProjectClick();
    void mnuPopupHotlistRunProjectClick();
    void SButRunExeClick();
    void mnuPopupHotlistRunExeClick();
    void SButOpenInExplorerClick();
    void mnuPopupHotlistOpenFolderClick();
    void lviewDblClick();
    void lviewHotlistDblClick();

    // The hotlist and the two lists' context menus.
    void mnuPopupPopup();
    void mnuPopupHotlistPopup();
    void lviewStartDrag();
    bool lviewDragOver(QObject* source);
    bool lviewHotlistDragOver(QObject* source);
    void lviewHotlistDragDrop(QObject* source);
    void mnuPopupAddToHotlistClick();
    void mnuPopupHotlistDeleteItemClick();
    void mnuPopupUpdateItemClick();
    void mnuPopupHotlistUpdateItemClick();
    void lviewKeyDown(int key, Qt::KeyboardModifiers shift);
    void lviewHotlistKeyDown(int key, Qt::KeyboardModifiers shift);

    // What the options dialog changes here.
    void showDoubleClickAction(const QString& text) override;
    void setShownKinds(const filepanel::KindFlags& shown) override;
    void setKindColors(const filepanel::KindColors& colors) override;
    QString rootFolder() const override;
    void setRootFolder(const QString& folder) override;
    void setFollowChanges(bool on) override;

    // Build marks and the list that follows the disk (TForm1Watch.cpp).
    // Marks every row of both lists again, those on screen first.
    void markAllRows();
    // Watches the root's tree when "Follow changes under the root" is on; ends watching.
    void startFollowing();
    void stopFollowing();
    // Stops following for a scan; the watches wait for the list the scan makes. The
    // stopped catalogue is the caller's to free when it suits (what it knew of a large
    // tree takes a while to free).
    std::unique_ptr<catalogue::LiveCatalogue> pauseFollowing();
    bool isFollowing() const { return m_live != nullptr; }
    catalogue::LiveCatalogue* liveCatalogue() const { return m_live.get(); }
    catalogue::BuildMarker* buildMarker() const { return m_marker.get(); }

    // What the launch actions read of the options dialog; replaced in tests.
    void setOptionsView(std::unique_ptr<launch::OptionsView> view);

    // Sorts a project list by a column as a header click does (locale-aware, ignoring case).
    static void SortProjectList(ReportList& list, const SortState& state);

    QString TitleText;
    QString LineBreak;
    QString HelpFile; // empty when kbl.hlp is missing
    // Where kbl.ini and the two lists live for this run (beside the program, or the
    // user's XDG folders for an installed copy).
    program::Locations Locations;
    filepanel::KindFlags ShowKinds{};
    bool NoKinds = false;
    // Row colours of the seven file kinds (0x00BBGGRR), in kind order; set by the options dialog.
    filepanel::KindColors KindColors = filepanel::defaultKindColors();
    SortState lviewSort, lviewHotlistSort, lviewFilesSort;
    QStringList ExcludedFolders;

    // Components.
    QWidget* PanelTop = nullptr;
    QToolButton* SButSetRoot = nullptr;
    QToolButton* SButScan = nullptr;
    QToolButton* SButOptions = nullptr;
    QToolButton* SButRunProject = nullptr;
    QToolButton* SButRunExe = nullptr;
    QToolButton* SButOpenInExplorer = nullptr;
    QToolButton* SButViewFile = nullptr;
    QLabel* LabelRoot = nullptr;
    QLabel* LabelFuldSti = nullptr;
    QSplitter* SplitterLodret = nullptr; // PanelLeft | file list
    QWidget* PanelLeft = nullptr;
    QSplitter* Splitter1 = nullptr; // main list over hotlist
    QLineEdit* EditFilter = nullptr; // above the main list; narrows both lists
    ReportList* lview = nullptr;
    ReportList* lviewHotlist = nullptr;
    ReportList* lviewFiles = nullptr;
    StatusBar* status = nullptr;
    QList<QIcon> ImgList;
    QMenu* mnuSystem = nullptr;
    std::unique_ptr<TFileSearch> FileSearch1;

    QMenu* mnuPopup = nullptr;
    QAction* mnuPopupRunProject = nullptr;
    QAction* mnuPopupRunExe = nullptr;
    QAction* mnuPopupOpenFolder = nullptr;
    QAction* mnuPopupUpdateItem = nullptr;
    QAction* mnuPopupAddToHotlist = nullptr;
    QMenu* mnuPopupHotlist = nullptr;
    QAction* mnuPopupHotlistRunProject = nullptr;
    QAction* mnuPopupHotlistRunExe = nullptr;
    QAction* mnuPopupHotlistOpenFolder = nullptr;
    QAction* mnuPopupHotlistUpdateItem = nullptr;
    QAction* mnuPopupHotlistDeleteItem = nullptr;

    TForm2* Form2 = nullptr;
    TForm3* Form3 = nullptr;
    TForm4* Form4 = nullptr;

signals:
    // The system menu's About and Help commands (codes 256 and 512).
    void extraSystemCommand(int code);
    // The window has closed and written its state; the program ends.
    void closed();
    // The root's tree is watched: changes on disk from now on reach the main list.
    void catalogueFollowing();
    // Rows came, went or changed because the disk did.
    void catalogueChanged();
    // The tree needs more watches than the system allows: the list no longer follows.
    void catalogueNoLongerFollowing();
    // A batch of build marks has been shown.
    void buildMarksApplied();
    // Both lists show what the filter field's text leaves.
    void filtered();

protected:
    void customEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildLayout();
    QToolButton* addToolButton(const QString& caption, const QString& hint, int glyph);
    void buildSystemMenu();
    void changeSystemMenu();
    void restoreLayout();
    void loadSavedLists();
    bool loadList(ReportList& list, const QString& fileName, int image);
    void saveList(ReportList& list, const QString& fileName);
    void setRootCaption(const QString& root);
    void refreshFromRow(QTreeWidgetItem* row);
    QAction* systemMenuAction(int code) const;
    void connectInteraction();
    void connectFilePanel();
    void createFileSearch();
    void setToolBarScanning(bool scanning);
    // Ends a running search for good: no handler runs afterwards.
    void stopFileSearch();
    void buildProjectMenus();
    void buildFilter();
    void showFilterCount();
    void hookProjectLists();
    const launch::OptionsView& optionsView();
    launch::IdePathSetting& idePath();
    launch::ProjectRow launchRow(launch::ListKind list, const QTreeWidgetItem& row);
    void updateRow(ReportList& list);
    void createBuildMarks();
    void followSavedLists();
    bool followChanges() const;
    void applyCatalogueChanges();
    void catalogueLimitReached();
    void applyBuildMarks();
    void scheduleVisibleMarks();
    void markVisibleRows();

    std::unique_ptr<launch::OptionsView> LaunchOptionsView;
    std::unique_ptr<launch::IdePathSetting> IdePath;

    std::unique_ptr<IniFile> Settings;
    // The scan's state; the destructor stops FileSearch1 before these go.
    std::unique_ptr<ScanView> m_scanView;
    std::unique_ptr<ScanRun> m_scan;
    bool m_scanning = false;
    bool m_scanStopped = false; // the user stopped the running scan
    int m_scansFinished = 0; // names the work posted after each (TForm1Scan.cpp)
    // The rows a scan took out of the list, freed once it has finished.
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_replacedRows;
    std::unique_ptr<catalogue::BuildMarker> m_marker;
    std::unique_ptr<catalogue::LiveCatalogue> m_live;
    catalogue::KeptWatch m_keptWatch; // while a scan runs
    bool m_visibleMarksPosted = false;

    std::unique_ptr<ListFilter> m_lviewFilter, m_lviewHotlistFilter;
    QTimer* m_filterLater = nullptr; // the keystrokes of one event-loop turn filter once
    bool m_filterCountShown = false;
    QString m_countBeforeFilter; // status panel 2 as it read before the query
};
