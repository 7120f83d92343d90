#pragma once
// Reading a Lazarus project (.lpi, an XML file) for the two texts of its list entry. The
// file is read with an XML reader, never searched as text; a file that is not well-formed
// XML gives what was read before the damage, never an error. Like the Delphi reader it
// keeps no state and may run on any thread.

#include <QString>

struct LazarusProject {
    // CONFIG/ProjectOptions/General/Title, else the program name of the project's
    // program file (its .lpr) by the first-line "program" rule, else empty.
    QString applicationName;
    // CONFIG/CompilerOptions/Target/Filename resolved against the project's folder, by the
    // Delphi rules (".exe", ".scr", the bare name when executable); the lpi's own base name
    // when it names none. The path relative to the project's folder, else empty.
    QString executableName;
};

LazarusProject ReadLazarusProject(const QString& lpiFile);

// What the XML holds, before anything is looked up on disk.
struct LazarusProjectFile {
    QString title;
    QString targetFilename; // as written, path separators made "/"
    QString mainUnitFilename; // the unit MainUnit names (its .lpr), as written
    bool wellFormed = false;
};

// Parses the bytes of an .lpi file. Texts are cut at MaxLazarusText characters.
LazarusProjectFile parseLazarusProject(const QByteArray& xml);

inline constexpr qsizetype MaxLazarusText = 4096;
// Larger files are no project description; they are not read at all.
inline constexpr qint64 MaxLazarusProjectBytes = 16 * 1024 * 1024;
