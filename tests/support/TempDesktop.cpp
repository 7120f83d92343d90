#include "support/TempDesktop.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kbltest {

namespace {

void writeFile(const QString& path, const QString& text)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        file.write(text.toUtf8());
}

} // namespace

TempDesktop::TempDesktop()
{
    for (const char* name : {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME", "XDG_DATA_DIRS",
                             "XDG_CURRENT_DESKTOP"}) {
        saved_[name] = qEnvironmentVariableIsSet(name) ? std::optional<QByteArray>(qgetenv(name)) : std::nullopt;
    }
    for (const QString& folder : {configHome(), configDir(), dataHome() + QStringLiteral("/applications"),
                                  dataDir() + QStringLiteral("/applications")})
        QDir().mkpath(folder);
    // The MIME database stays the system's, so file types are still recognised.
    QFile::link(QStringLiteral("/usr/share/mime"), dataDir() + QStringLiteral("/mime"));
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_CONFIG_DIRS", configDir().toLocal8Bit());
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_DATA_DIRS", dataDir().toLocal8Bit());
    qunsetenv("XDG_CURRENT_DESKTOP");
}

TempDesktop::~TempDesktop()
{
    for (const auto& [name, value] : saved_) {
        if (value)
            qputenv(name.constData(), *value);
        else
            qunsetenv(name.constData());
    }
}

void TempDesktop::writeDesktopEntry(const QString& folder, const QString& relativePath, const QString& text) const
{
    writeFile(folder + QStringLiteral("/applications/") + relativePath, text);
}

void TempDesktop::writeApplication(const QString& folder, const QString& id, const QString& exec,
                                   const QString& extraLines) const
{
    writeDesktopEntry(folder, id,
                      QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n%3")
                          .arg(id, exec, extraLines));
}

void TempDesktop::writeMimeapps(const QString& path, const QString& text) const { writeFile(path, text); }

} // namespace kbltest
