#include "options/TForm2.h"

#include "catalogue/Exclusions.h"
#include "options/ColorSwatch.h"
#include "options/RadioGroup.h"
#include "options/SystemPath.h"
#include "platform/Files.h"
#include "platform/Process.h"
#include "settings/IniFile.h"

#include <QCheckBox>
#include <QCollator>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString withTrailingSeparator(QString path)
{
    if (!path.endsWith(u'/'))
        path += u'/';
    return path;
}

QCheckBox* checkBox(const QString& caption, const char* name, QWidget* parent, const QString& hint = {})
{
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        box->setToolTip(hint);
    return box;
}

// The dialog's minimum size holds every group only with tight margins.
void compact(QLayout* layout)
{
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(3);
}

QPushButton* button(const QString& caption, const char* name, QWidget* parent, const QString& hint = {})
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    if (!hint.isEmpty())
        b->setToolTip(hint);
    return b;
}

// The choices of the language box, in its order; empty follows the locale.
const char* const LanguageValues[] = {"", "en", "zh_CN", "zh_TW"};

// A value this program does not know follows the locale, as it does at start-up.
int languageIndex(const QString& stored)
{
    for (int i = 1; i < int(std::size(LanguageValues)); ++i)
        if (stored == QLatin1String(LanguageValues[i]))
            return i;
    return 0;
}

} // namespace

TForm2::TForm2(IniFile& settings, OptionsHost& host, QWidget* parent)
    : QDialog(parent), m_settings(settings), m_host(host)
{
    setObjectName(QStringLiteral("TForm2"));
    setWindowTitle(tr("Kestrabel 繁體中文介面翻譯：Kestrabel 團隊"));
    // Only the system menu and the close box: no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setMinimumSize(525, 474);
    PBSystemPath1 = new TPBSystemPath(this);
    buildControls();
    FormCreate();
}

