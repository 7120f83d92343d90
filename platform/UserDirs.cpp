#include "platform/UserDirs.h"

#include "platform/DesktopAssociation.h"
#include "platform/TextCodec.h"

#include <QDir>
#include <QFile>

namespace platform {

QString xdgUserDir(const QString& name)
{
    QFile file(XdgFolders::fromEnvironment().configHome + QStringLiteral("/user-dirs.dirs"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString key = QStringLiteral("XDG_") + name + QStringLiteral("_DIR");
    QString result;
    // The file is small; a huge one is not a real user-dirs.dirs.
    forEachLine(file.read(1 << 20), [&](QByteArrayView raw) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(key + u'='))
            return;
        QString value = line.mid(key.size() + 1);
        if (value.size() >= 2 && value.startsWith(u'"') && value.endsWith(u'"'))
            value = value.mid(1, value.size() - 2);
        if (value.startsWith(QStringLiteral("$HOME")))
            value = QDir::homePath() + value.mid(5);
        if (QDir::isAbsolutePath(value))
            result = value;
    });
    return result;
}

} // namespace platform
