#include "catalogue/LazarusProject.h"

#include "catalogue/ProjectSource.h"
#include "platform/Files.h"

#include <QXmlStreamReader>

#include <array>

namespace {

// The element paths whose Value attribute the reader takes.
enum Wanted { Title, MainUnit, TargetFilename, WantedCount };
constexpr std::array<const char*, WantedCount> WantedPaths = {
    "CONFIG/ProjectOptions/General/Title",
    "CONFIG/ProjectOptions/General/MainUnit",
    "CONFIG/CompilerOptions/Target/Filename",
};

QString bounded(QString text)
{
    if (text.size() > MaxLazarusText)
        text.truncate(MaxLazarusText);
    return text;
}

// Lazarus writes paths with the separator of the machine that saved them.
QString withSlashes(QString path) { return path.replace(u'\\', u'/'); }

QString folderOf(const QString& path) { return path.left(path.lastIndexOf(u'/') + 1); }

} // namespace

LazarusProjectFile parseLazarusProject(const QByteArray& xml)
{
    LazarusProjectFile project;
    QXmlStreamReader reader(xml);
    QStringList path;
    QString unitPath;   // CONFIG/ProjectOptions/Units/Unit<MainUnit>/Filename, once known
    QString mainUnit = QStringLiteral("0");
    std::vector<std::pair<QString, QString>> unitFiles; // unit element name, file name
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            path << reader.name().toString();
            // Deep nesting is no project file; the reader stops there.
            if (path.size() > 64)
                break;
            const QString joined = path.join(u'/');
            const QString value = bounded(reader.attributes().value(QLatin1String("Value")).toString());
            if (joined == QLatin1String(WantedPaths[Title]))
                project.title = value;
            else if (joined == QLatin1String(WantedPaths[MainUnit]))
                mainUnit = value;
            else if (joined == QLatin1String(WantedPaths[TargetFilename]))
                project.targetFilename = withSlashes(value);
            else if (path.size() == 5 && path[0] == QLatin1String("CONFIG") && path[1] == QLatin1String("ProjectOptions")
                     && path[2] == QLatin1String("Units") && path[4] == QLatin1String("Filename"))
                unitFiles.emplace_back(path[3], withSlashes(value));
        } else if (token == QXmlStreamReader::EndElement) {
            if (!path.isEmpty())
                path.removeLast();
        }
    }
    project.wellFormed = !reader.hasError();
    for (const auto& [unit, file] : unitFiles)
        if (unit == QLatin1String("Unit") + mainUnit)
            project.mainUnitFilename = file;
    return project;
}

LazarusProject ReadLazarusProject(const QString& lpiFile)
{
    LazarusProject result;
    const QString folder = folderOf(lpiFile);
    const QString name = lpiFile.mid(folder.size());
    const QString base = name.left(name.lastIndexOf(u'.'));

    LazarusProjectFile project;
    if (platform::fileStatus(lpiFile).size <= MaxLazarusProjectBytes) {
        if (const platform::FileRead file = platform::readFile(lpiFile))
            project = parseLazarusProject(file.bytes);
    }

    result.applicationName = project.title.trimmed();
    if (result.applicationName.isEmpty()) {
        // The program file the project names, else the one beside it under its own name.
        const QString program = project.mainUnitFilename.isEmpty() || project.mainUnitFilename.startsWith(u'/')
                                    ? folder + base + QStringLiteral(".lpr")
                                    : folder + project.mainUnitFilename;
        result.applicationName = ReadProgramName(program);
    }

    // A target written with macros ($(TargetCPU)) cannot be resolved here: the project's
    // own name stands in for it, as when it names none.
    QString target = project.targetFilename;
    if (target.isEmpty() || target.contains(QLatin1String("$(")) || target.startsWith(u'/') || target.endsWith(u'/'))
        target = base;
    const QString targetName = target.mid(target.lastIndexOf(u'/') + 1);
    if (targetName.contains(u'.') && target != name && platform::isExistingFile(folder + target))
        result.executableName = target; // it names its extension, as "app.exe" or "libapp.so"
    else
        result.executableName = ExecutableNameFor(folder, folder + target);
    if (result.executableName == name)
        result.executableName.clear(); // the project file is never its own program
    return result;
}