void TForm2::buildControls()
{
    // Root.
    GBoxRoot = new QGroupBox(tr(" 根目錄"), this);
    GBoxRoot->setObjectName(QStringLiteral("GBoxRoot"));
    EditRoot = new QLineEdit(GBoxRoot);
    EditRoot->setObjectName(QStringLiteral("EditRoot"));
    EditRoot->setReadOnly(true);
    ButBrowseForFolder = button(QStringLiteral("..."), "ButBrowseForFolder", GBoxRoot, tr(" 瀏覽根目錄資料夾 "));
    ButBrowseForFolder->setFixedWidth(28);
    auto* rootRow = new QHBoxLayout(GBoxRoot);
    compact(rootRow);
    rootRow->addWidget(EditRoot, 1);
    rootRow->addWidget(ButBrowseForFolder);

    // File manager.
    GBoxFileManager = new QGroupBox(tr(" 檔案管理"), this);
    GBoxFileManager->setObjectName(QStringLiteral("GBoxFileManager"));
    CBoxShowProjFolderInFM = checkBox(tr("顯示專案資料夾在檔案管理當執行專案"), "CBoxShowProjFolderInFM", GBoxFileManager);
    EditFileManager = new QLineEdit(GBoxFileManager);
    EditFileManager->setObjectName(QStringLiteral("EditFileManager"));
    // A program's path, or the name of one on PATH ("dolphin").
    EditFileManager->setPlaceholderText(QStringLiteral("dolphin"));
    ButBrowseForFilemanager = button(QStringLiteral("..."), "ButBrowseForFilemanager", GBoxFileManager, tr(" 瀏覽檔案管理"));
    ButBrowseForFilemanager->setFixedWidth(28);
    LabelFMComLineOption = new QLabel(tr("命令直線行選項："), GBoxFileManager);
    LabelFMComLineOption->setObjectName(QStringLiteral("LabelFMComLineOption"));
    EditFMCommandLineOption = new QLineEdit(GBoxFileManager);
    EditFMCommandLineOption->setObjectName(QStringLiteral("EditFMCommandLineOption"));
    EditFMCommandLineOption->setToolTip(tr(" 輸入任何必要的命令直線行選項(不是專案路徑！) "));
    auto* fm = new QGridLayout(GBoxFileManager);
    compact(fm);
    fm->addWidget(CBoxShowProjFolderInFM, 0, 0, 1, 3);
    fm->addWidget(EditFileManager, 1, 0, 1, 2);
    fm->addWidget(ButBrowseForFilemanager, 1, 2);
    fm->addWidget(LabelFMComLineOption, 2, 0);
    fm->addWidget(EditFMCommandLineOption, 2, 1, 1, 2);

    // File kinds and their colours.
    GBoxShowInFileList = new QGroupBox(tr(" 顯示檔案列表："), this);
    GBoxShowInFileList->setObjectName(QStringLiteral("GBoxShowInFileList"));
    Label1 = new QLabel(tr("顏色："), GBoxShowInFileList);
    Label1->setObjectName(QStringLiteral("Label1"));
    static const char* const kindNames[filepanel::KindCount] = {"DPR", "PAS", "DFM", "DSK", "DOF", "CFG",
                                                                "TXT", "LPI", "LPR", "LFM", "INC"};
    static const char* const kindHints[filepanel::KindCount] = {
        QT_TR_NOOP(" Delphi 專案檔案"), QT_TR_NOOP("單位來源檔案"), QT_TR_NOOP(" Delphi 單"), QT_TR_NOOP(" 桌面設定"),
        QT_TR_NOOP(" 專案選擇檔案"), QT_TR_NOOP(" 專案組態檔案 "), QT_TR_NOOP(" 專案組態檔案 "),
        QT_TR_NOOP(" Lazarus 專案檔案"), QT_TR_NOOP(" Lazarus 程式檔案"), QT_TR_NOOP(" Lazarus 單"),
        QT_TR_NOOP(" 包含檔案")};
    // The swatch hints carry their blank on one side or the other.
    static const char* const swatchHints[filepanel::KindCount] = {
        QT_TR_NOOP(" 按這選擇新的顏色"), QT_TR_NOOP("按這選擇新的顏色 "), QT_TR_NOOP(" 按這選擇新的顏色"),
        QT_TR_NOOP("按這選擇新的顏色 "),  QT_TR_NOOP(" 按這選擇新的顏色"), QT_TR_NOOP("按這選擇新的顏色 "),
        QT_TR_NOOP(" 按這選擇新的顏色"), QT_TR_NOOP(" 按這選擇新的顏色"), QT_TR_NOOP(" 按這選擇新的顏色"),
        QT_TR_NOOP(" 按這選擇新的顏色"), QT_TR_NOOP(" 按這選擇新的顏色")};
    auto* kinds = new QGridLayout(GBoxShowInFileList);
    compact(kinds);
    kinds->setVerticalSpacing(1);
    kinds->addWidget(Label1, 0, 1);
    // The seven kinds of Delphi in the first two columns, the Lazarus kinds beside them.
    constexpr int DelphiKinds = 7;
    for (int k = 0; k < filepanel::KindCount; ++k) {
        const QString suffix = QLatin1String(kindNames[k]);
        auto* box = checkBox(suffix.toLower(), ("cbox" + suffix.toLatin1()).constData(), GBoxShowInFileList,
                             tr(kindHints[k]));
        auto* swatch = new TColorSwatch(GBoxShowInFileList);
        swatch->setObjectName(QStringLiteral("stext") + suffix);
        swatch->setToolTip(tr(swatchHints[k]));
        connect(swatch, &TColorSwatch::clicked, this, &TForm2::stextDPRClick);
        kindBoxes[size_t(k)] = box;
        kindSwatches[size_t(k)] = swatch;
        const int row = k < DelphiKinds ? k + 1 : k - DelphiKinds + 1;
        const int column = k < DelphiKinds ? 0 : 2;
        kinds->addWidget(box, row, column);
        kinds->addWidget(swatch, row, column + 1);
    }
    kinds->setColumnMinimumWidth(2, 12);
    cboxDPR = kindBoxes[0], cboxPAS = kindBoxes[1], cboxDFM = kindBoxes[2], cboxDSK = kindBoxes[3];
    cboxDOF = kindBoxes[4], cboxCFG = kindBoxes[5], cboxTXT = kindBoxes[6];
    stextDPR = kindSwatches[0], stextPAS = kindSwatches[1], stextDFM = kindSwatches[2], stextDSK = kindSwatches[3];
    stextDOF = kindSwatches[4], stextCFG = kindSwatches[5], stextTXT = kindSwatches[6];
    cboxLPI = kindBoxes[7], cboxLPR = kindBoxes[8], cboxLFM = kindBoxes[9], cboxINC = kindBoxes[10];
    stextLPI = kindSwatches[7], stextLPR = kindSwatches[8], stextLFM = kindSwatches[9], stextINC = kindSwatches[10];

    // Other options.
    GBoxOptions = new QGroupBox(tr(" 不同的選擇 "), this);
    GBoxOptions->setObjectName(QStringLiteral("GBoxOptions"));
    CBoxMinExe = checkBox(tr("最小化當執行 exe 檔案"), "CBoxMinExe", GBoxOptions);
    CBoxMinProject = checkBox(tr("最小化 KBL 當執行專案"), "CBoxMinProject", GBoxOptions);
    CBoxMinimizeAllWhenRunProject = checkBox(tr("最小化全部當執行專案"), "CBoxMinimizeAllWhenRunProject", GBoxOptions);
    CBoxDontLoadList = checkBox(tr("不載入儲存列表"), "CBoxDontLoadList", GBoxOptions, tr(" 不載入儲存列表"));
    CBoxLazarusProjects = checkBox(tr("掃描 Lazarus 專案 (.lpi)"), "CBoxLazarusProjects", GBoxOptions,
                                   tr(" 掃描時也列出 Lazarus 專案"));
    CBoxFollowChanges = checkBox(tr("跟隨根目錄下的變化"), "CBoxFollowChanges", GBoxOptions,
                                 tr(" 不必重新掃描，專案列表即跟隨專案的出現與消失"));
    auto* opts = new QVBoxLayout(GBoxOptions);
    compact(opts);
    for (QCheckBox* box : {CBoxMinExe, CBoxMinProject, CBoxMinimizeAllWhenRunProject, CBoxDontLoadList, CBoxLazarusProjects,
                           CBoxFollowChanges})
        opts->addWidget(box);

    RGroupOnDoubleClick = new TRadioGroup(tr(" 雙按一列表項目執行："),
                                          {tr("Exe 檔案"), tr("專案")}, 2, this);
    RGroupOnDoubleClick->setObjectName(QStringLiteral("RGroupOnDoubleClick"));

    GBoxMethodJumper = new QGroupBox(tr(" 方法跳躍器："), this);
    GBoxMethodJumper->setObjectName(QStringLiteral("GBoxMethodJumper"));
    CBoxRemoveParameterList = checkBox(tr("移去參數列表"), "CBoxRemoveParameterList", GBoxMethodJumper);
    auto* jumper = new QVBoxLayout(GBoxMethodJumper);
    compact(jumper);
    jumper->addWidget(CBoxRemoveParameterList);

    // Excluded folders.
    GBoxExcludeTheseFolders = new QGroupBox(tr(" 排除這些資料夾當掃描："), this);
    GBoxExcludeTheseFolders->setObjectName(QStringLiteral("GBoxExcludeTheseFolders"));
    lbox = new QListWidget(GBoxExcludeTheseFolders);
    lbox->setObjectName(QStringLiteral("lbox"));
    lbox->setSelectionMode(QAbstractItemView::SingleSelection);
    lbox->installEventFilter(this);
    ButAddFolder = button(tr("增加"), "ButAddFolder", GBoxExcludeTheseFolders, tr(" 增加資料夾到列表 "));
    ButRemove = button(tr("移除"), "ButRemove", GBoxExcludeTheseFolders, tr(" 移除選擇資料夾由列表 "));
    CBoxDisableExcludedFolders = checkBox(tr("取消", "turns the exclusions off"), "CBoxDisableExcludedFolders", GBoxExcludeTheseFolders,
                                          tr(" Don't exclude these folders when scanning "));
    lbox->setMinimumHeight(60);
    auto* ex = new QGridLayout(GBoxExcludeTheseFolders);
    compact(ex);
    ex->addWidget(lbox, 0, 0, 4, 1);
    ex->addWidget(ButAddFolder, 0, 1);
    ex->addWidget(ButRemove, 1, 1);
    ex->addWidget(CBoxDisableExcludedFolders, 2, 1);
    ex->setRowStretch(3, 1);
    ex->setColumnStretch(0, 1);

    ButOK = button(tr("確定"), "ButOK", this);
    ButOK->setDefault(true);
    ButCancel = button(tr("取消"), "ButCancel", this);

    // Language, in the row of the buttons: the groups above fill the dialog's height.
    LabelLanguage = new QLabel(tr("介面語言："), this);
    LabelLanguage->setObjectName(QStringLiteral("LabelLanguage"));
    CBoxLanguage = new QComboBox(this);
    CBoxLanguage->setObjectName(QStringLiteral("CBoxLanguage"));
    CBoxLanguage->addItems({tr("跟隨系統"), tr("英文"), tr("簡體中文"), tr("繁體中文")});
    CBoxLanguage->setToolTip(tr(" 介面的語言；跟隨系統使用系統的語言設定 "));
    LabelLanguage->setBuddy(CBoxLanguage);
    LabelLanguageRestart = new QLabel(tr("下次啟動時生效"), this);
    LabelLanguageRestart->setObjectName(QStringLiteral("LabelLanguageRestart"));

    // The controls' first states; LoadOptions then sets them all from the settings.
    cboxDPR->setChecked(true);
    cboxPAS->setChecked(true);
    CBoxMinProject->setChecked(true);
    CBoxMinimizeAllWhenRunProject->setChecked(true);
    CBoxLazarusProjects->setChecked(true);
    CBoxFollowChanges->setChecked(true);
    RGroupOnDoubleClick->setItemIndex(0);

    auto* top = new QHBoxLayout;
    auto* leftColumn = new QVBoxLayout;
    leftColumn->addWidget(GBoxRoot);
    leftColumn->addWidget(GBoxFileManager);
    leftColumn->addStretch(1);
    top->addLayout(leftColumn, 1);
    top->addWidget(GBoxShowInFileList);
    auto* middle = new QHBoxLayout;
    middle->addWidget(GBoxOptions, 1);
    auto* middleRight = new QVBoxLayout;
    middleRight->addWidget(RGroupOnDoubleClick);
    middleRight->addWidget(GBoxMethodJumper);
    middle->addLayout(middleRight);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(LabelLanguage);
    buttons->addWidget(CBoxLanguage);
    buttons->addWidget(LabelLanguageRestart);
    buttons->addStretch(1);
    buttons->addWidget(ButOK);
    buttons->addWidget(ButCancel);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(6, 6, 6, 6);
    all->setSpacing(4);
    all->addLayout(top);
    all->addLayout(middle);
    all->addWidget(GBoxExcludeTheseFolders, 1);
    all->addLayout(buttons);

    connect(ButBrowseForFolder, &QPushButton::clicked, this, &TForm2::ButBrowseForFolderClick);
    connect(ButBrowseForFilemanager, &QPushButton::clicked, this, &TForm2::ButBrowseForFilemanagerClick);
    connect(ButAddFolder, &QPushButton::clicked, this, &TForm2::ButAddFolderClick);
    connect(ButRemove, &QPushButton::clicked, this, &TForm2::ButRemoveClick);
    connect(ButOK, &QPushButton::clicked, this, &TForm2::ButOKClick);
    connect(ButCancel, &QPushButton::clicked, this, &QDialog::reject);
    // OK, cancel, Esc and the close box all end in finished().
    connect(this, &QDialog::finished, this, &TForm2::FormClose);
}

