#pragma once
// A temporary program folder: kbl.ini and the list files of the windows under test go
// there instead of beside the test executable.

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace kbltest {

class ProgramFolder {
public:
    ProgramFolder();
    ~ProgramFolder();
    ProgramFolder(const ProgramFolder&) = delete;
    ProgramFolder& operator=(const ProgramFolder&) = delete;

    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return m_dir.filePath(name); }
    bool exists(const QString& name) const;
    QByteArray read(const QString& name) const;
    void write(const QString& name, const QByteArray& bytes) const;
    // Names of the [sections] of kbl.ini in file order.
    QStringList iniSections() const;

private:
    QTemporaryDir m_dir;
};

} // namespace kbltest
