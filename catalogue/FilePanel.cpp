#include "catalogue/FilePanel.h"

#include "settings/SettingsKeys.h"
#include "platform/Colors.h"
#include "platform/Files.h"


#include <algorithm>
#include <cmath>

namespace filepanel {

namespace {

constexpr const char* Extensions[KindCount] = {".dpr", ".pas", ".dfm", ".dsk", ".dof", ".cfg",
                                               ".txt", ".lpi", ".lpr", ".lfm", ".inc"};
constexpr int DprKind = 0;

// The digits of a size text without leading zeros.
QString significantDigits(const QString& text)
{
    QString digits;
    digits.reserve(text.size());
    for (const QChar c : text)
        if (c >= u'0' && c <= u'9' && !(digits.isEmpty() && c == u'0'))
            digits += c;
    return digits;
}

} // namespace

QString kindMask(int kind)
{
    return kind >= 0 && kind < KindCount ? u'*' + QLatin1String(Extensions[kind]) : QString();
}

int kindOfName(const QString& name)
{
    for (int kind = 0; kind < KindCount; ++kind)
        if (name.endsWith(QLatin1String(Extensions[kind]), Qt::CaseInsensitive))
            return kind;
    return -1;
}

QString folderOf(const QString& fullPath)
{
    const QString folder = fullPath.left(fullPath.lastIndexOf(u'/') + 1);
    return folder.isEmpty() ? QStringLiteral("/") : folder;
}

FileListing listProjectFiles(const QString& root, const QString& projectPath, const KindFlags& show)
{
    FileListing listing;
    if (std::none_of(show.begin(), show.end(), [](bool on) { return on; })) {
        listing.outcome = FileListing::Outcome::NoKinds;
        return listing;
    }
    listing.folder = folderOf(root + projectPath);
    if (!platform::isFolder(listing.folder)) {
        listing.outcome = FileListing::Outcome::MissingFolder;
        return listing;
    }
    const auto entries = platform::listFolder(listing.folder).value_or(std::vector<platform::FolderEntry>{});

    // One walk of the folder serves every kind: each name meets at most one mask, and
    // within a kind the walk's order is the file system's.
    std::array<std::vector<FileRow>, KindCount> byKind;
    for (const platform::FolderEntry& entry : entries) {
        const int kind = kindOfName(entry.name);
        if (kind < 0 || !show[size_t(kind)] || (kind == DprKind && !byKind[DprKind].empty()))
            continue;
        const qint64 size = entry.kind == platform::FileKind::File ? platform::fileStatus(listing.folder + entry.name).size : 0;
        byKind[size_t(kind)].push_back({entry.name, sizeText(size)});
    }
    for (auto& rows : byKind)
        listing.rows.insert(listing.rows.end(), rows.begin(), rows.end());
    return listing;
}

QString sizeText(qint64 bytes, const QLocale& locale)
{
    // The quotient is held in single precision first: 1005 bytes give 1.00499999523,
    // so 1.00, and 2005 bytes 2.00500011444, so 2.01. A single times 100 is exact in a
    // double, so the rounding to two decimals sees the single's true value.
    const float kilo = float(double(std::max<qint64>(bytes, 0)) / 1000.0);
    const auto cents = qint64(std::round(double(kilo) * 100.0));
    const QString whole = QString::number(cents / 100);
    QString text;
    const QString group = locale.groupSeparator();
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            text += group;
        text += whole[i];
    }
    const int fraction = int(cents % 100);
    text += locale.decimalPoint();
    text += QChar(u'0' + fraction / 10);
    text += QChar(u'0' + fraction % 10);
    return text;
}

int compareSizeTexts(const QString& a, const QString& b)
{
    const QString da = significantDigits(a);
    const QString db = significantDigits(b);
    if (da.size() != db.size())
        return da.size() < db.size() ? -1 : 1;
    const int order = da.compare(db);
    return order < 0 ? -1 : order > 0 ? 1 : 0;
}

qint32 rowColor(const QString& fileName, const KindColors& colors)
{
    const int kind = kindOfName(fileName);
    return kind >= 0 ? colors[size_t(kind)] : platform::clWhite;
}

KindColors defaultKindColors()
{
    KindColors colors{};
    for (int kind = 0; kind < KindCount; ++kind)
        colors[size_t(kind)] = settings::options::kindColors[kind].fallback;
    return colors;
}

} // namespace filepanel
