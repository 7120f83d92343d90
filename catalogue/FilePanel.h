#pragma once
// What the file panel lists for one project: the files of the seven kinds beside the
// project file, with their sizes as the panel shows them, the row colours by extension
// and the size comparison of a header click.

#include "settings/SettingsKeys.h"

#include <QLocale>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <array>
#include <vector>

namespace filepanel {

// The kinds in the order the panel is filled: dpr, pas, dfm, dsk, dof, cfg, txt, and the
// Lazarus kinds lpi, lpr, lfm, inc.
inline constexpr int KindCount = settings::options::KindCount;
using KindFlags = std::array<bool, KindCount>;
using KindColors = std::array<qint32, KindCount>;

// "*.dpr" .. "*.txt".
QString kindMask(int kind);

// The kind a file name's mask takes (-1 for none): the name ends in ".dpr" .. ".txt",
// letters compared without regard to case.
int kindOfName(const QString& name);

struct FileRow {
    QString name;
    QString size; // sizeText of the byte count
    friend bool operator==(const FileRow&, const FileRow&) = default;
};

struct FileListing {
    enum class Outcome { Listed, NoKinds, MissingFolder };
    Outcome outcome = Outcome::Listed;
    QString folder; // the project's folder with a trailing separator
    std::vector<FileRow> rows; // by kind, then in the order the file system lists them
};

// The project's folder: the folder part of `fullPath`, with a trailing separator.
QString folderOf(const QString& fullPath);

// Lists the project folder of root + projectPath. Folders whose names match a mask are
// listed too (size 0); of the dpr kind only the first match counts.
FileListing listProjectFiles(const QString& root, const QString& projectPath, const KindFlags& show);

// The size column: bytes / 1000 rounded to single precision, then to two decimals (half
// away from zero), with the locale's thousands separator and decimal point: 0.00, 1.00,
// 2.05, 1,234.57.
QString sizeText(qint64 bytes, const QLocale& locale = QLocale());

// A size text compared by its digits alone ("1,234.57" as 123457; no digits as 0):
// negative, zero or positive. Any number of digits compares correctly.
int compareSizeTexts(const QString& a, const QString& b);

// The row colour of a file name by its lower-cased extension; any other extension is
// white.
qint32 rowColor(const QString& fileName, const KindColors& colors);

// The default colours of the kinds.
KindColors defaultKindColors();

} // namespace filepanel
