#include "platform/DesktopAssociation.h"

#include "platform/Files.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QSet>
#include <QStandardPaths>
#include <QUrl>

#include <map>
#include <vector>

namespace platform {

namespace {

using Group = std::map<QString, QString>;
using KeyFile = std::map<QString, Group>;

// The key-file syntax shared by desktop entries and mimeapps.list: [Group] lines,
// Key=Value lines, '#' comments. Values are kept raw; the first occurrence of a key wins.
KeyFile readKeyFile(const QString& path)
{
    KeyFile groups;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return groups;
    Group* current = nullptr;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[') && line.endsWith(u']')) {
            current = &groups[line.mid(1, line.size() - 2)];
            continue;
        }
        const qsizetype eq = line.indexOf(u'=');
        if (!current || eq <= 0)
            continue;
        current->try_emplace(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
    return groups;
}

QString valueOf(const KeyFile& file, const QString& group, const QString& key)
{
    const auto g = file.find(group);
    if (g == file.end())
        return QString();
    const auto v = g->second.find(key);
    return v == g->second.end() ? QString() : v->second;
}

// The escapes of a desktop-entry string value: \s \n \t \r \\.
QString unescapeValue(const QString& raw)
{
    QString out;
    out.reserve(raw.size());
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (c != u'\\' || i + 1 == raw.size()) {
            out += c;
            continue;
        }
        const QChar next = raw.at(++i);
        switch (next.unicode()) {
        case 's': out += u' '; break;
        case 'n': out += u'\n'; break;
        case 't': out += u'\t'; break;
        case 'r': out += u'\r'; break;
        case '\\': out += u'\\'; break;
        default: out += c; out += next; break;
        }
    }
    return out;
}

QStringList splitList(const QString& value)
{
    QStringList items;
    for (const QString& item : value.split(u';', Qt::SkipEmptyParts)) {
        const QString trimmed = item.trimmed();
        if (!trimmed.isEmpty())
            items << trimmed;
    }
    return items;
}

QStringList pathList(const QByteArray& value, const QStringList& fallback)
{
    QStringList dirs;
    for (const QString& dir : QString::fromLocal8Bit(value).split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dirs << dir;
    }
    return dirs.isEmpty() ? fallback : dirs;
}

QString homePath(const char* variable, const QString& fallbackBelowHome)
{
    const QString value = QString::fromLocal8Bit(qgetenv(variable));
    if (QDir::isAbsolutePath(value))
        return value;
    return QDir::homePath() + u'/' + fallbackBelowHome;
}

// The mimeapps.list files in order of precedence.
QStringList mimeappsFiles(const XdgFolders& folders)
{
    QStringList files;
    auto addFolder = [&](const QString& dir) {
        for (const QString& desktop : folders.desktops)
            files << dir + u'/' + desktop + QStringLiteral("-mimeapps.list");
        files << dir + QStringLiteral("/mimeapps.list");
    };
    addFolder(folders.configHome);
    for (const QString& dir : folders.configDirs)
        addFolder(dir);
    addFolder(folders.dataHome + QStringLiteral("/applications"));
    for (const QString& dir : folders.dataDirs)
        addFolder(dir + QStringLiteral("/applications"));
    // The older name of the data folders' lists, still shipped by some distributions.
    files << folders.dataHome + QStringLiteral("/applications/defaults.list");
    for (const QString& dir : folders.dataDirs)
        files << dir + QStringLiteral("/applications/defaults.list");
    return files;
}

// Desktop-file ids and their files; the first folder that holds an id wins.
class ApplicationIndex {
public:
    explicit ApplicationIndex(const XdgFolders& folders)
    {
        QStringList roots{folders.dataHome};
        roots << folders.dataDirs;
        for (const QString& root : roots) {
            const QString apps = root + QStringLiteral("/applications");
            QDirIterator it(apps, {QStringLiteral("*.desktop")}, QDir::Files,
                            QDirIterator::Subdirectories | QDirIterator::FollowSymlinks);
            while (it.hasNext()) {
                const QString path = it.next();
                QString id = QDir(apps).relativeFilePath(path);
                id.replace(u'/', u'-');
                if (!byId_.contains(id)) {
                    byId_.insert(id, path);
                    order_ << id;
                }
            }
        }
    }

    std::optional<DesktopEntry> installed(const QString& id) const
    {
        const auto it = byId_.constFind(id);
        if (it == byId_.constEnd())
            return std::nullopt;
        return readDesktopEntry(*it, id);
    }

    const QStringList& ids() const { return order_; }

private:
    QHash<QString, QString> byId_;
    QStringList order_;
};

} // namespace

