#include "launch/ProjectLaunch.h"

#include "platform/ShowDesktop.h"
#include "support/RecordingProgram.h"
#include "support/ScriptedDialogs.h"
#include "support/TempDesktop.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <QWidget>
#include <gtest/gtest.h>

#include <functional>

using namespace launch;
using kbltest::RecordingProgram;

namespace {

class MemorySetting final : public IdePathSetting {
public:
    QString read() const override { return value; }
    void write(const QString& path) override
    {
        value = path;
        ++writes;
    }
    QString value;
    int writes = 0;
};

// Stands in for the window manager: records the request and answers as told.
class RecordedShowDesktop final : public platform::ShowDesktop {
public:
    bool request() override
    {
        ++requests;
        if (onRequest)
            onRequest();
        return accept;
    }
    int requests = 0;
    bool accept = true;
    std::function<void()> onRequest;
};

void touch(const QString& path, bool executable = false)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.close();
    if (executable)
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
}

// Long enough for a wrongly started program to have written its record.
void settle() { QThread::msleep(300); }

} // namespace

class Launch : public ::testing::Test {
protected:
    void SetUp() override
    {
        kbltest::dialogs().reset();
        auto recorded = std::make_unique<RecordedShowDesktop>();
        showDesktop = recorded.get();
        platform::setShowDesktop(std::move(recorded));
        labelRoot = desktop.root() + QStringLiteral("/work");
        touch(labelRoot + projectPath);
        window.show();
    }

    void TearDown() override { platform::setShowDesktop(nullptr); }

    ProjectRow row(ListKind list) const { return {list, labelRoot + u'/', labelRoot, projectPath, QString()}; }

    void associateIde()
    {
        desktop.writeApplication(desktop.dataDir(), QStringLiteral("ide.desktop"), u'"' + ide.path() + QStringLiteral("\" %f"));
        desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                              QStringLiteral("[Default Applications]\ntext/x-pascal=ide.desktop\n"));
    }

    LaunchOptions quietOptions() const
    {
        LaunchOptions options;
        options.minProject = false;
        options.minimizeAllWhenRunProject = false;
        return options;
    }

    kbltest::TempDesktop desktop;
    RecordingProgram ide{desktop.root(), QStringLiteral("ide")};
    RecordingProgram fm{desktop.root(), QStringLiteral("fm")};
    RecordedShowDesktop* showDesktop = nullptr;
    MemorySetting setting;
    QWidget window;
    QString labelRoot;
    const QString projectPath = QStringLiteral("/Tools/My \"Tool\" $(touch x); b\nc/Project 1.dpr");
};

TEST_F(Launch, TheAssociatedIdeIsUsedAndNeverStored)
{
    associateIde();
    setting.value = QStringLiteral("/stale/delphi32.exe");
    runProject(&window, row(ListKind::Main), quietOptions(), setting);
    const auto record = ide.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, QStringList{labelRoot + projectPath});
    // The IDE starts in the project's folder.
    EXPECT_EQ(record->workingFolder, QFileInfo(labelRoot + projectPath).path());
    EXPECT_EQ(setting.writes, 0);
    EXPECT_EQ(kbltest::dialogs().inputCalls, 0);
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}

TEST_F(Launch, TheStoredPathServesWhenTheAssociationFails)
{
    // An association whose program is missing, or names no program at all.
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("gone.desktop"), QStringLiteral("/nonexistent/ide %f"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          QStringLiteral("[Default Applications]\ntext/x-pascal=gone.desktop\n"));
    setting.value = ide.path();
    runProject(&window, row(ListKind::Hotlist), quietOptions(), setting);
    ASSERT_TRUE(ide.waitForRecord());
    EXPECT_EQ(ide.waitForRecord()->arguments, QStringList{labelRoot + projectPath});
    EXPECT_EQ(kbltest::dialogs().inputCalls, 0);
}

