#pragma once
// The settings file: an INI text of [section] lines and key=value lines. Section and key
// names match without regard to case; the first of duplicate sections or keys counts.
// Every read and every write goes straight to the file, so windows that share one object
// (or two copies of the program sharing the folder) always see the latest values.

#include "settings/SettingsKeys.h"
#include "platform/LastError.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

// Raised when the file cannot be replaced; the text names the file, the reason is the
// system's.
class SettingsWriteError : public platform::SystemError {
public:
    explicit SettingsWriteError(const QString& path);
};

class IniFile {
public:
    // Longest value a read returns, in characters.
    static constexpr qsizetype MaxValueLength = 2047;

    explicit IniFile(QString path);

    const QString& fileName() const { return m_path; }

    // Blanks around the value and one pair of enclosing quotes are dropped; at most
    // MaxValueLength characters are returned.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;
    void writeString(const QString& section, const QString& key, const QString& value);
    // A string that names a file: bytes that are not UTF-8 come back as they were written.
    QString readPath(const QString& section, const QString& key, const QString& fallback) const;

    // Decimal, or hexadecimal after "$" or "0x"; anything else gives the fallback.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    void writeInteger(const QString& section, const QString& key, int value);

    // An integer read; any non-zero value is true. Written as "1" or "0".
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    void writeBool(const QString& section, const QString& key, bool value);

    // Every key=value of the section in file order (each key once, with its first value).
    QStringList readSectionValues(const QString& section) const;

    // Removes the section (every copy of it) with all its keys.
    void eraseSection(const QString& section);

    // The same operations through the key table.
    QString read(const settings::StringKey& key) const;
    int read(const settings::IntKey& key) const;
    bool read(const settings::BoolKey& key) const;
    qint32 read(const settings::ColorKey& key) const;
    void write(const settings::StringKey& key, const QString& value);
    void write(const settings::IntKey& key, int value);
    void write(const settings::BoolKey& key, bool value);
    void write(const settings::ColorKey& key, qint32 value);

    // The integer encoding on its own, for tests and other readers of such values.
    static bool parseInteger(QStringView text, int& value);

private:
    QString readValue(const QString& section, const QString& key, const QString& fallback, bool path) const;

    QString m_path;
};