XdgFolders XdgFolders::fromEnvironment()
{
    XdgFolders folders;
    folders.configHome = homePath("XDG_CONFIG_HOME", QStringLiteral(".config"));
    folders.configDirs = pathList(qgetenv("XDG_CONFIG_DIRS"), {QStringLiteral("/etc/xdg")});
    folders.dataHome = homePath("XDG_DATA_HOME", QStringLiteral(".local/share"));
    folders.dataDirs = pathList(qgetenv("XDG_DATA_DIRS"),
                                {QStringLiteral("/usr/local/share"), QStringLiteral("/usr/share")});
    for (const QString& desktop : QString::fromLocal8Bit(qgetenv("XDG_CURRENT_DESKTOP")).split(u':', Qt::SkipEmptyParts))
        folders.desktops << desktop.toLower();
    return folders;
}

std::optional<DesktopEntry> readDesktopEntry(const QString& filePath, const QString& id)
{
    const KeyFile file = readKeyFile(filePath);
    const QString group = QStringLiteral("Desktop Entry");
    if (!file.contains(group))
        return std::nullopt;
    if (valueOf(file, group, QStringLiteral("Type")) != QLatin1String("Application"))
        return std::nullopt;
    if (valueOf(file, group, QStringLiteral("Hidden")) == QLatin1String("true"))
        return std::nullopt;
    const QString tryExec = unescapeValue(valueOf(file, group, QStringLiteral("TryExec")));
    if (!tryExec.isEmpty()) {
        const bool found = tryExec.contains(u'/') ? isExecutableFile(tryExec)
                                                  : !QStandardPaths::findExecutable(tryExec).isEmpty();
        if (!found)
            return std::nullopt;
    }
    DesktopEntry entry;
    entry.id = id;
    entry.filePath = filePath;
    entry.name = unescapeValue(valueOf(file, group, QStringLiteral("Name")));
    entry.exec = unescapeValue(valueOf(file, group, QStringLiteral("Exec")));
    return entry;
}

std::optional<DesktopEntry> defaultApplication(const QStringList& mimeTypes, const XdgFolders& folders)
{
    if (mimeTypes.isEmpty())
        return std::nullopt;
    std::vector<KeyFile> lists;
    for (const QString& path : mimeappsFiles(folders)) {
        if (QFileInfo::exists(path))
            lists.push_back(readKeyFile(path));
    }
    const ApplicationIndex index(folders);
    const QString defaults = QStringLiteral("Default Applications");
    const QString added = QStringLiteral("Added Associations");
    const QString removedGroup = QStringLiteral("Removed Associations");

    for (const QString& type : mimeTypes) {
        for (const KeyFile& list : lists) {
            for (const QString& id : splitList(valueOf(list, defaults, type))) {
                if (auto entry = index.installed(id))
                    return entry;
            }
        }
        // A removal hides an association only from files of lower precedence.
        QSet<QString> removed;
        for (const KeyFile& list : lists) {
            for (const QString& id : splitList(valueOf(list, removedGroup, type)))
                removed.insert(id);
            for (const QString& id : splitList(valueOf(list, added, type))) {
                if (removed.contains(id))
                    continue;
                if (auto entry = index.installed(id))
                    return entry;
            }
        }
        for (const QString& id : index.ids()) {
            if (removed.contains(id))
                continue;
            const auto entry = index.installed(id);
            if (!entry)
                continue;
            const KeyFile file = readKeyFile(entry->filePath);
            if (splitList(valueOf(file, QStringLiteral("Desktop Entry"), QStringLiteral("MimeType"))).contains(type))
                return entry;
        }
    }
    return std::nullopt;
}

QStringList associationTypesForExtension(const QString& extension)
{
    QStringList types;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QStringLiteral("project.") + extension,
                                                           QMimeDatabase::MatchExtension);
    if (type.isValid() && !type.isDefault())
        types << type.name() << type.aliases();
    // The shared MIME database gives Pascal source only *.pas and *.p; Delphi project
    // files are Pascal source too, and that is where an IDE registers itself.
    // A Lazarus project is opened by the program registered for Lazarus projects, else by
    // one for Pascal source.
    if (extension.compare(QLatin1String("lpi"), Qt::CaseInsensitive) == 0) {
        if (!types.contains(QLatin1String("application/x-lazarus-project")))
            types.prepend(QStringLiteral("application/x-lazarus-project"));
    }
    if ((extension.compare(QLatin1String("dpr"), Qt::CaseInsensitive) == 0
         || extension.compare(QLatin1String("lpi"), Qt::CaseInsensitive) == 0)
        && !types.contains(QLatin1String("text/x-pascal")))
        types << QStringLiteral("text/x-pascal");
    return types;
}

