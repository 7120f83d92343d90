#pragma once
// Text files as the program reads and writes them. Files are written as UTF-8. A file is
// read as UTF-8 when it is valid UTF-8 (a BOM is dropped), else in the ANSI code page
// that Windows would give the user's locale; bytes that do not decode become U+FFFD.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// The Windows ANSI code page for a locale name such as "zh_TW.UTF-8" or "de_DE".
int ansiCodePageForLocale(QStringView localeName);

// The code page of this process's locale (LC_ALL, LC_CTYPE, LANG, in that order).
int ansiCodePage();

// Decodes bytes read from a text file.
QString decodeText(QByteArrayView bytes);

// Decodes one line inside a file whose BOM was taken off its start: a BOM here is text.
QString decodeLine(QByteArrayView bytes);

// Decodes bytes in the given Windows code page.
QString decodeCodePage(QByteArrayView bytes, int codePage);

// Encodes text for writing a text file: UTF-8, with the escaped bytes of names that are
// not UTF-8 (FileNames.h) written back as they were.
QByteArray encodeText(QStringView text);

// Calls `line(bytes)` for each line of `bytes`; a line ends at CR LF, CR alone or LF
// alone. A final line without a line end is reported; an empty text gives no line.
template <typename Fn>
void forEachLine(QByteArrayView bytes, Fn&& line)
{
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* q = p;
        while (q < end && *q != '\r' && *q != '\n')
            ++q;
        line(QByteArrayView(p, q - p));
        if (q < end && *q == '\r' && q + 1 < end && q[1] == '\n')
            ++q;
        p = q + 1;
    }
}

} // namespace platform