bool TForm2::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lbox && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        lboxKeyDown(key->key(), key->modifiers());
    }
    return QDialog::eventFilter(watched, event);
}

void TForm2::FormCreate()
{
    const IniFile& ini = m_settings;
    namespace f2 = settings::form2;
    setGeometry(ini.read(f2::left), ini.read(f2::top), ini.read(f2::width), ini.read(f2::height));
    LoadOptions();
}

void TForm2::LoadOptions()
{
    const IniFile& ini = m_settings;
    namespace o = settings::options;

    const QString root = ini.read(o::EditRoot);
    if (!root.isEmpty())
        EditRoot->setText(withTrailingSeparator(root));

    CBoxMinExe->setChecked(ini.read(o::CBoxMinExe));
    CBoxMinProject->setChecked(ini.read(o::CBoxMinProject));
    CBoxMinimizeAllWhenRunProject->setChecked(ini.read(o::CBoxMinimizeAllWhenRunProject));
    CBoxDontLoadList->setChecked(ini.read(o::CBoxDontLoadList));
    CBoxShowProjFolderInFM->setChecked(ini.read(o::CBoxShowProjFolderInFM));
    CBoxDisableExcludedFolders->setChecked(ini.read(o::CBoxDisableExcludedFolders));
    for (size_t k = 0; k < kindBoxes.size(); ++k)
        kindBoxes[k]->setChecked(ini.read(o::showKinds[k]));

    RGroupOnDoubleClick->setItemIndex(ini.read(o::RGroupOnDoubleClick));

    EditFileManager->setText(ini.read(o::EditFileManagerText));
    EditFMCommandLineOption->setText(ini.read(o::EEditFMCommandLineOptionText));

    // Propose the desktop's folder program; it is stored with the next OK.
    if (EditFileManager->text().isEmpty()) {
        const QString proposal = TPBSystemPath::ProposedFileManager();
        if (!proposal.isEmpty() && platform::pathExists(proposal))
            EditFileManager->setText(proposal);
    }

    showDoubleClickChoice();

    for (const QString& folder : readExcludedFolders(ini, MissingExcludeEntries))
        addExcludedFolder(folder);

    for (size_t k = 0; k < kindSwatches.size(); ++k)
        kindSwatches[k]->setColor(ini.read(o::kindColors[k]));

    CBoxLazarusProjects->setChecked(ini.read(o::CBoxLazarusProjects));
    CBoxFollowChanges->setChecked(ini.read(o::CBoxFollowChanges));
    CBoxRemoveParameterList->setChecked(ini.read(o::CBoxRemoveParameterList));

    CBoxLanguage->setCurrentIndex(languageIndex(ini.read(o::language)));

    m_host.setKindColors(swatchColors());

    colordCustomColors = ini.readSectionValues(QLatin1String(settings::customcolors));
}

