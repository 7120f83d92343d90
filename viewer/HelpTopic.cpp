#include "viewer/HelpTopic.h"

#include "app/ProgramFolder.h"

#include <QDesktopServices>
#include <QUrl>

namespace viewer {

namespace {
HelpOpener& opener()
{
    static HelpOpener current;
    return current;
}
} // namespace

QString helpFilePath()
{
    QString folder = program::folder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    return folder + QStringLiteral("kbl.hlp");
}

void openHelpTopic(const QString& path, int topic)
{
    if (opener())
        opener()(path, topic);
    else
        QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void setHelpOpener(HelpOpener replacement) { opener() = std::move(replacement); }

} // namespace viewer