std::optional<QString> associatedCommand(const QString& extension, const XdgFolders& folders)
{
    const auto app = defaultApplication(associationTypesForExtension(extension), folders);
    if (!app)
        return std::nullopt;
    return app->exec;
}

std::optional<CommandLine> execCommandLine(const QString& exec, const QString& file, const QString& desktopFile)
{
    // Split into words: blanks separate, double quotes group, and inside quotes a
    // backslash makes the next of " ` $ \ literal.
    struct Word {
        QString text;
        bool quoted = false;
    };
    std::vector<Word> words;
    bool inWord = false, inQuote = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (inQuote) {
            if (c == u'"') {
                inQuote = false;
            } else if (c == u'\\' && i + 1 < exec.size() && QStringView(u"\"`$\\").contains(exec.at(i + 1))) {
                words.back().text += exec.at(++i);
            } else {
                words.back().text += c;
            }
            continue;
        }
        if (c.isSpace()) {
            inWord = false;
            continue;
        }
        if (!inWord) {
            words.push_back({});
            inWord = true;
        }
        if (c == u'"') {
            inQuote = true;
            words.back().quoted = true;
        } else {
            words.back().text += c;
        }
    }
    // The program must be named by the line itself: a field code there would make the
    // opened file, or nothing, the program.
    if (inQuote || words.empty() || words.front().text.contains(u'%'))
        return std::nullopt;

    const QString url = fileUrl(file).toString(QUrl::FullyEncoded);
    bool fileGiven = false;
    QStringList args;
    for (const Word& word : words) {
        if (!word.quoted && (word.text == QLatin1String("%F") || word.text == QLatin1String("%f"))) {
            args << file;
            fileGiven = true;
            continue;
        }
        if (!word.quoted && (word.text == QLatin1String("%U") || word.text == QLatin1String("%u"))) {
            args << url;
            fileGiven = true;
            continue;
        }
        QString expanded;
        bool onlyCodes = !word.text.isEmpty();
        for (qsizetype i = 0; i < word.text.size(); ++i) {
            const QChar c = word.text.at(i);
            if (c != u'%' || i + 1 == word.text.size()) {
                expanded += c;
                onlyCodes = false;
                continue;
            }
            switch (word.text.at(++i).unicode()) {
            case '%': expanded += u'%'; onlyCodes = false; break;
            case 'f': case 'F': expanded += file; fileGiven = true; onlyCodes = false; break;
            case 'u': case 'U': expanded += url; fileGiven = true; onlyCodes = false; break;
            case 'k': expanded += desktopFile; onlyCodes = false; break;
            default: break; // %i %c and the deprecated codes give nothing
            }
        }
        if (!(onlyCodes && expanded.isEmpty()))
            args << expanded;
    }
    if (args.isEmpty() || args.front().isEmpty())
        return std::nullopt;
    if (!fileGiven)
        args << file;
    CommandLine command;
    command.program = args.takeFirst();
    command.arguments = args;
    return command;
}

std::optional<CommandLine> associatedCommandLine(const QString& file, const XdgFolders& folders)
{
    const QString name = file.mid(file.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    const auto app = defaultApplication(associationTypesForExtension(dot >= 0 ? name.mid(dot + 1) : QString()), folders);
    if (!app)
        return std::nullopt;
    auto command = execCommandLine(app->exec, file, app->filePath);
    if (!command)
        return std::nullopt;
    // An association whose program is gone counts as none.
    const QString program = findProgram(command->program);
    if (program.isEmpty())
        return std::nullopt;
    command->program = program;
    return command;
}

QString proposedFileManager(const XdgFolders& folders)
{
    // A default whose program is gone does not count: the next candidates may still work.
    if (const auto app = defaultApplication({QStringLiteral("inode/directory")}, folders)) {
        if (const auto command = execCommandLine(app->exec, QString(), app->filePath)) {
            const QString& program = command->program;
            if (program.contains(u'/')) {
                if (QDir::isAbsolutePath(program) && isExecutableFile(program))
                    return QFileInfo(program).absoluteFilePath();
            } else if (const QString found = QStandardPaths::findExecutable(program); !found.isEmpty()) {
                return found;
            }
        }
    }
    for (const char* name : {"nautilus", "dolphin", "thunar", "nemo", "caja", "pcmanfm"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty())
            return found;
    }
    return {};
}

} // namespace platform