void TForm2::showDoubleClickChoice()
{
    switch (RGroupOnDoubleClick->ItemIndex()) {
    case 0: m_host.showDoubleClickAction(tr("exe")); break;
    case 1: m_host.showDoubleClickAction(tr("prjct")); break;
    default: break;
    }
}

void TForm2::ButOKClick()
{
    IniFile& ini = m_settings;
    namespace o = settings::options;

    ini.write(o::EditRoot, EditRoot->text());
    ini.write(o::CBoxMinExe, CBoxMinExe->isChecked());
    ini.write(o::CBoxMinProject, CBoxMinProject->isChecked());
    ini.write(o::CBoxMinimizeAllWhenRunProject, CBoxMinimizeAllWhenRunProject->isChecked());
    ini.write(o::CBoxDontLoadList, CBoxDontLoadList->isChecked());
    ini.write(o::CBoxShowProjFolderInFM, CBoxShowProjFolderInFM->isChecked());
    ini.write(o::CBoxDisableExcludedFolders, CBoxDisableExcludedFolders->isChecked());
    for (size_t k = 0; k < kindBoxes.size(); ++k)
        ini.write(o::showKinds[k], kindBoxes[k]->isChecked());

    filepanel::KindFlags shown{};
    for (size_t k = 0; k < kindBoxes.size(); ++k)
        shown[k] = kindBoxes[k]->isChecked();
    m_host.setShownKinds(shown);

    ini.write(o::RGroupOnDoubleClick, RGroupOnDoubleClick->ItemIndex());
    ini.write(o::EditFileManagerText, EditFileManager->text().trimmed());
    ini.write(o::EEditFMCommandLineOptionText, EditFMCommandLineOption->text());

    namespace ex = settings::exclude;
    ini.eraseSection(QLatin1String(ex::Section));
    if (lbox->count() > 0) {
        ini.write(ex::number, lbox->count() - 1);
        for (int i = 0; i < lbox->count(); ++i)
            ini.writeString(QLatin1String(ex::Section), ex::entryKey(i), lbox->item(i)->text());
    }

    showDoubleClickChoice();

    m_host.setKindColors(swatchColors());
    for (size_t k = 0; k < kindSwatches.size(); ++k)
        ini.write(o::kindColors[k], kindSwatches[k]->color());

    ini.write(o::CBoxLazarusProjects, CBoxLazarusProjects->isChecked());
    ini.write(o::CBoxFollowChanges, CBoxFollowChanges->isChecked());
    m_host.setFollowChanges(CBoxFollowChanges->isChecked());
    ini.write(o::CBoxRemoveParameterList, CBoxRemoveParameterList->isChecked());
    // Written only when changed, so a file that never chose a language stays without the key.
    const int language = CBoxLanguage->currentIndex();
    if (language >= 0 && language < int(std::size(LanguageValues)) && language != languageIndex(ini.read(o::language)))
        ini.write(o::language, QLatin1String(LanguageValues[language]));

    accept();
}

