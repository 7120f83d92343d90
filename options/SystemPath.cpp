#include "options/SystemPath.h"

#include "platform/DesktopAssociation.h"
#include "platform/UserDirs.h"

#include <QDir>
#include <QStandardPaths>

QString ExpandEnvironmentReference(const QString& value, const std::function<QString(const QString&)>& lookup)
{
    if (value.isEmpty())
        return value;
    // Each "%" toggles; the last one that opened and the last one that closed delimit the
    // one reference that is expanded.
    bool open = false;
    qsizetype opening = -1;
    qsizetype closing = -1;
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != u'%')
            continue;
        open = !open;
        (open ? opening : closing) = i;
    }
    if (opening < 0 || closing <= opening)
        return value;
    const QString replacement = lookup(value.mid(opening + 1, closing - opening - 1));
    if (replacement.isEmpty())
        return value;
    return value.left(opening) + replacement + value.mid(closing + 1);
}

QString ExpandEnvironmentReference(const QString& value)
{
    return ExpandEnvironmentReference(value, [](const QString& name) {
        return name.isEmpty() ? QString() : qEnvironmentVariable(name.toLocal8Bit().constData());
    });
}

namespace {

QString standard(QStandardPaths::StandardLocation location)
{
    return ExpandEnvironmentReference(QStandardPaths::writableLocation(location));
}

QString userDir(const char* name) { return ExpandEnvironmentReference(platform::xdgUserDir(QString::fromLatin1(name))); }

QString firstExisting(std::initializer_list<const char*> paths)
{
    for (const char* path : paths)
        if (QDir(QString::fromLatin1(path)).exists())
            return QString::fromLatin1(path);
    return {};
}

} // namespace

TPBSystemPath::TPBSystemPath(QObject* owner) : QObject(owner)
{
    // The Windows folder and its system folder have no Linux counterpart; temporary files
    // go to the temporary folder, given with its trailing separator.
    temp_ = QDir::tempPath();
    if (!temp_.endsWith(u'/'))
        temp_ += u'/';

    // The user's folders.
    appData_ = standard(QStandardPaths::GenericConfigLocation);
    cache_ = standard(QStandardPaths::GenericCacheLocation);
    deskTop_ = standard(QStandardPaths::DesktopLocation);
    fonts_ = standard(QStandardPaths::FontsLocation);
    personal_ = standard(QStandardPaths::DocumentsLocation);
    programs_ = standard(QStandardPaths::ApplicationsLocation);
    startMenu_ = programs_;
    startUp_ = appData_.isEmpty() ? QString() : appData_ + QStringLiteral("/autostart");
    templates_ = userDir("TEMPLATES");
    myPictures_ = standard(QStandardPaths::PicturesLocation);
    localAppData_ = standard(QStandardPaths::GenericDataLocation);

    // The machine's folders.
    const QStringList configDirs = platform::XdgFolders::fromEnvironment().configDirs;
    config_ = configDirs.isEmpty() ? QString() : ExpandEnvironmentReference(configDirs.front());
    commonFiles_ = firstExisting({"/usr/share"});
    programFiles_ = firstExisting({"/usr/bin"});
    device_ = firstExisting({"/dev"});
    media_ = firstExisting({"/usr/share/sounds"});
    systemRoot_ = QStringLiteral("/");
    wallPaper_ = firstExisting({"/usr/share/backgrounds", "/usr/share/wallpapers"});

    componentVersion_ = QStringLiteral("4.00.00.00");
}

QString TPBSystemPath::ProposedFileManager() { return platform::proposedFileManager(); }
