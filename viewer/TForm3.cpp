#include "viewer/TForm3.h"

#include "highlight/OOPHighlighter.h"
#include "platform/Colors.h"
#include "platform/Files.h"
#include "platform/Help.h"
#include "platform/TextCodec.h"
#include "settings/IniFile.h"
#include "textview/TStyledMemo.h"
#include "viewer/DeclarationScanner.h"
#include "viewer/DocumentScanAccess.h"
#include "viewer/FindDialog.h"
#include "viewer/StyledMemoAccess.h"
#include "viewer/TForm4.h"
#include "viewer/ViewerState.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>

#include <stdexcept>

namespace {

constexpr int ViewerHelpTopic = 5;
// The found line stands this many display lines below the top of the view.
constexpr int FoundLineBelowTop = 5;

// The visible view separates words at blanks too; the scan does not, so that a marker
// followed by a blank on its line is not taken for a marker.
constexpr char16_t ViewSeparators[] = u"\t $%&,./:;<=>";
constexpr char16_t ScanSeparators[] = u"\t$%&,./:;<=>";

void processPendingMessages(int times)
{
    for (int i = 0; i < times; ++i)
        QApplication::processEvents();
}

QFont viewerFont(const QString& family, int pointSize, bool bold)
{
    QFont font(family);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    if (pointSize > 0)
        font.setPointSize(pointSize);
    font.setBold(bold);
    return font;
}

} // namespace

