#include "platform/Help.h"

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

bool show(const QString& file, int topic)
{
    if (replacement())
        return replacement()(file, topic);
    return QDesktopServices::openUrl(fileUrl(file));
}

} // namespace

bool openHelpContents(const QString& file) { return show(file, 0); }

bool openHelpTopic(const QString& file, int topic) { return show(file, topic); }

void setHelpViewer(HelpViewer viewer) { replacement() = std::move(viewer); }

} // namespace platform