TEST_F(Launch, ATypedPathIsAskedForAndStoredBeforeTheProjectIsChecked)
{
    kbltest::dialogs().inputs.push_back(ide.path());
    ProjectRow missing = row(ListKind::Main);
    missing.projectPath = QStringLiteral("/Gone/Project1.dpr");
    runProject(&window, missing, quietOptions(), setting);

    EXPECT_EQ(kbltest::dialogs().lastInputCaption, QStringLiteral("Enter path to delphi32.exe"));
    EXPECT_EQ(kbltest::dialogs().lastInputPrompt, QStringLiteral("Can't find the Delphi executable. Please enter path:"));
    EXPECT_EQ(setting.value, ide.path());
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, QStringLiteral("Can't find ") + labelRoot + QStringLiteral("/Gone/Project1.dpr"));
    EXPECT_TRUE(kbltest::dialogs().boxes[0].caption.isEmpty());
    settle();
    EXPECT_FALSE(ide.ran());
}

TEST_F(Launch, AWrongTypedPathEndsTheLaunchWithoutStoringIt)
{
    const QString plainFile = desktop.root() + QStringLiteral("/delphi32.exe");
    touch(plainFile);
    for (const std::optional<QString>& typed :
         {std::optional<QString>(), std::optional<QString>(desktop.root()), std::optional<QString>(plainFile),
          std::optional<QString>(QStringLiteral("/nonexistent/delphi32.exe"))}) {
        kbltest::dialogs().reset();
        kbltest::dialogs().inputs.push_back(typed);
        runProject(&window, row(ListKind::Main), quietOptions(), setting);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, QStringLiteral("Please try again."));
        EXPECT_EQ(kbltest::dialogs().boxes[0].caption, QStringLiteral("Wrong path"));
        EXPECT_EQ(kbltest::dialogs().boxes[0].icon, platform::BoxIcon::Warning);
    }
    EXPECT_EQ(setting.writes, 0);
    EXPECT_EQ(showDesktop->requests, 0);
}

TEST_F(Launch, TheFileManagerComesBeforeMinimisingAllAndTheIdeAfter)
{
    associateIde();
    LaunchOptions options;
    options.minProject = true;
    options.showProjFolderInFM = true;
    options.minimizeAllWhenRunProject = true;
    options.fileManager = fm.path();
    options.fmCommandLineOption = QStringLiteral("--select \"two words\"");
    bool fmDoneBeforeRequest = false, ideBeforeRequest = true;
    showDesktop->onRequest = [&] {
        fmDoneBeforeRequest = fm.ran();
        ideBeforeRequest = ide.ran();
    };

    runProject(&window, row(ListKind::Main), options, setting);
    EXPECT_TRUE(window.isMinimized());
    EXPECT_EQ(showDesktop->requests, 1);
    EXPECT_TRUE(fmDoneBeforeRequest); // waited for, so it has run by then
    EXPECT_FALSE(ideBeforeRequest);
    const auto fmRecord = fm.waitForRecord();
    ASSERT_TRUE(fmRecord);
    const QString folder = QFileInfo(labelRoot + projectPath).path();
    EXPECT_EQ(fmRecord->arguments, (QStringList{"--select", "two words", folder}));
    ASSERT_TRUE(ide.waitForRecord());
}

TEST_F(Launch, FromTheHotlistTheFolderKeepsItsSeparator)
{
    associateIde();
    LaunchOptions options = quietOptions();
    options.showProjFolderInFM = true;
    options.fileManager = fm.path();
    runProject(&window, row(ListKind::Hotlist), options, setting);
    const auto fmRecord = fm.waitForRecord();
    ASSERT_TRUE(fmRecord);
    EXPECT_EQ(fmRecord->arguments, QStringList{QFileInfo(labelRoot + projectPath).path() + u'/'});
    ASSERT_TRUE(ide.waitForRecord());
    EXPECT_EQ(showDesktop->requests, 0);
    EXPECT_FALSE(window.isMinimized());
}

TEST_F(Launch, AMissingFileManagerOrBadOptionTextStillOpensTheIde)
{
    associateIde();
    LaunchOptions options = quietOptions();
    options.showProjFolderInFM = true;
    options.fileManager = desktop.root(); // a folder, not a program
    runProject(&window, row(ListKind::Main), options, setting);
    ASSERT_TRUE(ide.waitForRecord());
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());

    QFile::remove(ide.path() + QStringLiteral(".record"));
    options.fileManager = fm.path();
    options.fmCommandLineOption = QStringLiteral("--title \"unclosed");
    runProject(&window, row(ListKind::Main), options, setting);
    ASSERT_TRUE(ide.waitForRecord());
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_TRUE(kbltest::dialogs().boxes[0].text.contains(QStringLiteral("--title \"unclosed")));
    settle();
    EXPECT_FALSE(fm.ran());
}