TForm3::TForm3(IniFile& settings, ViewerHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_settings(settings), m_host(host)
{
    setObjectName(QStringLiteral("TForm3"));
    setWindowTitle(tr("檔案檢視器"));

    // The options dialog's check box is the live option; it is read at each scan.
    RemoveParameterList = [this] { return m_host.removeParameterList(); };

    styledmemo = new kbl::TStyledMemo(this);
    styledmemo->setObjectName(QStringLiteral("styledmemo"));
    styledmemo->ReadOnly = true;
    styledmemo->setHideSelection(false);
    styledmemo->setScrollBars(kbl::ssVertical);
    styledmemo->setWordWrap(true);
    styledmemo->document().ApplyKeyWords = false;
    styledmemo->EnableHotKeys = false;
    styledmemo->Separators() = kbl::CharSet(QStringView(ViewSeparators));
    styledmemo->setOptions(kbl::smoWrapCaret | kbl::smoInsertKeyActive | kbl::smoWideOverwriteCaret |
                           kbl::smoAutoScrollBars | kbl::smoWindowsSelColors);
    styledmemo->EndOfTextMark.Color = platform::clRed;
    styledmemo->SpecUnderline.Color = platform::clRed;
    styledmemo->setFont(viewerFont(QStringLiteral("Lucida Console"), 8, false));
    m_viewAccess = std::make_unique<viewer::StyledMemoAccess>(*styledmemo);

    statusbar = new QLabel(this);
    statusbar->setObjectName(QStringLiteral("statusbar"));
    statusbar->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    statusbar->setTextFormat(Qt::PlainText);

    MainMenu1 = new QMenuBar(this);
    buildMenu();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(styledmemo, 1);
    layout->addWidget(statusbar);

    OOPHighlighter1 = std::make_unique<kbl::TOOPHighlighter>();
    kbl::applyFileViewerStyles(*OOPHighlighter1);

    FindD = new FindDialog(this);
    connect(FindD, &FindDialog::find, this, &TForm3::FindDFind);

    styledmemo->installEventFilter(this);
    styledmemo->viewport()->installEventFilter(this);

    FormCreate();
}

TForm3::~TForm3()
{
    // FormDestroy: the scan's rules go first; the view lets go of the highlighter
    // before the highlighter itself is released.
    delete ScanMemo;
    ScanMemo = nullptr;
    styledmemo->document().setHighlighter(nullptr);
}

void TForm3::buildMenu()
{
    mnuFile = MainMenu1->addMenu(tr("檔案"));
    mnuFileFont = mnuFile->addAction(tr("字體"), this, &TForm3::mnuFileFontClick);
    mnuFileBackgroundColor =
        mnuFile->addAction(tr("背景顏色"), this, &TForm3::mnuFileBackgroundColorClick);
    mnuFileExit = mnuFile->addAction(tr("離開"), this, &TForm3::mnuFileExitClick);
    mnuFileExit->setShortcut(QKeySequence(Qt::Key_Escape));

    mnuSearch = MainMenu1->addMenu(tr("搜尋"));
    mnuSearchFind = mnuSearch->addAction(tr("尋找"), this, &TForm3::mnuSearchFindClick);
    mnuSearchFind->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    mnuSearchFindNext = mnuSearch->addAction(tr("尋找下一個"), this, &TForm3::mnuSearchFindNextClick);
    mnuSearchFindNext->setShortcut(QKeySequence(Qt::Key_F3));

    mnuProjectFiles = MainMenu1->addMenu(tr("專案檔案"));
    ProjectFilesGroup = new QActionGroup(this);
    ProjectFilesGroup->setExclusive(true);
    connect(ProjectFilesGroup, &QActionGroup::triggered, this, &TForm3::ProjectFileItemClick);

    mnuMethodJumper = MainMenu1->addAction(tr("方法跳躍器"));
    connect(mnuMethodJumper, &QAction::triggered, this, &TForm3::mnuMethodJumperClick);

    for (QAction* action : {mnuFileExit, mnuSearchFind, mnuSearchFindNext})
        addAction(action); // shortcuts work while the menus are closed
}

void TForm3::FormCreate()
{
    IniFile& ini = m_settings;
    namespace f3 = settings::form3;

    ScanMemo = new kbl::TStyledMemo(this);
    ScanMemo->setObjectName(QStringLiteral("ScanMemo"));
    ScanMemo->EnableHotKeys = false;
    ScanMemo->document().ApplyKeyWords = false;
    ScanMemo->document().ApplyStartStopKeys = false;
    ScanMemo->setScrollBars(kbl::ssNone);
    ScanMemo->setWordWrap(true);
    ScanMemo->Separators() = kbl::CharSet(QStringView(ScanSeparators));
    ScanMemo->setLeftMargin(8);
    ScanMemo->setRightMargin(8);
    // The hidden view holds no text: it gives the scan its rules (wrap width, margins,
    // font, word separators) over the text the visible view holds.
    ScanMemo->document().UpdateMode = kbl::umOnNeed;
    ScanMemo->hide();

    move(ini.read(f3::left), ini.read(f3::top));
    resize(ini.read(f3::width), ini.read(f3::height));

    const QScreen* screen = QGuiApplication::primaryScreen();
    ScanMemo->resize(styledmemo->width(), screen ? screen->geometry().height() : styledmemo->height());

    if (ini.read(f3::maximized))
        setWindowState(windowState() | Qt::WindowMaximized);

    QFont font = styledmemo->font();
    font.setFamily(ini.read(f3::fontname));
    if (const int size = ini.read(f3::fontsize); size > 0)
        font.setPointSize(size);
    font.setBold(ini.read(f3::fontbold));
    setViewFont(font, ini.read(f3::fontcolor));
    setViewColor(ini.read(f3::memocolor));

    copyFontToScanMemo();

    ColorDCustomColors = ini.readSectionValues(QLatin1String(settings::form3colors));

    FindD->setFindText(viewer::restoredFindText(ini.read(settings::FindD::FindText)));
}

void TForm3::setViewFont(const QFont& font, qint32 color)
{
    styledmemo->setFont(font);
    FontColor = color;
    QPalette colours = styledmemo->palette();
    colours.setColor(QPalette::Text, platform::toQColor(color));
    colours.setColor(QPalette::WindowText, platform::toQColor(color));
    styledmemo->setPalette(colours);
}

void TForm3::setViewColor(qint32 color)
{
    MemoColor = color;
    styledmemo->setColor(color);
}

void TForm3::copyFontToScanMemo()
{
    // Name, size and style: the scan must wrap its lines as the view does.
    ScanMemo->setFont(styledmemo->font());
}

void TForm3::closeEvent(QCloseEvent* event)
{
    FormClose();
    event->accept(); // a secondary window only hides
}

void TForm3::FormClose()
{
    IniFile& ini = m_settings;
    namespace f3 = settings::form3;
    ini.write(f3::maximized, isMaximized());
    if (!isMaximized() && !isMinimized()) {
        ini.write(f3::left, x());
        ini.write(f3::top, y());
        ini.write(f3::width, width());
        ini.write(f3::height, height());
    }
    for (const QString& line : ColorDCustomColors) {
        const auto [name, value] = viewer::customColorEntry(line);
        if (!name.isEmpty())
            ini.writeString(QLatin1String(settings::form3colors), name, value);
    }
    ini.write(settings::FindD::FindText, viewer::storedFindText(FindD->findText()));
}

void TForm3::mnuFileExitClick() { close(); }

// ---- loading ----

bool TForm3::BeginViewerFile(const QString& path)
{
    // The file is read before anything changes: a file that cannot be shown leaves the
    // text, its name and its highlighting as they were.
    viewer::ViewerFileText file = viewer::readViewerFile(path);
    if (!file.ok) {
        platform::dialogs().message(this, file.problem);
        return false;
    }
    statusbar->setText(u' ' + platform::displayName(path));
    // Detached without re-highlighting the old text, which the new one replaces.
    styledmemo->document().setHighlighter(nullptr);
    styledmemo->document().ApplyKeyWords = false;
    m_highlight = viewer::isHighlightedFile(path);
    // Attaching the highlighter lays the whole text out again: until then the view lays
    // out only what it shows instead of working ahead in the background.
    styledmemo->document().UpdateMode = m_highlight ? kbl::umOnNeed : kbl::umBackground;
    styledmemo->setText(file.text);
    return true;
}

void TForm3::FinishViewerFile()
{
    ScanDeclarations();
    if (m_highlight) {
        // Attaching re-highlights the whole text; with keywords switched on first, that
        // is the one re-highlighting the load needs.
        styledmemo->document().ApplyKeyWords = true;
        styledmemo->document().UpdateMode = kbl::umBackground;
        styledmemo->setHighlighter(OOPHighlighter1.get());
    }
}

void TForm3::LoadViewerFile(const QString& path, QAction* entry)
{
    QPointer<QAction> chosen(entry);
    runLoad([this, path, chosen] { LoadViewerFile(path, chosen); }, [&] {
        if (!BeginViewerFile(path)) {
            // The menu checked the entry when it was chosen; the file shown keeps its mark.
            if (m_shownEntry)
                m_shownEntry->setChecked(true);
            else if (chosen)
                chosen->setChecked(false);
            return;
        }
        m_shownEntry = chosen;
        if (chosen)
            chosen->setChecked(true);
        processPendingMessages(2);
        FinishViewerFile();
    });
}

void TForm3::ViewFile(const QString& path, const QStringList& projectFiles, int openedRow,
                      const std::function<void()>& afterShow)
{
    runLoad([this, path, projectFiles, openedRow, afterShow] { ViewFile(path, projectFiles, openedRow, afterShow); },
            [&] {
                if (!BeginViewerFile(path))
                    return;
                SetProjectFiles(projectFiles, openedRow);
                show();
                raise();
                activateWindow();
                processPendingMessages(2);
                if (afterShow)
                    afterShow();
                FinishViewerFile();
            });
}

void TForm3::runLoad(std::function<void()> request, const std::function<void()>& steps)
{
    if (m_busy) {
        // Asked for from inside the messages that a running load lets through: the
        // newest request runs once that load has finished, so a scan never sees its
        // text replaced under it.
        m_pendingLoad = std::move(request);
        return;
    }
    m_busy = true;
    try {
        steps();
    } catch (...) {
        m_busy = false;
        m_pendingLoad = nullptr;
        throw;
    }
    m_busy = false;
    if (m_pendingLoad)
        std::exchange(m_pendingLoad, nullptr)();
}

void TForm3::SetProjectFiles(const QStringList& fileNames, int checkedRow)
{
    for (QAction* action : ProjectFilesGroup->actions()) {
        ProjectFilesGroup->removeAction(action);
        mnuProjectFiles->removeAction(action);
        delete action;
    }
    if (fileNames.size() < 2) {
        mnuProjectFiles->menuAction()->setVisible(false);
        return;
    }
    for (int row = 0; row < fileNames.size(); ++row) {
        QString caption = platform::displayName(fileNames[row]);
        auto* action = new QAction(caption.replace(u'&', QStringLiteral("&&")), mnuProjectFiles);
        action->setData(fileNames[row]);
        action->setCheckable(true);
        action->setChecked(row == checkedRow);
        if (row == checkedRow)
            m_shownEntry = action;
        ProjectFilesGroup->addAction(action);
        mnuProjectFiles->addAction(action);
    }
    mnuProjectFiles->menuAction()->setVisible(true);
}

void TForm3::ProjectFileItemClick(QAction* entry)
{
    const QString project = m_host.projectFile();
    QString folder = project.left(project.lastIndexOf(u'/') + 1);
    if (folder.isEmpty())
        folder = QStringLiteral("./");
    if (!platform::isFolder(folder)) {
        if (m_shownEntry)
            m_shownEntry->setChecked(true);
        platform::dialogs().message(this, tr("Can't find folder:") + QStringLiteral("\r\n") + folder);
        return;
    }
    LoadViewerFile(folder + entry->data().toString(), entry);
}

// ---- scanning ----

void TForm3::ScanDeclarations()
{
    if (m_scanning) {
        m_rescan = true; // the running scan starts over when it has finished
        return;
    }
    m_scanning = true;
    do {
        m_rescan = false;
        const bool removeParams = RemoveParameterList ? RemoveParameterList() : false;
        TForm4* const jumper = m_jumper;
        if (jumper)
            jumper->clearMethods();
        mnuMethodJumper->setEnabled(false);

        ScanMemo->setGeometry(styledmemo->geometry());
        ScanMemo->setWordWrap(true);
        styledmemo->finishLoad(); // the scan reads the whole text
        processPendingMessages(1);
        if (m_rescan)
            continue; // a new text came in meanwhile

        // No messages run during the scan: the text cannot change under it.
        viewer::DocumentScanAccess access(styledmemo->document(), *ScanMemo);
        const viewer::DeclarationScan scan = viewer::scanDeclarations(access, removeParams);
        mnuMethodJumper->setEnabled(scan.jumperEnabled);
        // The rows go in sorted by the jumper's last sorted column and direction.
        if (jumper && !scan.entries.empty())
            jumper->setMethods(scan.entries);
    } while (m_rescan);
    m_scanning = false;
}

// ---- search ----

void TForm3::mnuSearchFindClick()
{
    m_viewAccess->setSelStart(0);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    FindD->move(area.width() / 2 - 200, area.height() / 2 - 50);
    FindD->execute();
}

void TForm3::FindDFind()
{
    const QString text = FindD->findText();
    if (!m_viewAccess->SearchText(text, FindD->down(), FindD->matchCase(), FindD->wholeWord())) {
        platform::dialogs().message(this, tr("'%1' wasn't found.").arg(text));
        return;
    }
    m_viewAccess->ScrollInView();
    const qint64 line = m_viewAccess->SelLine();
    if (line - FoundLineBelowTop > 0)
        m_viewAccess->setTopLine(line - FoundLineBelowTop);
}

void TForm3::mnuSearchFindNextClick()
{
    if (FindD->findText().isEmpty())
        FindD->execute();
    else
        FindDFind();
}

// ---- font and colour ----

void TForm3::mnuFileFontClick()
{
    const QFont saved = styledmemo->font();
    const qint32 savedColor = FontColor;
    // The dialog opens on the family the view really shows: a stored name that is not
    // installed ("Lucida Console") would preselect some proportional face instead.
    m_shownFamily = QFontInfo(saved).family();
    QFont initial = saved;
    initial.setFamily(m_shownFamily);
    const std::optional<QFont> chosen =
        platform::dialogs().chooseFont(this, initial, [this](const QFont& font) { FontDApply(font); });
    if (chosen) {
        QFont font = styledmemo->font();
        font.setFamily(familyToKeep(*chosen, saved));
        if (chosen->pointSize() > 0)
            font.setPointSize(chosen->pointSize());
        font.setBold(chosen->bold());
        setViewFont(font, FontColor);
        IniFile& ini = m_settings;
        namespace f3 = settings::form3;
        ini.write(f3::fontname, font.family());
        ini.write(f3::fontsize, font.pointSize());
        ini.write(f3::fontcolor, FontColor);
        ini.write(f3::fontbold, styledmemo->font().bold());
    } else {
        setViewFont(saved, savedColor);
    }
    copyFontToScanMemo();
}

QString TForm3::familyToKeep(const QFont& chosen, const QFont& current) const
{
    // The family left as the dialog showed it is no choice of the user's: the requested
    // name stays, and with it the fixed-pitch substitute.
    return chosen.family() == m_shownFamily ? current.family() : chosen.family();
}

void TForm3::FontDApply(const QFont& font)
{
    // The whole style goes to the view while the dialog is open; only OK keeps it.
    QFont applied = styledmemo->font();
    applied.setFamily(familyToKeep(font, applied));
    if (font.pointSize() > 0)
        applied.setPointSize(font.pointSize());
    applied.setBold(font.bold());
    applied.setItalic(font.italic());
    applied.setUnderline(font.underline());
    applied.setStrikeOut(font.strikeOut());
    setViewFont(applied, FontColor);
}

void TForm3::mnuFileBackgroundColorClick()
{
    const std::optional<QColor> chosen =
        platform::dialogs().chooseColor(this, platform::toQColor(MemoColor), ColorDCustomColors);
    if (!chosen)
        return;
    setViewColor(platform::fromQColor(*chosen));
    m_settings.write(settings::form3::memocolor, MemoColor);
}

// ---- keys and mouse ----

void TForm3::ShowMethodJumper()
{
    TForm4* const jumper = m_jumper;
    if (!jumper)
        return;
    jumper->setJumpTarget(m_viewAccess.get());
    jumper->exec();
}

void TForm3::mnuMethodJumperClick() { ShowMethodJumper(); }

void TForm3::FormKeyDown(QKeyEvent* event)
{
    if (event->key() == Qt::Key_End && (event->modifiers() & Qt::AltModifier)) {
        event->accept();
        ShowMethodJumper();
    } else if (event->key() == Qt::Key_F1) {
        event->accept();
        const QString help = m_host.helpFile();
        if (!help.isEmpty() && platform::pathExists(help))
            platform::openHelpTopic(help, ViewerHelpTopic);
    }
}

void TForm3::keyPressEvent(QKeyEvent* event)
{
    event->ignore();
    FormKeyDown(event);
    if (!event->isAccepted())
        QWidget::keyPressEvent(event);
}

void TForm3::styledmemoMouseUp(Qt::MouseButton button)
{
    if (button == Qt::RightButton && mnuMethodJumper->isEnabled())
        ShowMethodJumper();
}

bool TForm3::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == styledmemo && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        key->ignore();
        FormKeyDown(key);
        return key->isAccepted();
    }
    if (watched == styledmemo->viewport() && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton && mnuMethodJumper->isEnabled()) {
            styledmemoMouseUp(mouse->button());
            return true; // the jumper takes the place of the view's own menu
        }
    }
    return QWidget::eventFilter(watched, event);
}
