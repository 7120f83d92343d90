// The settings file: any bytes as kbl.ini. Every key the file holds reads as the section
// listing gives it; writing a value read back gives the same value again and leaves every
// other key as it was; a new value (blanks, quotes, line breaks and all) and an integer
// written read back as written.
//
// Input: the file's bytes. The new value is made of the file's first bytes.

#include "FuzzSupport.h"

#include "platform/TextCodec.h"
#include "settings/IniFile.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Key {
    QString section;
    QString key;
    QString value;
};

QByteArrayView trimmed(QByteArrayView bytes)
{
    while (!bytes.isEmpty() && (bytes.front() == ' ' || bytes.front() == '\t'))
        bytes = bytes.sliced(1);
    while (!bytes.isEmpty() && (bytes.back() == ' ' || bytes.back() == '\t'))
        bytes.chop(1);
    return bytes;
}

// The sections of the file in order, each once (names match without case), with the keys
// of its first copy, each once. A UTF-8 BOM in front of the first line is no part of it.
struct Section {
    QString name;
    QStringList keys;
};

std::vector<Section> sectionsOf(QByteArrayView text)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        text = text.sliced(3);
    std::vector<Section> sections;
    Section* current = nullptr;
    platform::forEachLine(text, [&](QByteArrayView line) {
        const QByteArrayView bare = trimmed(line);
        const qsizetype close = bare.indexOf(']');
        if (bare.startsWith('[') && close >= 0) {
            const QString name = platform::decodeText(trimmed(bare.sliced(1, close - 1)));
            current = nullptr;
            for (const Section& section : sections)
                if (section.name.compare(name, Qt::CaseInsensitive) == 0)
                    return; // a later copy: its keys are not read
            sections.push_back({name, {}});
            current = &sections.back();
            return;
        }
        const qsizetype eq = line.indexOf('=');
        if (!current || eq < 0 || trimmed(line.first(eq)).isEmpty())
            return;
        const QString key = platform::decodeText(trimmed(line.first(eq)));
        if (!current->keys.contains(key, Qt::CaseInsensitive))
            current->keys << key;
    });
    return sections;
}

// What a read gives for a written value: line breaks become blanks, the length is cut.
QString asRead(QString value)
{
    value.replace(u'\r', u' ').replace(u'\n', u' ');
    return value.left(IniFile::MaxValueLength);
}

const QString Missing = QStringLiteral("\x01missing\x01");

std::vector<Key> readAll(const IniFile& ini, const std::vector<Section>& sections)
{
    std::vector<Key> keys;
    for (const auto& [section, names] : sections) {
        const QStringList values = ini.readSectionValues(section);
        FUZZ_CHECK(values.size() == names.size(), "a section lists every key it holds, each once");
        for (const QString& entry : values) {
            const qsizetype eq = entry.indexOf(u'=');
            FUZZ_CHECK(eq >= 0, "a section value is key=value");
            Key key{section, entry.left(eq), entry.mid(eq + 1)};
            FUZZ_CHECK(names.contains(key.key, Qt::CaseInsensitive), "a section lists the keys it holds");
            FUZZ_CHECK(key.value.size() <= IniFile::MaxValueLength, "a value is cut at MaxValueLength");
            FUZZ_CHECK(ini.readString(section, key.key, Missing) == key.value,
                       "a key reads as the section listing gives it");
            int listed = 0;
            if (IniFile::parseInteger(key.value, listed))
                FUZZ_CHECK(ini.readInteger(section, key.key, ~listed) == listed, "an integer reads as its text says");
            // Such keys are read but never written: a value with a "]" would make a line of
            // a key that starts with "[" a section header, and a key of nothing but a BOM
            // reads as an empty name. The program's own keys are neither.
            if (!key.key.startsWith(u'[') && !key.key.isEmpty())
                keys.push_back(std::move(key));
            if (keys.size() == 24)
                return keys;
        }
    }
    return keys;
}

void checkUnchanged(const IniFile& ini, const std::vector<Key>& keys, size_t except)
{
    for (size_t i = 0; i < keys.size(); ++i) {
        if (i == except || (keys[i].section.compare(keys[except].section, Qt::CaseInsensitive) == 0
                            && keys[i].key.compare(keys[except].key, Qt::CaseInsensitive) == 0))
            continue;
        FUZZ_CHECK(ini.readString(keys[i].section, keys[i].key, Missing) == keys[i].value,
                   "a write leaves every other key as it was");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString folder = fuzz::freshFolder(QStringLiteral("ini"));
    const QString path = fuzz::writeFile(folder + QStringLiteral("kbl.ini"), bytes);
    try {
        IniFile ini(path);
        const std::vector<Section> sections = sectionsOf(bytes);
        std::vector<Key> keys = readAll(ini, sections);

        // Writing back what was read changes nothing.
        for (size_t i = 0; i < keys.size() && i < 8; ++i) {
            ini.writeString(keys[i].section, keys[i].key, keys[i].value);
            FUZZ_CHECK(ini.readString(keys[i].section, keys[i].key, Missing) == keys[i].value,
                       "a value read, written and read again is the same");
            checkUnchanged(ini, keys, i);
        }

        // A value of hostile text, into the first key and into a new section.
        const QString value = platform::decodeText(bytes.first(std::min<qsizetype>(bytes.size(), 64)));
        if (!keys.empty()) {
            ini.writeString(keys[0].section, keys[0].key, value);
            FUZZ_CHECK(ini.readString(keys[0].section, keys[0].key, Missing) == asRead(value),
                       "a value written reads back as written");
            checkUnchanged(ini, keys, 0);
            keys[0].value = asRead(value);
        }
        const QString section = QStringLiteral("fuzz section");
        ini.writeString(section, QStringLiteral("value"), value);
        FUZZ_CHECK(ini.readString(section, QStringLiteral("value"), Missing) == asRead(value),
                   "a value in a new section reads back as written");
        int number = 0;
        std::memcpy(&number, data, std::min<size_t>(size, sizeof number));
        ini.writeInteger(section, QStringLiteral("number"), number);
        FUZZ_CHECK(ini.readInteger(section, QStringLiteral("number"), ~number) == number,
                   "an integer written reads back as written");
        if (std::none_of(sections.begin(), sections.end(),
                         [&](const Section& s) { return s.name.compare(section, Qt::CaseInsensitive) == 0; })) {
            keys.push_back({section, QStringLiteral("value"), asRead(value)});
            checkUnchanged(ini, keys, keys.size() - 1);
        }
    } catch (const SettingsWriteError&) {
        fuzz::violated("a file in a writable folder can be written");
    } catch (...) {
        fuzz::violated("no exception leaves the settings file");
    }
    return 0;
}