TEST_F(Launch, MinimisingAllFallsBackToOurOwnWindows)
{
    associateIde();
    showDesktop->accept = false;
    LaunchOptions options = quietOptions();
    options.minimizeAllWhenRunProject = true;
    runProject(&window, row(ListKind::Main), options, setting);
    EXPECT_EQ(showDesktop->requests, 1);
    EXPECT_TRUE(window.isMinimized());
    ASSERT_TRUE(ide.waitForRecord());
}

TEST_F(Launch, RunExeStartsTheExecutableOrSaysWhy)
{
    ProjectRow exeRow = row(ListKind::Main);
    LaunchOptions options;
    options.minExe = true;

    // No executable name: nothing at all.
    runExe(&window, exeRow, options);
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
    EXPECT_FALSE(window.isMinimized());

    // A missing file: the message, and no minimising.
    exeRow.exeName = QStringLiteral("Project 1.exe");
    runExe(&window, exeRow, options);
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text,
              QStringLiteral("Can't find ") + QFileInfo(labelRoot + projectPath).path() + QStringLiteral("/Project 1.exe"));
    EXPECT_FALSE(window.isMinimized());

    // A program: started with no arguments in its own folder, then minimised.
    RecordingProgram exe(QFileInfo(labelRoot + projectPath).path(), QStringLiteral("Project 1.exe"));
    runExe(&window, exeRow, options);
    const auto record = exe.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->arguments.isEmpty());
    EXPECT_EQ(record->workingFolder, QFileInfo(labelRoot + projectPath).path());
    EXPECT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_TRUE(window.isMinimized());
}

TEST_F(Launch, RunExeWithoutTheExecuteBitGoesToTheDesktop)
{
    ProjectRow exeRow = row(ListKind::Hotlist);
    exeRow.exeName = QStringLiteral("Project 1.scr");
    const QString path = QFileInfo(labelRoot + projectPath).path() + QStringLiteral("/Project 1.scr");
    touch(path);
    LaunchOptions options;
    options.minExe = true;

    // Nothing opens such files: the failure is shown, and the program still minimises.
    runExe(&window, exeRow, options);
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].caption, QStringLiteral("Unsuccessful"));
    EXPECT_EQ(kbltest::dialogs().boxes[0].icon, platform::BoxIcon::Warning);
    EXPECT_FALSE(kbltest::dialogs().boxes[0].text.isEmpty());
    EXPECT_TRUE(window.isMinimized());

    // With an application for it, the file is handed over as one argument.
    RecordingProgram opener(desktop.root(), QStringLiteral("opener"));
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("opener.desktop"), opener.path() + QStringLiteral(" %f"),
                             QStringLiteral("MimeType=application/x-ms-dos-executable;application/octet-stream;\n"));
    kbltest::dialogs().reset();
    runExe(&window, exeRow, options);
    const auto record = opener.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, QStringList{path});
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}

TEST_F(Launch, OpenFolderChecksTheFolderThenTheFileManager)
{
    LaunchOptions options;
    ProjectRow gone = row(ListKind::Main);
    gone.projectPath = QStringLiteral("/Moved/Project1.dpr");
    options.fileManager = fm.path();
    openFolder(&window, gone, options);
    ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
    EXPECT_EQ(kbltest::dialogs().boxes[0].text, QStringLiteral("Please rescan your Delphi projects."));
    EXPECT_EQ(kbltest::dialogs().boxes[0].caption, QStringLiteral("Folder not found"));

    for (const QString& manager : {QString(), desktop.root(), desktop.root() + QStringLiteral("/none")}) {
        kbltest::dialogs().reset();
        options.fileManager = manager;
        openFolder(&window, row(ListKind::Hotlist), options);
        ASSERT_EQ(kbltest::dialogs().boxes.size(), 1u);
        EXPECT_EQ(kbltest::dialogs().boxes[0].text, QStringLiteral("Can't find filemanager:\r\n") + manager);
        EXPECT_TRUE(kbltest::dialogs().boxes[0].caption.isEmpty());
    }

    kbltest::dialogs().reset();
    options.fileManager = fm.path();
    options.fmCommandLineOption = QStringLiteral("\"--title");
    openFolder(&window, row(ListKind::Main), options);
    EXPECT_EQ(kbltest::dialogs().boxes.size(), 1u);
    settle();
    EXPECT_FALSE(fm.ran());

    kbltest::dialogs().reset();
    options.fmCommandLineOption = QStringLiteral("-n");
    openFolder(&window, row(ListKind::Main), options);
    const auto record = fm.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{"-n", QFileInfo(labelRoot + projectPath).path() + u'/'}));
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}

