#include "catalogue/Exclusions.h"

#include "settings/IniFile.h"

#include <algorithm>
#include <set>

QStringList readExcludedFolders(const IniFile& ini, int missingAllowed)
{
    namespace ex = settings::exclude;
    const int number = ini.read(ex::number);
    if (number < 0)
        return {};

    // The numbered keys the section really holds.
    std::set<int> present;
    for (const QString& line : ini.readSectionValues(QLatin1String(ex::Section))) {
        bool ok = false;
        const int index = line.left(line.indexOf(u'=')).trimmed().toInt(&ok);
        if (ok && index >= 0 && index <= number)
            present.insert(index);
    }
    const int lastPresent = present.empty() ? -1 : *present.rbegin();
    const int last = int(std::min<qint64>(number, qint64(lastPresent) + std::max(missingAllowed, 0)));

    QStringList entries;
    entries.reserve(last + 1);
    for (int i = 0; i <= last; ++i)
        entries.append(present.count(i)
                           ? ini.readPath(QLatin1String(ex::Section), ex::entryKey(i), QLatin1String(ex::EntryFallback))
                           : QString());
    return entries;
}

bool ScanExclusions::excludes(const QString& fileName) const
{
    if (!active)
        return false;
    return std::any_of(entries.begin(), entries.end(), [&](const QString& entry) {
        return !entry.isEmpty() && fileName.contains(entry, Qt::CaseSensitive);
    });
}
