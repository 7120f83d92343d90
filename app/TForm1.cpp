#include "app/TForm1.h"

#include "app/Glyphs.h"
#include "app/KestrabelApplication.h"
#include "app/ListFilter.h"
#include "settings/ProgramFolder.h"
#include "app/ReportList.h"
#include "app/StatusBar.h"
#include "app/WindowLayout.h"
#include "catalogue/BuildMarker.h"
#include "catalogue/ListFile.h"
#include "catalogue/LiveCatalogue.h"
#include "catalogue/FileSearch.h"
#include "app/ProjectRows.h"
#include "catalogue/ScanRun.h"
#include "options/TForm2.h"
#include "platform/Dialogs.h"
#include "platform/LastError.h"
#include "platform/SystemMetrics.h"
#include "viewer/TForm4.h"
#include "platform/Files.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QResizeEvent>
#include <QCollator>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QShortcut>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr int SplitterWidth = 5;
constexpr int ToolBarHeight = 68;

struct ListLoadInterrupted {};

} // namespace

TForm1::TForm1(QWidget* parent) : QWidget(parent)
{
    buildLayout();
    buildProjectMenus();
    hookProjectLists();
    buildSystemMenu();
    createFileSearch();
    createBuildMarks();
    FormCreate();
    followSavedLists();
}

TForm1::~TForm1()
{
    // The search's handlers use this window: they must be over before anything goes.
    stopFileSearch();
    stopFollowing();
    m_marker.reset();
    FormDestroy();
}

void TForm1::setCompanions(TForm2* form2, TForm3* form3, TForm4* form4)
{
    Form2 = form2;
    Form3 = form3;
    Form4 = form4;
}

QToolButton* TForm1::addToolButton(const QString& caption, const QString& hint, int glyph)
{
    auto* button = new QToolButton(PanelTop);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(glyphs::toolGlyph(glyphs::Tool(glyph)));
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setFixedSize(69, 55);
    return button;
}