TEST_F(Launch, AnAssociationWithArgumentsRunsThroughItsExecLine)
{
    // The Exec line of a wrapped IDE: a program with arguments before the field code.
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("wrapped.desktop"),
                             QStringLiteral("env GDK_BACKEND=x11 \"") + ide.path() + QStringLiteral("\" --pcp=/x %f"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          QStringLiteral("[Default Applications]\ntext/x-pascal=wrapped.desktop\n"));
    runProject(&window, row(ListKind::Main), quietOptions(), setting);
    const auto record = ide.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{"--pcp=/x", labelRoot + projectPath}));
    EXPECT_EQ(record->workingFolder, QFileInfo(labelRoot + projectPath).path());
    EXPECT_EQ(setting.writes, 0);
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}

TEST_F(Launch, ALazarusProjectOpensWithTheLazarusAssociationElsePascalSource)
{
    RecordingProgram lazarus{desktop.root(), QStringLiteral("lazarus")};
    const QString project = QStringLiteral("/Laz/My App.lpi");
    touch(labelRoot + project);
    ProjectRow lpi = row(ListKind::Hotlist);
    lpi.projectPath = project;
    associateIde(); // text/x-pascal
    runProject(&window, lpi, quietOptions(), setting);
    ASSERT_TRUE(ide.waitForRecord());
    EXPECT_EQ(ide.waitForRecord()->arguments, QStringList{labelRoot + project});

    desktop.writeApplication(desktop.dataDir(), QStringLiteral("lazarus.desktop"), lazarus.path() + QStringLiteral(" %f"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          QStringLiteral("[Default Applications]\ntext/x-pascal=ide.desktop\n"
                                         "application/x-lazarus-project=lazarus.desktop\n"));
    runProject(&window, lpi, quietOptions(), setting);
    const auto record = lazarus.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, QStringList{labelRoot + project});
}

TEST_F(Launch, AStoredOrTypedIdeMayCarryArguments)
{
    setting.value = u'"' + ide.path() + QStringLiteral("\" --pcp=/stored");
    runProject(&window, row(ListKind::Main), quietOptions(), setting);
    auto record = ide.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{"--pcp=/stored", labelRoot + projectPath}));
    EXPECT_EQ(kbltest::dialogs().inputCalls, 0);

    // Typed, it is stored as typed.
    RecordingProgram typedIde{desktop.root(), QStringLiteral("typed ide")};
    setting.value.clear();
    const QString typed = u'"' + typedIde.path() + QStringLiteral("\" %f --quiet");
    kbltest::dialogs().inputs.push_back(typed);
    runProject(&window, row(ListKind::Main), quietOptions(), setting);
    record = typedIde.waitForRecord();
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, (QStringList{labelRoot + projectPath, "--quiet"}));
    EXPECT_EQ(setting.value, typed);
}

TEST_F(Launch, AFileManagerNamedByItsProgramOnPathOpensTheFolder)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(desktop.root()) + ':' + path);
    LaunchOptions options;
    options.fileManager = QStringLiteral("fm");
    openFolder(&window, row(ListKind::Main), options);
    const auto record = fm.waitForRecord();
    qputenv("PATH", path);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->arguments, QStringList{QFileInfo(labelRoot + projectPath).path() + u'/'});
    // The file manager starts where Kestrabel runs, as before.
    EXPECT_EQ(record->workingFolder, QDir::currentPath());
    EXPECT_TRUE(kbltest::dialogs().boxes.empty());
}