filepanel::KindColors TForm2::swatchColors() const
{
    filepanel::KindColors colors{};
    for (size_t k = 0; k < kindSwatches.size(); ++k)
        colors[k] = kindSwatches[k]->color();
    return colors;
}

void TForm2::FormClose()
{
    IniFile& ini = m_settings;
    namespace f2 = settings::form2;
    ini.write(f2::left, x());
    ini.write(f2::top, y());
    ini.write(f2::width, width());
    ini.write(f2::height, height());
    for (const QString& line : colordCustomColors) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq <= 0)
            continue;
        ini.writeString(QLatin1String(settings::customcolors), line.left(eq),
                        line.mid(eq + 1, settings::MaxCustomColorValueLength));
    }
}

void TForm2::ButBrowseForFolderClick()
{
    const auto folder = platform::dialogs().chooseFolder(this, m_host.rootFolder());
    if (!folder)
        return;
    // Takes effect in the main window at once, even if the dialog is then cancelled.
    EditRoot->setText(withTrailingSeparator(*folder));
    m_host.setRootFolder(*folder);
}

void TForm2::ButBrowseForFilemanagerClick()
{
    QString start = QDir::rootPath();
    if (!EditFileManager->text().isEmpty()) {
        const QString folder = QFileInfo(EditFileManager->text()).path();
        if (QFileInfo(folder).isDir())
            start = folder;
    }
    // All files first: Linux programs have no ".exe".
    const auto file = platform::dialogs().openFile(this, tr("選擇檔案管理"), start,
                                                   tr("全部檔案(*);;Exe 檔案(*.exe)"));
    if (!file)
        return;
    const QString chosen = QFileInfo(*file).absoluteFilePath();
    if (!platform::isExecutableFile(chosen)) {
        platform::dialogs().message(this, tr("Not a program (it may not be executed):") + QStringLiteral("\r\n") + chosen);
        return;
    }
    EditFileManager->setText(chosen);
}

