#pragma once
// Writing arguments in the quotings the readers take, so that a target can check that what
// it wrote comes back: a desktop entry's Exec line, a desktop-entry string value, and the
// shell-like option text of the file manager.

#include "FuzzSupport.h"

#include "platform/DesktopAssociation.h"
#include "platform/Files.h"

#include <QString>
#include <QStringList>
#include <QUrl>

namespace fuzz {

// One argument of an Exec line: double-quoted, with " ` $ \ escaped by a backslash and a
// percent sign doubled, so that no field code is read in it.
inline QString execQuoted(const QString& argument)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : argument) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            out += u'\\';
        if (c == u'%')
            out += u'%';
        out += c;
    }
    return out + u'"';
}

inline QString execLine(const QStringList& arguments)
{
    QStringList quoted;
    for (const QString& argument : arguments)
        quoted << execQuoted(argument);
    return quoted.join(u' ');
}

// A string value as a desktop entry stores it on its line: \s \n \t \r \\ escapes.
inline QString desktopValue(const QString& text)
{
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        switch (c.unicode()) {
        case '\\': out += QStringLiteral("\\\\"); break;
        case '\n': out += QStringLiteral("\\n"); break;
        case '\t': out += QStringLiteral("\\t"); break;
        case '\r': out += QStringLiteral("\\r"); break;
        // Blanks at either end would be trimmed with the line.
        case ' ': out += (i == 0 || i + 1 == text.size()) ? QStringLiteral("\\s") : QStringLiteral(" "); break;
        default: out += c;
        }
    }
    return out;
}

// One argument of the file manager's option text: double-quoted, a quote inside written
// as three quotes.
inline QString optionQuoted(const QString& argument)
{
    QString inner = argument;
    inner.replace(u'"', QStringLiteral("\"\"\""));
    return u'"' + inner + u'"';
}

// A file name no shell or splitter could take as one word.
inline const QString HostileFile = QStringLiteral("/tmp/a b/'q' \"d\" $(touch x);`id` %f \\*?.dpr");

// An Exec line opens any file as the same program with the same number of arguments:
// the file's text never runs as a command, never splits into more arguments, and
// appears only where the line's field codes (or the end of the line) put it.
inline void checkFileStaysOneArgument(const QString& exec, const QString& desktopFile = QString())
{
    const QString plain = QStringLiteral("/KBLFILE1");
    if (exec.contains(QLatin1String("KBLFILE")))
        return;
    const auto a = platform::execCommandLine(exec, plain, desktopFile);
    const auto b = platform::execCommandLine(exec, HostileFile, desktopFile);
    FUZZ_CHECK(a.has_value() == b.has_value(), "whether a line is usable does not depend on the file");
    if (!a)
        return;
    FUZZ_CHECK(!a->program.isEmpty(), "a usable line names a program");
    FUZZ_CHECK(a->program == b->program, "the file never becomes the program");
    FUZZ_CHECK(a->arguments.size() == b->arguments.size(), "the file is always one argument");
    const QString plainUrl = platform::fileUrl(plain).toString(QUrl::FullyEncoded);
    const QString hostileUrl = platform::fileUrl(HostileFile).toString(QUrl::FullyEncoded);
    bool fileSeen = false;
    for (qsizetype i = 0; i < a->arguments.size(); ++i) {
        QString expected = a->arguments[i];
        fileSeen = fileSeen || expected.contains(plain);
        expected.replace(plainUrl, hostileUrl).replace(plain, HostileFile);
        FUZZ_CHECK(expected == b->arguments[i], "the file appears only where the line puts it");
    }
    FUZZ_CHECK(fileSeen, "the file reaches the program");
}

// Arguments written as an Exec line come back as the same arguments, the file after them.
inline void checkExecRoundTrip(const QStringList& arguments, const std::optional<platform::CommandLine>& command)
{
    FUZZ_CHECK(command.has_value(), "a line of quoted arguments is usable");
    FUZZ_CHECK(command->program == arguments.front(), "the program comes back through Exec quoting");
    FUZZ_CHECK(command->arguments == arguments.mid(1) + QStringList{HostileFile},
               "the arguments come back through Exec quoting, the file after them");
}

} // namespace fuzz
