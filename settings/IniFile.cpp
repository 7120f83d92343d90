#include "settings/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/LastError.h"
#include "platform/TextCodec.h"

#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

SettingsWriteError::SettingsWriteError(const QString& path)
    : platform::SystemError(QStringLiteral("Unable to write to %1").arg(path))
{
}

namespace {

using Lines = std::vector<QByteArray>;

bool isBlank(char c) { return c == ' ' || c == '\t'; }

QByteArrayView trimmed(QByteArrayView bytes)
{
    qsizetype begin = 0, end = bytes.size();
    while (begin < end && isBlank(bytes[begin]))
        ++begin;
    while (end > begin && isBlank(bytes[end - 1]))
        --end;
    return bytes.sliced(begin, end - begin);
}

bool sameName(QByteArrayView bytes, const QString& name)
{
    // Names are short; decoding each one keeps legacy-encoded names comparable too.
    return platform::decodeText(bytes).compare(name, Qt::CaseInsensitive) == 0;
}

// The name of a "[name]" line, or nullopt for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView line)
{
    const QByteArrayView text = trimmed(line);
    if (!text.startsWith('['))
        return std::nullopt;
    const qsizetype close = text.indexOf(']');
    if (close < 0)
        return std::nullopt;
    return trimmed(text.sliced(1, close - 1));
}

struct KeyLine {
    QByteArrayView key;
    QByteArrayView value;
};

std::optional<KeyLine> keyLine(QByteArrayView line)
{
    const qsizetype eq = line.indexOf('=');
    if (eq < 0)
        return std::nullopt;
    const QByteArrayView key = trimmed(line.first(eq));
    if (key.isEmpty())
        return std::nullopt;
    return KeyLine{key, trimmed(line.sliced(eq + 1))};
}

// Half-open range of body lines of a section: the lines after its header up to the next
// header.
struct Range {
    size_t header;
    size_t begin;
    size_t end;
};

std::optional<Range> findSection(const Lines& lines, const QString& section, size_t from = 0)
{
    for (size_t i = from; i < lines.size(); ++i) {
        const auto name = sectionName(lines[i]);
        if (!name || !sameName(*name, section))
            continue;
        size_t end = i + 1;
        while (end < lines.size() && !sectionName(lines[end]))
            ++end;
        return Range{i, i + 1, end};
    }
    return std::nullopt;
}

std::optional<size_t> findKey(const Lines& lines, const Range& range, const QString& key)
{
    for (size_t i = range.begin; i < range.end; ++i) {
        const auto entry = keyLine(lines[i]);
        if (entry && sameName(entry->key, key))
            return i;
    }
    return std::nullopt;
}

// A path keeps bytes that are not UTF-8 as escapes, so that it names the same file
// again; other text that is not UTF-8 is read in the ANSI code page.
QString decodeValue(QByteArrayView raw, bool path)
{
    QString value = path ? platform::fileNameFromBytes(raw) : platform::decodeText(raw);
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == u'"' || first == u'\'') && value.back() == first)
            value = value.mid(1, value.size() - 2);
    }
    if (value.size() > IniFile::MaxValueLength)
        value.truncate(IniFile::MaxValueLength);
    return value;
}

// nullopt when the file exists but cannot be read: writing then would wipe it.
std::optional<Lines> loadLines(const QString& path)
{
    const platform::FileRead file = platform::readFile(path);
    if (file.outcome == platform::FileRead::Outcome::Missing)
        return Lines{};
    if (!file)
        return std::nullopt; // the reason is recorded
    // A file saved with a BOM (as Notepad does) would otherwise hide its first section.
    QByteArrayView text(file.bytes);
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    Lines lines;
    platform::forEachLine(text, [&](QByteArrayView line) { lines.emplace_back(line.toByteArray()); });
    return lines;
}

QByteArray joinLines(const Lines& lines)
{
    qsizetype size = 0;
    for (const QByteArray& line : lines)
        size += line.size() + 2;
    QByteArray bytes;
    bytes.reserve(size);
    for (const QByteArray& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }
    return bytes;
}

// Whether a read would change the value: it drops blanks at either end, one pair of
// enclosing quotes, and a BOM in front.
bool needsQuotes(QStringView text)
{
    if (text.isEmpty())
        return false;
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    if (blank(text.front()) || blank(text.back()) || text.front() == QChar(0xFEFF))
        return true;
    return text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front();
}

// A value with a line break would split into lines of its own and corrupt the section.
// Quotes keep what a read would drop; other readers of INI files drop them too.
QByteArray encodeValue(const QString& value)
{
    QString text = value;
    text.replace(u'\r', u' ').replace(u'\n', u' ');
    if (needsQuotes(text))
        text = u'"' + text + u'"';
    return platform::encodeText(text);
}

} // namespace

IniFile::IniFile(QString path) : m_path(std::move(path)) {}