void TForm1::buildLayout()
{
    setMinimumSize(400, 300);
    setFont(platform::cjkFont(QStringLiteral("新細明體"), 12));
    resize(700, 450);
    ImgList = glyphs::rowImages();

    PanelTop = new QWidget(this);
    PanelTop->setObjectName(QStringLiteral("PanelTop"));
    PanelTop->setFixedHeight(ToolBarHeight);
    auto* tools = new QHBoxLayout(PanelTop);
    tools->setContentsMargins(3, 6, 3, 7);
    tools->setSpacing(3);
    SButSetRoot = addToolButton(tr("設定目錄"), tr(" 設定目錄"), 0);
    SButScan = addToolButton(tr("掃描"), tr(" 掃描 Delphi 專案"), 1);
    SButOptions = addToolButton(tr("選項"), tr("選項"), 2);
    SButRunProject = addToolButton(tr("執行專案"), tr("執行專案"), 3);
    SButRunExe = addToolButton(tr("執行 exe"), tr(" 執行 exe 檔案"), 4);
    SButOpenInExplorer = addToolButton(tr("開啟資料夾"), tr("開啟專案資料夾"), 5);
    SButViewFile = addToolButton(tr("檢視檔案"), tr("檢視所選檔案(filelist)(F3)"), 6);
    tools->addWidget(SButSetRoot);
    tools->addWidget(SButScan);
    tools->addWidget(SButOptions);
    tools->addSpacing(12); // the wider gap after the third button
    for (QToolButton* button : {SButRunProject, SButRunExe, SButOpenInExplorer, SButViewFile})
        tools->addWidget(button);
    tools->addStretch(1);
    LabelRoot = new QLabel(PanelTop);
    LabelRoot->setObjectName(QStringLiteral("LabelRoot"));
    LabelRoot->hide();
    LabelFuldSti = new QLabel(PanelTop);
    LabelFuldSti->setObjectName(QStringLiteral("LabelFuldSti"));
    LabelFuldSti->hide();

    lview = new ReportList;
    lview->setObjectName(QStringLiteral("lview"));
    lview->setColumns({{tr("應用"), 150}, {tr("Exe"), 70}, {tr("專案路徑"), 150}});
    lview->setImages(ImgList);
    lview->setDragEnabled(true);
    lviewHotlist = new ReportList;
    lviewHotlist->setObjectName(QStringLiteral("lviewHotlist"));
    lviewHotlist->setColumns(
        {{tr("應用(熱門列表)"), 300}, {tr("Exe"), 70}, {tr("專案路徑"), 250}});
    lviewHotlist->setImages(ImgList);
    lviewFiles = new ReportList;
    lviewFiles->setObjectName(QStringLiteral("lviewFiles"));
    lviewFiles->setColumns({{tr("檔案名稱"), 120}, {tr("大小(kb)"), 60}});
    lviewFiles->setColumnAlignment(1, Qt::AlignRight);
    lviewFiles->setImages(ImgList);

    Splitter1 = new QSplitter(Qt::Vertical);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(SplitterWidth);
    Splitter1->setChildrenCollapsible(false);
    Splitter1->addWidget(lview);
    Splitter1->addWidget(lviewHotlist);
    Splitter1->setStretchFactor(0, 1);
    Splitter1->setStretchFactor(1, 0);

    PanelLeft = new QWidget;
    PanelLeft->setObjectName(QStringLiteral("PanelLeft"));
    auto* left = new QVBoxLayout(PanelLeft);
    left->setContentsMargins(0, 0, 0, 0);
    left->addWidget(Splitter1);

    SplitterLodret = new QSplitter(Qt::Horizontal);
    SplitterLodret->setObjectName(QStringLiteral("SplitterLodret"));
    SplitterLodret->setHandleWidth(SplitterWidth);
    SplitterLodret->setChildrenCollapsible(false);
    SplitterLodret->addWidget(PanelLeft);
    SplitterLodret->addWidget(lviewFiles);
    SplitterLodret->setStretchFactor(0, 1);
    SplitterLodret->setStretchFactor(1, 0);

    status = new StatusBar({{420, Qt::AlignLeft, true},
                            {100, Qt::AlignHCenter, false},
                            {100, Qt::AlignHCenter, true},
                            {50, Qt::AlignLeft, false}},
                           this);
    status->setObjectName(QStringLiteral("status"));

    auto* main = new QVBoxLayout(this);
    main->setContentsMargins(0, 0, 0, 0);
    main->setSpacing(0);
    main->addWidget(PanelTop);
    main->addWidget(SplitterLodret, 1);
    main->addWidget(status);

    connect(SButSetRoot, &QToolButton::clicked, this, &TForm1::SButSetRootClick);
    connect(SButOptions, &QToolButton::clicked, this, &TForm1::SButOptionsClick);
    connect(SplitterLodret, &QSplitter::splitterMoved, this, &TForm1::SplitterLodretMoved);
    connect(lview, &ReportList::itemClicked, this, &TForm1::lviewClick);
    connect(lviewHotlist, &ReportList::itemClicked, this, &TForm1::lviewHotlistClick);
    for (ReportList* list : {lview, lviewHotlist, lviewFiles})
        list->installEventFilter(this);
    connectInteraction();
    connectFilePanel();
    buildFilter();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event)
{
    // Docking settles the lists' widths after the window's own resize has run, so a list
    // whose width changed lays out its columns again. Height changes (the horizontal
    // splitter) leave the columns alone.
    if (event->type() == QEvent::Resize) {
        const auto* resize = static_cast<QResizeEvent*>(event);
        if (resize->oldSize().width() != resize->size().width()
            && (watched == lview || watched == lviewHotlist || watched == lviewFiles))
            SplitterLodretMoved();
    }
    return QWidget::eventFilter(watched, event);
}

void TForm1::buildSystemMenu()
{
    // A Linux window manager's own menu cannot be extended, so the window keeps one.
    mnuSystem = new QMenu(this);
    mnuSystem->setObjectName(QStringLiteral("mnuSystem"));
    const std::pair<const char*, int> items[] = {
        {QT_TR_NOOP("&Restore"), SC_RESTORE}, {QT_TR_NOOP("&Minimize"), SC_MINIMIZE}, {QT_TR_NOOP("Ma&ximize"), SC_MAXIMIZE},
        {nullptr, 0}, {QT_TR_NOOP("&Close\tAlt+F4"), SC_CLOSE}};
    for (const auto& [text, code] : items) {
        if (!text) {
            mnuSystem->addSeparator();
            continue;
        }
        QAction* action = mnuSystem->addAction(tr(text));
        action->setData(code);
    }
    connect(mnuSystem, &QMenu::triggered, this, [this](QAction* action) { SystemCommand(action->data().toInt()); });
    auto* shortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
    connect(shortcut, &QShortcut::activated, this, [this] { mnuSystem->popup(mapToGlobal(QPoint(0, 0))); });
}

