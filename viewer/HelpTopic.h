#pragma once
// Opening a topic of the program's help file. The desktop opens the file itself (topics
// cannot be addressed there); tests put a recorder in its place.

#include <QString>

#include <functional>

namespace viewer {

using HelpOpener = std::function<void(const QString& path, int topic)>;

// The help file beside the executable, whether or not it exists.
QString helpFilePath();

void openHelpTopic(const QString& path, int topic);

// Replaces the opener (tests); an empty function restores the desktop's.
void setHelpOpener(HelpOpener opener);

} // namespace viewer