bool IniFile::parseInteger(QStringView text, int& value)
{
    text = text.trimmed();
    bool negative = false;
    QStringView digits = text;
    if (digits.startsWith(u'-') || digits.startsWith(u'+')) {
        negative = digits.startsWith(u'-');
        digits = digits.sliced(1);
    }
    int base = 10;
    if (digits.startsWith(u'$')) {
        base = 16;
        digits = digits.sliced(1);
    } else if (digits.startsWith(QLatin1String("0x"), Qt::CaseInsensitive)) {
        base = 16;
        digits = digits.sliced(2);
    }
    if (digits.isEmpty() || digits.startsWith(u'-') || digits.startsWith(u'+'))
        return false;
    bool ok = false;
    if (base == 16) {
        // Eight hex digits cover every 32-bit pattern, so 0x80000008 reads as the
        // negative system-colour value it stands for.
        const qulonglong bits = digits.toULongLong(&ok, 16);
        if (!ok || bits > 0xFFFFFFFFull)
            return false;
        // The negation wraps as the 32-bit pattern does: "-$80000000" is the same pattern.
        const quint32 pattern = quint32(bits);
        value = qint32(negative ? 0u - pattern : pattern);
        return true;
    }
    const qlonglong v = digits.toLongLong(&ok, 10);
    const qlonglong signedValue = negative ? -v : v;
    if (!ok || signedValue < std::numeric_limits<int>::min() || signedValue > std::numeric_limits<int>::max())
        return false;
    value = int(signedValue);
    return true;
}

QString IniFile::readString(const QString& section, const QString& key, const QString& fallback) const
{
    return readValue(section, key, fallback, false);
}

QString IniFile::readPath(const QString& section, const QString& key, const QString& fallback) const
{
    return readValue(section, key, fallback, true);
}

QString IniFile::readValue(const QString& section, const QString& key, const QString& fallback, bool path) const
{
    const auto lines = loadLines(m_path);
    if (!lines)
        return fallback.left(MaxValueLength);
    const auto range = findSection(*lines, section);
    if (!range)
        return fallback.left(MaxValueLength);
    const auto at = findKey(*lines, *range, key);
    if (!at)
        return fallback.left(MaxValueLength);
    return decodeValue(keyLine((*lines)[*at])->value, path);
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value)
{
    auto loaded = loadLines(m_path);
    if (!loaded)
        throw SettingsWriteError(m_path);
    Lines& lines = *loaded;
    const QByteArray entry = platform::encodeText(key) + '=' + encodeValue(value);
    if (const auto range = findSection(lines, section)) {
        if (const auto at = findKey(lines, *range, key)) {
            lines[*at] = entry;
        } else {
            // After the section's last non-empty line, so blank separators stay below it.
            size_t insertAt = range->end;
            while (insertAt > range->begin && trimmed(lines[insertAt - 1]).isEmpty())
                --insertAt;
            lines.insert(lines.begin() + qsizetype(insertAt), entry);
        }
    } else {
        lines.push_back('[' + platform::encodeText(section) + ']');
        lines.push_back(entry);
    }
    if (!platform::replaceFile(m_path, joinLines(lines)))
        throw SettingsWriteError(m_path);
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const
{
    int value = 0;
    const QString text = readString(section, key, QString());
    return parseInteger(text, value) ? value : fallback;
}

void IniFile::writeInteger(const QString& section, const QString& key, int value)
{
    writeString(section, key, QString::number(value));
}

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const
{
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

void IniFile::writeBool(const QString& section, const QString& key, bool value)
{
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

QStringList IniFile::readSectionValues(const QString& section) const
{
    QStringList values;
    const auto lines = loadLines(m_path);
    if (!lines)
        return values;
    const auto range = findSection(*lines, section);
    if (!range)
        return values;
    QStringList seen;
    for (size_t i = range->begin; i < range->end; ++i) {
        const auto entry = keyLine((*lines)[i]);
        if (!entry)
            continue;
        const QString key = platform::decodeText(entry->key);
        if (seen.contains(key, Qt::CaseInsensitive))
            continue;
        seen << key;
        values << key + u'=' + decodeValue(entry->value, false);
    }
    return values;
}

void IniFile::eraseSection(const QString& section)
{
    auto loaded = loadLines(m_path);
    if (!loaded)
        throw SettingsWriteError(m_path);
    Lines& lines = *loaded;
    bool changed = false;
    while (const auto range = findSection(lines, section)) {
        lines.erase(lines.begin() + qsizetype(range->header), lines.begin() + qsizetype(range->end));
        changed = true;
    }
    if (changed && !platform::replaceFile(m_path, joinLines(lines)))
        throw SettingsWriteError(m_path);
}

QString IniFile::read(const settings::StringKey& key) const
{
    return readValue(QLatin1String(key.section), QLatin1String(key.key), QString::fromUtf8(key.fallback), key.isPath);
}

int IniFile::read(const settings::IntKey& key) const
{
    return readInteger(QLatin1String(key.section), QLatin1String(key.key), key.fallback);
}

bool IniFile::read(const settings::BoolKey& key) const
{
    return readBool(QLatin1String(key.section), QLatin1String(key.key), key.fallback);
}

qint32 IniFile::read(const settings::ColorKey& key) const
{
    return readInteger(QLatin1String(key.section), QLatin1String(key.key), key.fallback);
}

void IniFile::write(const settings::StringKey& key, const QString& value)
{
    writeString(QLatin1String(key.section), QLatin1String(key.key), value);
}

void IniFile::write(const settings::IntKey& key, int value)
{
    writeInteger(QLatin1String(key.section), QLatin1String(key.key), value);
}

void IniFile::write(const settings::BoolKey& key, bool value)
{
    writeBool(QLatin1String(key.section), QLatin1String(key.key), value);
}

void IniFile::write(const settings::ColorKey& key, qint32 value)
{
    writeInteger(QLatin1String(key.section), QLatin1String(key.key), value);
}
