#pragma once
// The folders a scan leaves out, as the [exclude] section of the settings file keeps
// them: "number" is the index of the last entry, the entries are the keys "0" .. "number".

#include <QString>
#include <QStringList>

class IniFile;

// The entries 0 .. number, a missing key giving an empty entry. A number far beyond the
// keys the file holds is read as the last present key plus `missingAllowed` empty entries,
// so a damaged count cannot make millions of empty entries. A negative number gives none.
QStringList readExcludedFolders(const IniFile& ini, int missingAllowed);

// How many empty entries beyond the last stored one a list of excluded folders keeps.
inline constexpr int MissingExcludeEntries = 64;

// The exclusion test of a scan: an entry excludes a project file when it occurs anywhere in
// its full path, exactly and case-sensitively; an empty entry excludes nothing.
struct ScanExclusions {
    QStringList entries;
    bool active = false;

    bool excludes(const QString& fileName) const;
};
