#pragma once
// A desktop of its own for a test: XDG config and data folders in a temporary folder,
// holding the desktop entries and mimeapps.list files the test writes. The environment
// is restored when it goes.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <map>
#include <optional>

namespace kbltest {

class TempDesktop {
public:
    TempDesktop();
    ~TempDesktop();
    TempDesktop(const TempDesktop&) = delete;
    TempDesktop& operator=(const TempDesktop&) = delete;

    QString root() const { return dir_.path(); }
    QString configHome() const { return root() + QStringLiteral("/config"); }
    QString configDir() const { return root() + QStringLiteral("/etc-xdg"); }
    QString dataHome() const { return root() + QStringLiteral("/data-home"); }
    QString dataDir() const { return root() + QStringLiteral("/data"); }

    // Writes `text` (the [Desktop Entry] group and its lines) to `folder`/applications/`relativePath`.
    void writeDesktopEntry(const QString& folder, const QString& relativePath, const QString& text) const;

    // An application entry with this Exec line.
    void writeApplication(const QString& folder, const QString& id, const QString& exec,
                          const QString& extraLines = QString()) const;

    // Writes a mimeapps.list file.
    void writeMimeapps(const QString& path, const QString& text) const;

private:
    QTemporaryDir dir_;
    std::map<QByteArray, std::optional<QByteArray>> saved_;
};

} // namespace kbltest
