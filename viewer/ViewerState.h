#pragma once
// How the viewer keeps its search text and colour-dialog state in the settings file, and
// which files it highlights.

#include <QString>
#include <QStringList>

#include <utility>

namespace viewer {

// Stored between two dashes so that leading and trailing blanks survive the INI file,
// which trims values.
QString storedFindText(const QString& text);
// The first and last characters dropped; a one-character value gives an empty text.
QString restoredFindText(const QString& stored);

// One name=value line of the colour dialog's custom colours split for writing: the name
// before the first "=", at most 99 characters of the value after it. A line
// without "=" gives an empty name.
std::pair<QString, QString> customColorEntry(const QString& line);

// The text of a file to show, or the message that says why it cannot be shown: it is
// gone, it is no regular file (a folder, pipe or device, whose reading would never end),
// or the system refused it.
struct ViewerFileText {
    bool ok = false;
    QString text;
    QString problem;
};
ViewerFileText readViewerFile(const QString& path);

// Every file but a ".txt" one (in any letter case) is shown as Object Pascal, a name
// without an extension too.
bool isHighlightedFile(const QString& path);

} // namespace viewer
