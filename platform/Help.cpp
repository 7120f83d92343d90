#include "platform/Help.h"

#include "platform/DesktopAssociation.h"
#include "platform/Files.h"

#include <QDesktopServices>
#include <QUrl>

namespace platform {

namespace {

HelpViewer& replacement()
{
    static HelpViewer viewer;
    return viewer;
}

// The program's help file is a web page; a desktop takes ".hlp" for Windows help and has
// nothing to show it with, so a page is opened with the desktop's web browser.
bool isWebPage(const QString& file)
{
    const FileRead read = readFile(file);
    const QByteArray start = read.bytes.left(512).trimmed().toLower();
    return read && (start.startsWith("<!doctype html") || start.startsWith("<html"));
}

bool show(const QString& file, int topic)
{
    if (replacement())
        return replacement()(file, topic);
    if (isWebPage(file)) {
        if (const auto browser = defaultApplication({QStringLiteral("text/html")}, XdgFolders::fromEnvironment())) {
            if (const auto command = execCommandLine(browser->exec, file, browser->filePath))
                if (startDetached(*command))
                    return true;
        }
    }
    return QDesktopServices::openUrl(fileUrl(file));
}

} // namespace

bool openHelpContents(const QString& file) { return show(file, 0); }

bool openHelpTopic(const QString& file, int topic) { return show(file, topic); }

void setHelpViewer(HelpViewer viewer) { replacement() = std::move(viewer); }

} // namespace platform