QAction* TForm1::systemMenuAction(int code) const
{
    for (QAction* action : mnuSystem->actions())
        if (!action->isSeparator() && action->data().toInt() == code)
            return action;
    return nullptr;
}

void TForm1::changeSystemMenu()
{
    systemMenuAction(SC_MAXIMIZE)->setText(tr("Maximi&ze"));
    mnuSystem->addAction(tr("&About ..."))->setData(SystemMenuAbout);
    mnuSystem->addAction(tr("&Help\tF1"))->setData(SystemMenuHelp);
    systemMenuAction(SC_CLOSE)->setText(tr("E&xit\tEsc"));
}

void TForm1::SystemCommand(int code)
{
    switch (code & 0xFFF0) {
    case SC_RESTORE: showNormal(); break;
    case SC_MINIMIZE: showMinimized(); break;
    case SC_MAXIMIZE: showMaximized(); break;
    case SC_CLOSE: close(); break;
    case SystemMenuAbout:
    case SystemMenuHelp: emit extraSystemCommand(code & 0xFFF0); break;
    default: break;
    }
}

void TForm1::FormCreate()
{
    KestrabelApplication::setExceptionHandler([this](const std::exception& error) { ApplicationException(error); });

    KestrabelApplication::guarded([this] {
        TitleText = QStringLiteral(" Kestrabel v1.2");
        setWindowTitle(TitleText);
        platform::setApplicationTitle(TitleText);
        LineBreak = QStringLiteral("\r\n");

        Locations = program::locate();
        HelpFile = Locations.helpFile;

        // An installed copy makes its XDG folder with this first write.
        program::makeFolderFor(Locations.settingsFile());
        Settings = std::make_unique<IniFile>(Locations.settingsFile());
        Settings->write(settings::application::name, QLatin1String(settings::application::ProgramName));
        Settings->write(settings::application::path, program::executablePath());

        NoKinds = true;
        for (size_t kind = 0; kind < ShowKinds.size(); ++kind) {
            ShowKinds[kind] = Settings->read(settings::options::showKinds[kind]);
            NoKinds = NoKinds && !ShowKinds[kind];
        }

        QString root = Settings->read(settings::options::EditRoot);
        if (!root.isEmpty()) {
            if (root.endsWith(u'/'))
                root.chop(1);
            LabelRoot->setText(root);
            setRootCaption(root);
        }

        restoreLayout();

        show();
        QCoreApplication::processEvents();
        FormResize();

        changeSystemMenu();

        loadSavedLists();

        show();
    });
    if (!Settings) // a failure before the file was named still leaves a usable object
        Settings = std::make_unique<IniFile>(Locations.settingsFile());
    ExcludedFolders.clear();
}

void TForm1::restoreLayout()
{
    namespace f1 = settings::form1;
    move(Settings->read(f1::left), Settings->read(f1::top));
    resize(Settings->read(f1::width), Settings->read(f1::height));
    // The status bar is docked to the bottom, which decides its top; the stored value is
    // read for completeness only. Likewise the file list's left edge follows its width.
    (void)Settings->read(f1::statusTop);
    (void)Settings->read(f1::lviewFilesLeft);
    const int filesWidth = Settings->read(f1::lviewFilesWidth);
    layout()->activate();
    const int total = SplitterLodret->width() - SplitterWidth;
    SplitterLodret->setSizes({std::max(0, total - filesWidth), filesWidth});
    QCoreApplication::processEvents();
    if (Settings->read(f1::maximized))
        setWindowState(windowState() | Qt::WindowMaximized);
    QCoreApplication::processEvents();
    const int hotlistHeight = Settings->read(f1::lviewHotlistHeight);
    const int column = Splitter1->height() - SplitterWidth;
    Splitter1->setSizes({std::max(0, column - hotlistHeight), hotlistHeight});
    // The splitters resized the lists after the window's own resize laid out their columns.
    FormResize();
}

