#include "platform/DesktopAssociation.h"

#include "support/TempDesktop.h"

#include <gtest/gtest.h>

using namespace platform;
using kbltest::TempDesktop;

namespace {

const QString Pascal = QStringLiteral("text/x-pascal");

QString defaultsFor(const QString& type, const QString& ids)
{
    return QStringLiteral("[Default Applications]\n%1=%2\n").arg(type, ids);
}

std::optional<QString> defaultId(const QString& type = Pascal)
{
    const auto app = defaultApplication({type}, XdgFolders::fromEnvironment());
    if (!app)
        return std::nullopt;
    return app->id;
}

} // namespace

TEST(XdgFoldersFromEnvironment, UsesTheVariablesAndTheStandardDefaults)
{
    TempDesktop desktop;
    qputenv("XDG_CONFIG_DIRS", "/one:relative/ignored::/two");
    qputenv("XDG_CURRENT_DESKTOP", "ubuntu:GNOME");
    XdgFolders folders = XdgFolders::fromEnvironment();
    EXPECT_EQ(folders.configHome, desktop.configHome());
    EXPECT_EQ(folders.configDirs, (QStringList{"/one", "/two"}));
    EXPECT_EQ(folders.dataDirs, QStringList{desktop.dataDir()});
    EXPECT_EQ(folders.desktops, (QStringList{"ubuntu", "gnome"}));

    qunsetenv("XDG_DATA_DIRS");
    qunsetenv("XDG_CONFIG_DIRS");
    folders = XdgFolders::fromEnvironment();
    EXPECT_EQ(folders.dataDirs, (QStringList{"/usr/local/share", "/usr/share"}));
    EXPECT_EQ(folders.configDirs, QStringList{"/etc/xdg"});
}

