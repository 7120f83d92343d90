#pragma once
// Points every XDG variable and PATH into a temporary folder for one test, and restores
// them afterwards, so the desktop's real settings never leak into a test.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace kbltest {

class XdgSandbox {
public:
    XdgSandbox()
    {
        for (const char* name : names)
            saved_.emplace_back(name, qgetenv(name));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path("config")));
        qputenv("XDG_CONFIG_DIRS", QFile::encodeName(path("etc")));
        qputenv("XDG_DATA_HOME", QFile::encodeName(path("data")));
        qputenv("XDG_DATA_DIRS", QFile::encodeName(path("usr")));
        qputenv("XDG_CURRENT_DESKTOP", "Test:Other");
        qputenv("PATH", QFile::encodeName(path("bin")));
    }
    ~XdgSandbox()
    {
        for (const auto& [name, value] : saved_)
            qputenv(name, value);
    }

    QString path(const QString& relative) const
    {
        const QString p = dir_.path() + "/" + relative;
        QDir().mkpath(p);
        return p;
    }
    void write(const QString& relative, const QByteArray& content) const
    {
        QDir().mkpath(QFileInfo(dir_.path() + "/" + relative).path());
        QFile file(dir_.path() + "/" + relative);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }
    QString program(const QString& name) const
    {
        write("bin/" + name, "#!/bin/sh\n");
        QFile(dir_.path() + "/bin/" + name).setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        return dir_.path() + "/bin/" + name;
    }

private:
    static constexpr const char* names[] = {"XDG_CONFIG_HOME", "XDG_CONFIG_DIRS", "XDG_DATA_HOME",
                                            "XDG_DATA_DIRS", "XDG_CURRENT_DESKTOP", "PATH"};
    QTemporaryDir dir_;
    std::vector<std::pair<const char*, QByteArray>> saved_;
};

} // namespace kbltest
