// The two splitters of command text: a desktop entry's Exec line (field codes and quoting)
// and the file manager's option text (the shell's word rules). Neither lets a file or
// folder name split, run or become the program; arguments written in either quoting
// come back as they were; a quote left open is refused, never swallowed.
//
// Input: NUL-separated parts of UTF-8 text. The first part is taken as an Exec line and as
// option text; all parts together are a list of arguments to quote and read back.

#include "ExecQuoting.h"
#include "FuzzSupport.h"

#include "launch/LaunchCommands.h"
#include "platform/Process.h"

#include <cstdint>

namespace {

// Whether the shell's word rules as QProcess applies them end inside a quote: a quote
// toggles, three in a row stand for one quote character.
bool quoteLeftOpen(const QString& text)
{
    bool inQuote = false;
    int run = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == u'"') {
            ++run;
            continue;
        }
        if (run % 3 == 1)
            inQuote = !inQuote;
        run = 0;
    }
    return inQuote;
}

void checkOptionText(const QString& text)
{
    const std::optional<QStringList> words = platform::splitArguments(text);
    FUZZ_CHECK(words.has_value() == !quoteLeftOpen(text), "option text is refused exactly when a quote is left open");
    const auto command = launch::fileManagerCommand(QStringLiteral("/usr/bin/files"), text, fuzz::HostileFile);
    FUZZ_CHECK(command.has_value() == words.has_value(), "the file manager takes the option text the splitter takes");
    if (!words)
        return;
    FUZZ_CHECK(command->program == QLatin1String("/usr/bin/files"), "the file manager is the program");
    FUZZ_CHECK(command->arguments == *words + QStringList{fuzz::HostileFile},
               "the folder is one argument after the options");
    QStringList quoted;
    for (const QString& word : *words) {
        FUZZ_CHECK(!word.isEmpty(), "no option is empty");
        quoted << fuzz::optionQuoted(word);
    }
    FUZZ_CHECK(platform::splitArguments(quoted.join(u' ')) == words, "options quoted again split the same");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QStringList parts;
    for (const QByteArray& part : bytes.split('\0'))
        parts << QString::fromUtf8(part);
    try {
        fuzz::checkFileStaysOneArgument(parts.front());
        fuzz::checkFileStaysOneArgument(parts.front(), QStringLiteral("/usr/share/applications/x y.desktop"));
        checkOptionText(parts.front());

        QStringList arguments = parts;
        // A program is named by the line itself: it cannot be empty or hold a field code.
        if (arguments.front().isEmpty() || arguments.front().contains(u'%'))
            arguments.front() = QStringLiteral("program");
        fuzz::checkExecRoundTrip(arguments, platform::execCommandLine(fuzz::execLine(arguments), fuzz::HostileFile));

        QStringList options;
        for (const QString& part : parts)
            if (!part.isEmpty())
                options << part;
        QStringList quoted;
        for (const QString& option : options)
            quoted << fuzz::optionQuoted(option);
        FUZZ_CHECK(platform::splitArguments(quoted.join(u' ')) == options, "options come back through quoting");
    } catch (...) {
        fuzz::violated("no exception leaves a splitter");
    }
    return 0;
}