TEST(DefaultApplication, FollowsThePrecedenceOfTheMimeappsFiles)
{
    TempDesktop desktop;
    for (const char* id : {"home.desktop", "system.desktop", "gnome.desktop", "data.desktop"})
        desktop.writeApplication(desktop.dataDir(), QString::fromLatin1(id), QStringLiteral("/bin/true"));
    EXPECT_FALSE(defaultId());

    desktop.writeMimeapps(desktop.dataDir() + QStringLiteral("/applications/defaults.list"),
                          defaultsFor(Pascal, QStringLiteral("system.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("system.desktop"));

    desktop.writeMimeapps(desktop.dataDir() + QStringLiteral("/applications/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("data.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("data.desktop"));

    desktop.writeMimeapps(desktop.configDir() + QStringLiteral("/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("system.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("system.desktop"));

    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("home.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("home.desktop"));

    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/gnome-mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("gnome.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("home.desktop"));
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    EXPECT_EQ(defaultId(), QStringLiteral("gnome.desktop"));
}

TEST(DefaultApplication, SkipsApplicationsThatAreNotInstalled)
{
    TempDesktop desktop;
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("hidden.desktop"), QStringLiteral("/bin/true"),
                             QStringLiteral("Hidden=true\n"));
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("tryexec.desktop"), QStringLiteral("/bin/true"),
                             QStringLiteral("TryExec=/nonexistent/ide\n"));
    desktop.writeDesktopEntry(desktop.dataDir(), QStringLiteral("link.desktop"),
                              QStringLiteral("[Desktop Entry]\nType=Link\nURL=http://example.org\n"));
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("ide.desktop"), QStringLiteral("/bin/true"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("missing.desktop;hidden.desktop;tryexec.desktop;link.desktop;")));
    EXPECT_FALSE(defaultId());
    desktop.writeMimeapps(desktop.dataDir() + QStringLiteral("/applications/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("ide.desktop")));
    EXPECT_EQ(defaultId(), QStringLiteral("ide.desktop"));
}

TEST(DefaultApplication, FallsBackToAssociationsAndHonoursRemovals)
{
    TempDesktop desktop;
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("added.desktop"), QStringLiteral("/bin/true"));
    desktop.writeApplication(desktop.dataDir(), QStringLiteral("listing.desktop"), QStringLiteral("/bin/true"),
                             QStringLiteral("MimeType=text/plain;text/x-pascal;\n"));
    // Only the desktop entry's own MimeType names it.
    EXPECT_EQ(defaultId(), QStringLiteral("listing.desktop"));

    desktop.writeMimeapps(desktop.dataDir() + QStringLiteral("/applications/mimeapps.list"),
                          QStringLiteral("[Added Associations]\ntext/x-pascal=added.desktop;\n"));
    EXPECT_EQ(defaultId(), QStringLiteral("added.desktop"));

    // A removal in a file of higher precedence hides both.
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          QStringLiteral("[Removed Associations]\ntext/x-pascal=added.desktop;listing.desktop\n"));
    EXPECT_FALSE(defaultId());
}

TEST(DefaultApplication, FindsEntriesInSubfoldersByTheirPrefixedId)
{
    TempDesktop desktop;
    desktop.writeApplication(desktop.dataHome(), QStringLiteral("kde/lazarus.desktop"), QStringLiteral("/bin/true"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("kde-lazarus.desktop")));
    const auto app = defaultApplication({Pascal}, XdgFolders::fromEnvironment());
    ASSERT_TRUE(app);
    EXPECT_EQ(app->id, QStringLiteral("kde-lazarus.desktop"));
    EXPECT_EQ(app->filePath, desktop.dataHome() + QStringLiteral("/applications/kde/lazarus.desktop"));
}

TEST(AssociatedCommand, GivesTheExecLineOfTheProjectFilesApplication)
{
    TempDesktop desktop;
    desktop.writeApplication(desktop.dataHome(), QStringLiteral("ide.desktop"),
                             QStringLiteral("\"/opt/My\\sIDE/bin/ide\" --project %f"));
    desktop.writeMimeapps(desktop.configHome() + QStringLiteral("/mimeapps.list"),
                          defaultsFor(Pascal, QStringLiteral("ide.desktop")));
    EXPECT_TRUE(associationTypesForExtension(QStringLiteral("dpr")).contains(Pascal));
    EXPECT_EQ(associatedCommand(QStringLiteral("dpr")), QStringLiteral("\"/opt/My IDE/bin/ide\" --project %f"));
    EXPECT_FALSE(associatedCommand(QStringLiteral("kbl-unknown-extension")));
}

TEST(ExecCommandLine, ResolvesQuotingAndFieldCodes)
{
    const QString file = QStringLiteral("/work/My \"odd\" $(name);\n.exe");
    EXPECT_EQ(execCommandLine(QStringLiteral("wine start /unix %f"), file),
              (CommandLine{"wine", {"start", "/unix", file}}));
    EXPECT_EQ(execCommandLine(QStringLiteral("\"/opt/my app/run\" --icon %i --name=%c %F"), file),
              (CommandLine{"/opt/my app/run", {"--icon", "--name=", file}}));
    EXPECT_EQ(execCommandLine(QStringLiteral("viewer \"100%%\" %U"), QStringLiteral("/a b")),
              (CommandLine{"viewer", {"100%", "file:///a%20b"}}));
    EXPECT_EQ(execCommandLine(QStringLiteral("sh -c \"echo \\\"\\$HOME\\\"\""), file),
              (CommandLine{"sh", {"-c", "echo \"$HOME\"", file}}));
    EXPECT_EQ(execCommandLine(QStringLiteral("editor --desktop=%k"), file, QStringLiteral("/x/e.desktop")),
              (CommandLine{"editor", {"--desktop=/x/e.desktop", file}}));
}

TEST(ExecCommandLine, RefusesEmptyAndBadlyQuotedLines)
{
    EXPECT_FALSE(execCommandLine(QString(), QStringLiteral("/f")));
    EXPECT_FALSE(execCommandLine(QStringLiteral("   "), QStringLiteral("/f")));
    EXPECT_FALSE(execCommandLine(QStringLiteral("\"/opt/ide %f"), QStringLiteral("/f")));
    EXPECT_FALSE(execCommandLine(QStringLiteral("%i %f"), QStringLiteral("/f")));
}
