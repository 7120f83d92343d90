// The desktop's associations: any bytes as a desktop entry and as a mimeapps.list, in a
// desktop of their own beside a sound entry for Pascal source. An entry read opens a file
// as one argument of its own program; the default found is an installed application, and
// the sound entry is found unless the list names it; arguments written into an entry's Exec
// line come back through its escapes and quoting.
//
// Input: NUL-separated parts: the desktop entry, the mimeapps.list, then the arguments of
// the entry whose Exec line is written (UTF-8).

#include "ExecQuoting.h"
#include "FuzzSupport.h"

#include "platform/DesktopAssociation.h"

#include <cstdint>

using platform::DesktopEntry;

namespace {

const QStringList PascalTypes{QStringLiteral("application/x-lazarus-project"), QStringLiteral("text/x-pascal")};

void checkEntry(const std::optional<DesktopEntry>& entry, const QString& path, const QString& id)
{
    if (!entry)
        return;
    FUZZ_CHECK(entry->id == id && entry->filePath == path, "an entry keeps its id and file");
    fuzz::checkFileStaysOneArgument(entry->exec, entry->filePath);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QList<QByteArray> parts = bytes.split('\0');
    const QString root = fuzz::freshFolder(QStringLiteral("desktop"));
    platform::XdgFolders folders;
    folders.configHome = root + QStringLiteral("config");
    folders.dataHome = root + QStringLiteral("data");
    folders.dataDirs = QStringList{root + QStringLiteral("system")};
    folders.desktops = QStringList{QStringLiteral("fuzz")};

    const QString apps = folders.dataHome + QStringLiteral("/applications/");
    const QString fuzzed = fuzz::writeFile(apps + QStringLiteral("fuzzed.desktop"), parts.value(0));
    fuzz::writeFile(folders.configHome + QStringLiteral("/mimeapps.list"), parts.value(1));
    fuzz::writeFile(root + QStringLiteral("system/applications/sound.desktop"),
                    "[Desktop Entry]\nType=Application\nName=Sound\nExec=/bin/true %f\nMimeType=text/x-pascal;\n");

    QStringList arguments;
    for (qsizetype i = 2; i < parts.size(); ++i)
        arguments << QString::fromUtf8(parts[i]);
    if (arguments.isEmpty() || arguments.front().isEmpty() || arguments.front().contains(u'%'))
        arguments.prepend(QStringLiteral("program"));
    const QString exec = fuzz::execLine(arguments);
    const QString written = fuzz::writeFile(
        apps + QStringLiteral("sub/written.desktop"),
        (QStringLiteral("[Desktop Entry]\nType=Application\nExec=") + fuzz::desktopValue(exec) + u'\n').toUtf8());

    try {
        checkEntry(platform::readDesktopEntry(fuzzed, QStringLiteral("fuzzed.desktop")), fuzzed,
                   QStringLiteral("fuzzed.desktop"));

        const auto entry = platform::readDesktopEntry(written, QStringLiteral("sub-written.desktop"));
        FUZZ_CHECK(entry.has_value(), "an entry of Type=Application is read");
        FUZZ_CHECK(entry->exec == exec, "an Exec line comes back through the entry's escapes");
        fuzz::checkExecRoundTrip(arguments, platform::execCommandLine(entry->exec, fuzz::HostileFile, written));

        const auto app = platform::defaultApplication(PascalTypes, folders);
        if (!parts.value(1).contains("sound"))
            FUZZ_CHECK(app.has_value(), "no list hides an application that is not named in it");
        if (app) {
            FUZZ_CHECK(app->id == QLatin1String("fuzzed.desktop") || app->id == QLatin1String("sound.desktop")
                           || app->id == QLatin1String("sub-written.desktop"),
                       "the default is one of the installed applications");
            const auto installed = platform::readDesktopEntry(app->filePath, app->id);
            FUZZ_CHECK(installed && installed->exec == app->exec, "the default is an installed application");
            fuzz::checkFileStaysOneArgument(app->exec, app->filePath);
        }
    } catch (...) {
        fuzz::violated("no exception leaves the desktop readers");
    }
    return 0;
}
