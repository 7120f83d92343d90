#include "catalogue/ListFile.h"

#include "platform/AtomicFile.h"
#include "platform/LastError.h"
#include "platform/TextCodec.h"

#include <QFile>

#include <cerrno>
#include <limits>

namespace {

// Lines of the text up to the first byte 26, each ended by CR LF, CR or LF.
class LineReader {
public:
    explicit LineReader(const QByteArray& bytes)
    {
        QByteArrayView text(bytes);
        const qsizetype eof = text.indexOf('\x1A');
        if (eof >= 0)
            text = text.first(eof);
        // The whole file decides between UTF-8 and the ANSI code page, as one text.
        m_text = platform::decodeText(text);
    }

    bool atEnd() const { return m_pos >= m_text.size(); }

    // The next line; past the end, empty lines.
    QString next()
    {
        if (atEnd())
            return {};
        qsizetype end = m_pos;
        while (end < m_text.size() && m_text[end] != u'\r' && m_text[end] != u'\n')
            ++end;
        QString line = m_text.mid(m_pos, end - m_pos);
        if (end < m_text.size() && m_text[end] == u'\r' && end + 1 < m_text.size() && m_text[end + 1] == u'\n')
            ++end;
        m_pos = end + 1;
        return line;
    }

    // How many lines are left (a final line without a line end counts).
    qsizetype remainingLines() const
    {
        qsizetype count = 0;
        for (qsizetype i = m_pos; i < m_text.size(); ++i) {
            if (m_text[i] == u'\n' || (m_text[i] == u'\r' && (i + 1 >= m_text.size() || m_text[i + 1] != u'\n')))
                ++count;
        }
        if (!atEnd() && m_text.back() != u'\r' && m_text.back() != u'\n')
            ++count;
        return count;
    }

private:
    QString m_text;
    qsizetype m_pos = 0;
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
        entry.executableName = reader.next();
        entry.projectPath = reader.next();
        entry.image = image;
        content.entries.push_back(std::move(entry));
    }
    return content;
}

ListFileContent readListFile(const QString& path, int image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        platform::recordErrorText(file.errorString());
        ListFileContent content;
        content.outcome = ListFileContent::Outcome::ReadError;
        return content;
    }
    return parseListFile(file.readAll(), image);
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
