#pragma once
// projects.dat and hotlist.dat: a line "3", the index of the last entry, then three
// lines per entry (application name, executable name, project path), CR LF line ends.

#include "catalogue/ProjectEntry.h"

#include <QByteArray>
#include <QString>

#include <vector>

inline constexpr const char* ProjectsFileName = "projects.dat";
inline constexpr const char* HotlistFileName = "hotlist.dat";

struct ListFileContent {
    enum class Outcome {
        Loaded,    // every promised entry read
        Malformed, // first line not "3" or a negative count: nothing read
        ReadError, // count not a number, or the file cannot be read: entries hold what was read
    };
    Outcome outcome = Outcome::Loaded;
    std::vector<ProjectEntry> entries;
};

// A file that promises more entries than it holds yields empty rows for the missing ones,
// but only this many; a count beyond that is treated as damage, so a bogus count can
// neither hang the start nor fill memory.
inline constexpr qsizetype MaxMissingListEntries = 1000;

// Parses the bytes of a list file; every entry gets `image`. A byte 26 ends the text and a
// line ends at CR LF, CR or LF. On ReadError the last system error is recorded.
ListFileContent parseListFile(const QByteArray& bytes, int image);

// Reads and parses a list file.
ListFileContent readListFile(const QString& path, int image);

// The bytes of a list file holding `entries` in their order.
QByteArray formatListFile(const std::vector<ProjectEntry>& entries);

// Replaces the file with `entries`; an empty list leaves the file as it is and succeeds.
// false when the file cannot be written (the last system error is recorded).
bool writeListFile(const QString& path, const std::vector<ProjectEntry>& entries);
