#include "catalogue/ListFile.h"

#include "platform/AtomicFile.h"
#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/LastError.h"
#include "platform/TextCodec.h"


#include <cerrno>
#include <limits>
#include <vector>

namespace {

// Lines of the text up to the first byte 26, each ended by CR LF, CR or LF. Each line is
// decoded on its own, so a name in another encoding leaves the other lines as they are.
class LineReader {
public:
    explicit LineReader(const QByteArray& bytes)
    {
        QByteArrayView text(bytes);
        const qsizetype eof = text.indexOf('\x1A');
        if (eof >= 0)
            text = text.first(eof);
        if (text.startsWith("\xEF\xBB\xBF"))
            text = text.sliced(3);
        platform::forEachLine(text, [this](QByteArrayView line) { m_lines.push_back(line); });
    }

    // How many lines are left (a final line without a line end counts).
    qsizetype remainingLines() const { return qsizetype(m_lines.size() - m_next); }

    // The next line as text; past the end, empty lines.
    QString next() { return platform::decodeLine(nextBytes()); }

    // The next line as a file name: bytes that are not UTF-8 are kept, so the path opens.
    QString nextName() { return platform::fileNameFromBytes(nextBytes()); }

private:
    QByteArrayView nextBytes() { return m_next < m_lines.size() ? m_lines[m_next++] : QByteArrayView(); }

    std::vector<QByteArrayView> m_lines;
    size_t m_next = 0;
};

bool parseWholeNumber(const QString& text, qint64& value)
{
    bool ok = false;
    value = text.trimmed().toLongLong(&ok, 10);
    return ok && !text.trimmed().isEmpty();
}

QString oneLine(const QString& text)
{
    // A line break inside a text would shift every later line of the file.
    QString line = text;
    return line.replace(u'\r', u' ').replace(u'\n', u' ');
}

} // namespace

ListFileContent parseListFile(const QByteArray& bytes, int image)
{
    ListFileContent content;
    LineReader reader(bytes);
    if (reader.next() != u"3") {
        content.outcome = ListFileContent::Outcome::Malformed;
        return content;
    }
    qint64 last = 0;
    if (!parseWholeNumber(reader.next(), last) || last > std::numeric_limits<qint32>::max()
        || last < std::numeric_limits<qint32>::min()) {
        platform::recordError(EINVAL);
        content.outcome = ListFileContent::Outcome::ReadError;
        return content;
    }
    if (last < 0) {
        content.outcome = ListFileContent::Outcome::Malformed;
        return content;
    }

    const qint64 promised = last + 1;
    const qint64 present = (reader.remainingLines() + 2) / 3;
    qint64 count = promised;
    if (promised - present > MaxMissingListEntries) {
        count = present;
        platform::recordError(ENODATA);
        content.outcome = ListFileContent::Outcome::ReadError;
    }
    content.entries.reserve(size_t(count));
    for (qint64 i = 0; i < count; ++i) {
        ProjectEntry entry;
        entry.applicationName = reader.next();
        entry.executableName = reader.nextName();
        entry.projectPath = reader.nextName();
        entry.image = image;
        content.entries.push_back(std::move(entry));
    }
    return content;
}

ListFileContent readListFile(const QString& path, int image)
{
    const platform::FileRead file = platform::readFile(path);
    if (!file) {
        ListFileContent content;
        content.outcome = ListFileContent::Outcome::ReadError;
        return content; // the reason is recorded
    }
    return parseListFile(file.bytes, image);
}

QByteArray formatListFile(const std::vector<ProjectEntry>& entries)
{
    QString text = QStringLiteral("3\r\n") + QString::number(qsizetype(entries.size()) - 1) + QStringLiteral("\r\n");
    for (const ProjectEntry& entry : entries) {
        text += oneLine(entry.applicationName) + QStringLiteral("\r\n");
        text += oneLine(entry.executableName) + QStringLiteral("\r\n");
        text += oneLine(entry.projectPath) + QStringLiteral("\r\n");
    }
    return platform::encodeText(text);
}

bool writeListFile(const QString& path, const std::vector<ProjectEntry>& entries)
{
    if (entries.empty())
        return true;
    return platform::replaceFile(path, formatListFile(entries));
}
