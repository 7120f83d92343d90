#include "options/SystemPath.h"
#include "platform/DesktopAssociation.h"
#include "platform/UserDirs.h"

#include "XdgSandbox.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <map>
#include <optional>

using kbltest::XdgSandbox;

namespace {

std::optional<platform::DesktopEntry> folderApplication()
{
    return platform::defaultApplication({"inode/directory"}, platform::XdgFolders::fromEnvironment());
}

QString expand(const QString& value)
{
    static const std::map<QString, QString> env = {
        {"USERPROFILE", "/home/ana"}, {"A", "one"}, {"B", "two"}, {"EMPTY", ""}};
    return ExpandEnvironmentReference(value, [](const QString& name) {
        const auto it = env.find(name);
        return it == env.end() ? QString() : it->second;
    });
}

} // namespace

TEST(EnvironmentReference, OnlyTheLastCompleteReferenceIsExpanded)
{
    EXPECT_EQ(expand("%USERPROFILE%\\Favorites"), "/home/ana\\Favorites");
    EXPECT_EQ(expand("%A%\\%B%"), "%A%\\two");
    EXPECT_EQ(expand("x%A%y"), "xoney");
    // An odd "%": the last opening one comes after the last closing one.
    EXPECT_EQ(expand("%A%B%"), "%A%B%");
    EXPECT_EQ(expand("%UNKNOWN%\\x"), "%UNKNOWN%\\x");
    EXPECT_EQ(expand("%EMPTY%"), "%EMPTY%");
    EXPECT_EQ(expand("%%"), "%%");
    EXPECT_EQ(expand("no reference"), "no reference");
    EXPECT_EQ(expand(""), "");
    // No limit of 260 characters on the result.
    const QString longValue = "%A%" + QString(400, 'z');
    EXPECT_EQ(expand(longValue), "one" + QString(400, 'z'));
}

TEST(EnvironmentReference, ReadsTheProcessEnvironment)
{
    qputenv("KBL_TEST_FOLDER", "/srv/kbl");
    EXPECT_EQ(ExpandEnvironmentReference("%KBL_TEST_FOLDER%/x"), "/srv/kbl/x");
    qunsetenv("KBL_TEST_FOLDER");
    EXPECT_EQ(ExpandEnvironmentReference("%KBL_TEST_FOLDER%/x"), "%KBL_TEST_FOLDER%/x");
}

TEST(ProposedFileManager, DefaultFolderApplicationFromMimeappsList)
{
    XdgSandbox xdg;
    const QString fm = xdg.program("fakefm");
    // The first listed entry is not installed; the second is.
    xdg.write("config/mimeapps.list",
              "[Added Associations]\ninode/directory=wrong.desktop\n"
              "[Default Applications]\ntext/plain=ed.desktop\ninode/directory=missing.desktop;fake.desktop;\n");
    xdg.write("usr/applications/fake.desktop", "[Desktop Entry]\nType=Application\nName=Fake\n"
                                               "Exec=fakefm --new-window %U\n[Desktop Action x]\nExec=other\n");
    const auto app = folderApplication();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->id, "fake.desktop");
    EXPECT_EQ(app->exec, "fakefm --new-window %U");
    EXPECT_EQ(platform::proposedFileManager(), fm);
    EXPECT_EQ(TPBSystemPath::ProposedFileManager(), fm);
}

TEST(ProposedFileManager, DesktopSpecificListsComeFirst)
{
    XdgSandbox xdg;
    xdg.write("etc/mimeapps.list", "[Default Applications]\ninode/directory=common.desktop\n");
    xdg.write("etc/test-mimeapps.list", "[Default Applications]\ninode/directory=special.desktop\n");
    xdg.write("data/applications/common.desktop", "[Desktop Entry]\nType=Application\nExec=common\n");
    xdg.write("data/applications/special.desktop", "[Desktop Entry]\nType=Application\nExec=special\n");
    const auto app = folderApplication();
    ASSERT_TRUE(app);
    EXPECT_EQ(app->id, "special.desktop");
}

TEST(ProposedFileManager, WithoutDefaultTheFirstKnownFileManagerOnPath)
{
    XdgSandbox xdg;
    EXPECT_EQ(platform::proposedFileManager(), "");
    const QString caja = xdg.program("caja");
    EXPECT_EQ(platform::proposedFileManager(), caja);
    const QString thunar = xdg.program("thunar");
    EXPECT_EQ(platform::proposedFileManager(), thunar);
    // A default whose program is gone does not count.
    xdg.write("config/mimeapps.list", "[Default Applications]\ninode/directory=gone.desktop\n");
    xdg.write("usr/applications/gone.desktop", "[Desktop Entry]\nType=Application\nExec=/nonexistent/fm %U\n");
    EXPECT_EQ(platform::proposedFileManager(), thunar);
}

TEST(SystemPath, FoldersFromTheXdgSources)
{
    XdgSandbox xdg;
    xdg.write("config/user-dirs.dirs", "# written by xdg-user-dirs-update\n"
                                       "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\nXDG_PUBLICSHARE_DIR=\"/srv/pub\"\n");
    EXPECT_EQ(platform::xdgUserDir("TEMPLATES"), QDir::homePath() + "/Vorlagen");
    EXPECT_EQ(platform::xdgUserDir("PUBLICSHARE"), "/srv/pub");
    EXPECT_EQ(platform::xdgUserDir("MUSIC"), "");

    const TPBSystemPath paths;
    EXPECT_EQ(paths.Templates(), QDir::homePath() + "/Vorlagen");
    EXPECT_EQ(paths.ComponentVersion(), "4.00.00.00");
    EXPECT_TRUE(paths.Temp().endsWith('/'));
    EXPECT_EQ(paths.Temp(), QDir::tempPath() + "/");
    EXPECT_EQ(paths.Config(), xdg.path("etc"));
    EXPECT_TRUE(paths.Windows().isEmpty());   // no counterpart on Linux
    EXPECT_TRUE(paths.Cookies().isEmpty());
}
