#include "support/TempFolder.h"

#include "settings/ProgramFolder.h"

#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace kbltest {

ProgramFolder::ProgramFolder() { program::setFolderOverride(m_dir.path()); }

ProgramFolder::~ProgramFolder() { program::setFolderOverride(QString()); }

bool ProgramFolder::exists(const QString& name) const { return QFileInfo::exists(file(name)); }

QByteArray ProgramFolder::read(const QString& name) const
{
    QFile f(file(name));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void ProgramFolder::write(const QString& name, const QByteArray& bytes) const
{
    QFile f(file(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QStringList ProgramFolder::iniSections() const
{
    QStringList sections;
    for (const QByteArray& line : read(QStringLiteral("kbl.ini")).split('\n')) {
        const QByteArray text = line.trimmed();
        if (text.startsWith('[') && text.endsWith(']'))
            sections << QString::fromUtf8(text.mid(1, text.size() - 2));
    }
    return sections;
}

} // namespace kbltest