bool TForm1::loadList(ReportList& list, const QString& fileName, int image)
{
    const ListFileContent content = readListFile(Locations.listFile(fileName), image);
    if (content.outcome == ListFileContent::Outcome::Malformed)
        return false;
    list.beginBatch();
    addProjectRows(list, content.entries);
    list.endBatch();
    if (content.outcome == ListFileContent::Outcome::ReadError)
        throw ListLoadInterrupted{};
    return true;
}

void TForm1::loadSavedLists()
{
    namespace f1 = settings::form1;
    try {
        if (platform::pathExists(Locations.listFile(QLatin1String(ProjectsFileName)))
            && !Settings->read(settings::options::CBoxDontLoadList)) {
            if (!loadList(*lview, QLatin1String(ProjectsFileName), 0))
                return;
            status->setPanelText(0, tr(" Loaded saved list"));
            status->setPanelText(2, QString::number(lview->rowCount()) + tr(" prjcts"));
            lview->setFocus();
        }
        if (platform::pathExists(Locations.listFile(QLatin1String(HotlistFileName)))) {
            if (!loadList(*lviewHotlist, QLatin1String(HotlistFileName), 1))
                return;
            lviewHotlistSort = {Settings->read(f1::lviewHotlistLastSortedColumn), Settings->read(f1::lviewHotlistAscending)};
            SortProjectList(*lviewHotlist, lviewHotlistSort);
            lviewHotlist->setFocus();
            if (lviewHotlist->rowCount() > 0)
                lviewHotlist->selectRow(lviewHotlist->row(0));
        }
        lviewSort = {Settings->read(f1::lviewLastSortedColumn), Settings->read(f1::lviewAscending)};
        SortProjectList(*lview, lviewSort);
        lviewFilesSort = {Settings->read(f1::lviewFilesLastSortedColumn), Settings->read(f1::lviewFilesAscending)};
        SortProjectList(*lviewFiles, lviewFilesSort);

        lview->setFocus();
        if (lview->rowCount() > 0) {
            lview->selectRow(lview->row(0));
            lviewClick();
        }
    } catch (const ListLoadInterrupted&) {
        status->setPanelText(0, platform::lastErrorText());
    } catch (const std::exception& error) {
        status->setPanelText(0, platform::errorText(error));
    }
}

void TForm1::SortProjectList(ReportList& list, const SortState& state)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    const int column = state.column;
    const int sign = state.ascending ? 1 : -1;
    list.showSortOrder(column, state.ascending);
    list.sortRows([&](const QTreeWidgetItem& a, const QTreeWidgetItem& b) {
        if (column < 0 || column > 2)
            return 0;
        return sign * collator.compare(a.text(column), b.text(column));
    });
}

void TForm1::lviewClick() { refreshFromRow(lview->selectedRow()); }

void TForm1::lviewHotlistClick() { refreshFromRow(lviewHotlist->selectedRow()); }

void TForm1::refreshFromRow(QTreeWidgetItem* row)
{
    if (!row)
        return;
    FillFileList(row->text(2));
    const QString path = LabelRoot->text() + row->text(2);
    LabelFuldSti->setText(path);
    status->setPanelText(0, u' ' + path);
    SortFileList();
}

void TForm1::setRootCaption(const QString& root)
{
    // The file-system root keeps its one separator: "[root: /]".
    const QString shown = root.endsWith(u'/') ? root : root + u'/';
    setWindowTitle(TitleText + tr(" [root: %1]").arg(platform::displayName(shown)));
}

void TForm1::showDoubleClickAction(const QString& text) { status->setPanelText(3, text); }

void TForm1::setShownKinds(const filepanel::KindFlags& shown)
{
    ShowKinds = shown;
    NoKinds = std::none_of(shown.begin(), shown.end(), [](bool on) { return on; });
    if (NoKinds)
        lviewFiles->clear();
}

void TForm1::setKindColors(const filepanel::KindColors& colors) { KindColors = colors; }

