// The project readers: a Delphi project (.dpr) or a Lazarus project (.lpi with its .lpr),
// written to a file and read as a scan reads it. No exception escapes; the title and the
// executable stay bounded; the streamed .dpr reader gives what a plain in-memory reading of
// the same rules gives, and the executable it names is one of the files made beside it.
//
// Input: a flags byte, two bytes for the filler, then the project text. For an .lpi the
// bytes after the first "\0LPR" are the program file. Flags: 1 Lazarus project, 2 make
// base.exe, 4 make base.scr, 8 make the bare base executable, 16 put a filler in front of
// the text (so that its lines meet the reader's 64 KiB buffer end), 32 filler of line ends.

#include "FuzzSupport.h"

#include "catalogue/LazarusProject.h"
#include "catalogue/ProjectSource.h"
#include "platform/TextCodec.h"

#include <QByteArrayView>
#include <QString>

#include <cstdint>
#include <sys/stat.h>
#include <vector>

namespace {

// The reading rules of a .dpr on the whole text at once.
std::vector<QByteArray> referenceLines(QByteArrayView text)
{
    if (const qsizetype eof = text.indexOf('\x1A'); eof >= 0)
        text = text.first(eof);
    std::vector<QByteArray> lines;
    platform::forEachLine(text, [&](QByteArrayView line) { lines.push_back(line.first(std::min(line.size(), MaxProjectLineBytes)).toByteArray()); });
    return lines;
}

QString dropLast(QString text, int count)
{
    for (int i = 0; i < count && !text.isEmpty(); ++i)
        text.chop(text.size() >= 2 && text.back().isLowSurrogate() && text[text.size() - 2].isHighSurrogate() ? 2 : 1);
    return text;
}

QString trimControls(const QString& text)
{
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= u' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= u' ')
        --end;
    return text.mid(begin, end - begin);
}

QString referenceProgramName(const QByteArray& firstLine)
{
    const QString text = platform::decodeText(firstLine);
    const qsizetype at = text.indexOf(u"program ");
    return at < 0 ? QString() : dropLast(text.mid(at + 8), 1);
}

QString referenceTitle(const std::vector<QByteArray>& lines)
{
    QString title;
    for (const QByteArray& line : lines) {
        if (!line.contains("Application.Title := '"))
            continue;
        const QString text = platform::decodeText(line);
        title = dropLast(text.mid(text.indexOf(u":= '") + 4), 2);
    }
    if (title.isEmpty() && !lines.empty())
        title = referenceProgramName(lines.front());
    return trimControls(title);
}

void makeExecutable(const QString& path, bool executable)
{
    fuzz::writeFile(path, "");
    ::chmod(QFile::encodeName(path).constData(), executable ? 0755 : 0644);
}

void checkDelphiProject(const QString& folder, const QByteArray& text, uint8_t flags)
{
    const QString project = fuzz::writeFile(folder + QStringLiteral("Project.dpr"), text);
    const QString title = ReadApplicationName(project);
    FUZZ_CHECK(title.size() <= MaxProjectLineBytes, "the title is at most one cut line long");
    FUZZ_CHECK(title == referenceTitle(referenceLines(text)), "the streamed reading equals the whole-text reading");
    const std::vector<QByteArray> lines = referenceLines(text);
    FUZZ_CHECK(ReadProgramName(project) == (lines.empty() ? QString() : trimControls(referenceProgramName(lines.front()))),
               "the program name is the first line's");

    const QString exe = FindExecutableName(project);
    const QString expected = (flags & 2) ? QStringLiteral("Project.exe")
                             : (flags & 4) ? QStringLiteral("Project.scr")
                             : (flags & 8) ? QStringLiteral("Project")
                                           : QString();
    FUZZ_CHECK(exe == expected, "the executable is .exe, else .scr, else the bare executable base");
    const ProjectTexts texts = ReadProjectTexts(project);
    FUZZ_CHECK(texts.applicationName == title && texts.executableName == exe, "the list entry's texts are the readers'");
}

void checkLazarusProject(const QString& folder, const QByteArray& input)
{
    const qsizetype split = input.indexOf(QByteArrayView("\0LPR", 4));
    const QByteArray xml = split < 0 ? input : input.first(split);
    const QByteArray program = split < 0 ? QByteArray() : input.sliced(split + 4);

    const LazarusProjectFile parsed = parseLazarusProject(xml);
    FUZZ_CHECK(parsed.title.size() <= MaxLazarusText && parsed.targetFilename.size() <= MaxLazarusText
                   && parsed.mainUnitFilename.size() <= MaxLazarusText,
               "the texts of an .lpi are cut at MaxLazarusText");
    FUZZ_CHECK(!parsed.targetFilename.contains(u'\\') && !parsed.mainUnitFilename.contains(u'\\'),
               "paths read from an .lpi use /");

    const QString lpi = fuzz::writeFile(folder + QStringLiteral("Project.lpi"), xml);
    fuzz::writeFile(folder + QStringLiteral("Project.lpr"), program);
    // The program file the project names, when it is a plain name inside the folder.
    const QString unit = parsed.mainUnitFilename;
    if (!unit.isEmpty() && unit.size() < 64 && !unit.contains(u'/') && unit != QLatin1String(".")
        && unit != QLatin1String("..") && unit != QLatin1String("Project.lpi"))
        fuzz::writeFile(folder + unit, program);

    const LazarusProject project = ReadLazarusProject(lpi);
    FUZZ_CHECK(project.applicationName.size() <= std::max(MaxLazarusText, MaxProjectLineBytes),
               "the title is bounded");
    FUZZ_CHECK(project.executableName.size() <= MaxLazarusText + 4, "the executable is bounded");
    FUZZ_CHECK(project.executableName != QLatin1String("Project.lpi"), "the project is never its own program");
    if (!project.executableName.isEmpty()) {
        struct stat st {};
        FUZZ_CHECK(::stat(QFile::encodeName(folder + project.executableName).constData(), &st) == 0,
                   "the executable named exists");
    }
    const ProjectTexts texts = ReadProjectTexts(lpi);
    FUZZ_CHECK(texts.applicationName == project.applicationName && texts.executableName == project.executableName,
               "the list entry's texts are the Lazarus reader's");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 3)
        return 0;
    const uint8_t flags = data[0];
    QByteArray text(reinterpret_cast<const char*>(data + 3), qsizetype(size - 3));
    if (flags & 16) {
        // Lines that end right at, before or after the 64 KiB read buffer's end.
        const qsizetype length = 64 * 1024 - data[1] + (data[2] & 0x7F);
        text.prepend(QByteArray(length, (flags & 32) ? '\n' : 'x'));
    }
    const QString folder = fuzz::freshFolder(QStringLiteral("project"));
    if (flags & 2)
        makeExecutable(folder + QStringLiteral("Project.exe"), false);
    if (flags & 4)
        makeExecutable(folder + QStringLiteral("Project.scr"), false);
    if (flags & 8)
        makeExecutable(folder + QStringLiteral("Project"), true);
    try {
        if (flags & 1)
            checkLazarusProject(folder, text);
        else
            checkDelphiProject(folder, text, flags);
    } catch (...) {
        fuzz::violated("no exception leaves a project reader");
    }
    return 0;
}