void TForm2::ButAddFolderClick()
{
    const auto folder = platform::dialogs().chooseFolder(this, EditRoot->text());
    if (!folder)
        return;
    for (int i = 0; i < lbox->count(); ++i) {
        if (lbox->item(i)->text() == *folder) {
            platform::dialogs().box(this, tr("The selected folder is in the list already."),
                                    tr("Folder already listed"), platform::BoxIcon::Information);
            return;
        }
    }
    addExcludedFolder(*folder);
}

void TForm2::addExcludedFolder(const QString& folder)
{
    // A sorted list box: the new entry goes before the first that sorts after it.
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    int at = lbox->count();
    while (at > 0 && collator.compare(lbox->item(at - 1)->text(), folder) > 0)
        --at;
    lbox->insertItem(at, folder);
}

void TForm2::ButRemoveClick()
{
    if (lbox->count() == 0)
        return;
    const QList<QListWidgetItem*> selected = lbox->selectedItems();
    if (selected.isEmpty())
        return;
    delete lbox->takeItem(lbox->row(selected.front()));
}

void TForm2::lboxKeyDown(int key, Qt::KeyboardModifiers)
{
    if (key == Qt::Key_Delete)
        ButRemoveClick();
}

void TForm2::stextDPRClick(TColorSwatch* Sender)
{
    const auto color = platform::dialogs().chooseColor(this, platform::toQColor(Sender->color()), colordCustomColors);
    if (color)
        Sender->setColor(platform::fromQColor(*color));
}