QString TForm1::rootFolder() const { return LabelRoot->text(); }

void TForm1::setRootFolder(const QString& folder)
{
    const bool changed = folder != LabelRoot->text();
    LabelRoot->setText(folder);
    setRootCaption(folder);
    if (changed) {
        // The rows now name projects under the new root; the old tree is no longer theirs.
        stopFollowing();
        markAllRows();
    }
}

void TForm1::SButSetRootClick()
{
    const auto folder = platform::dialogs().chooseFolder(this, LabelRoot->text());
    if (!folder)
        return;
    const bool changed = *folder != LabelRoot->text();
    LabelRoot->setText(*folder);
    setRootCaption(*folder);
    if (changed) {
        stopFollowing();
        markAllRows();
    }
    if (Form2)
        Form2->EditRoot->setText(*folder + u'/');
    Settings->write(settings::options::EditRoot, *folder + u'/');
}

void TForm1::ApplicationException(const std::exception& error)
{
    status->setPanelText(0, platform::errorText(error));
}

void TForm1::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept();
    emit closed();
}

void TForm1::FormClose()
{
    // Closing mid-scan ends the search; the rows found so far are ordered and saved.
    if (m_scanning)
        stopFileSearch();
    stopFollowing();
    // A settings file that cannot be written must not keep the window from closing, and
    // the lists are still saved.
    KestrabelApplication::guarded([this] {
        namespace f1 = settings::form1;
        const bool maximised = isMaximized();
        Settings->write(f1::maximized, maximised);
        if (!maximised && !isMinimized()) {
            Settings->write(f1::left, x());
            Settings->write(f1::top, y());
            Settings->write(f1::width, this->width());
            Settings->write(f1::height, this->height());
        }
        Settings->write(f1::lviewHotlistHeight, lviewHotlist->height());
        Settings->write(f1::lviewFilesWidth, lviewFiles->width());
        Settings->write(f1::lviewFilesLeft, lviewFiles->mapTo(this, QPoint(0, 0)).x());
        Settings->write(f1::SplitterLodretLeft, SplitterLodret->handle(1)->mapTo(this, QPoint(0, 0)).x());
        Settings->write(f1::statusTop, status->y());
        Settings->write(f1::lviewLastSortedColumn, lviewSort.column);
        Settings->write(f1::lviewAscending, lviewSort.ascending);
        Settings->write(f1::lviewHotlistLastSortedColumn, lviewHotlistSort.column);
        Settings->write(f1::lviewHotlistAscending, lviewHotlistSort.ascending);
        Settings->write(f1::lviewFilesLastSortedColumn, lviewFilesSort.column);
        Settings->write(f1::lviewFilesAscending, lviewFilesSort.ascending);
        if (Form4)
            Form4->writeState(*Settings);
    });
    saveList(*lview, QLatin1String(ProjectsFileName));
    saveList(*lviewHotlist, QLatin1String(HotlistFileName));
}

void TForm1::saveList(ReportList& list, const QString& fileName)
{
    const std::vector<ProjectEntry> entries = projectEntries(list);
    const QString file = Locations.listFile(fileName);
    if (!entries.empty())
        program::makeFolderFor(file);
    if (!writeListFile(file, entries))
        status->setPanelText(0, platform::lastErrorText());
}

void TForm1::FormDestroy()
{
    KestrabelApplication::setExceptionHandler({});
    Settings.reset();
}

void TForm1::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FormResize();
}

void TForm1::FormResize()
{
    SplitterLodretMoved();
    const QList<int> widths = layout::panelWidths(status->width(), layout::StatusPanels);
    for (int i = 0; i < widths.size(); ++i)
        status->setPanelWidth(i, widths[i]);
}

void TForm1::SplitterLodretMoved()
{
    const int s = platform::verticalScrollBarWidth();
    const auto apply = [s](ReportList* list, const QList<double>& fractions) {
        const QList<int> widths = layout::columnWidths(list->width(), s, fractions);
        for (int i = 0; i < widths.size(); ++i)
            list->setColumnWidth(i, widths[i]);
    };
    apply(lview, layout::ProjectColumns);
    apply(lviewFiles, layout::FileColumns);
    apply(lviewHotlist, layout::ProjectColumns);
}
