#pragma once
// The help file kbl.hlp: its contents page or one of its topics. There is no help engine
// that addresses topics on Linux, so both open the file with the desktop's viewer for it.

#include <QString>

#include <functional>

namespace platform {

// Opens the contents page of `file`; false when nothing could show it.
bool openHelpContents(const QString& file);

// Opens topic `topic` of `file`; false when nothing could show it.
bool openHelpTopic(const QString& file, int topic);

// Replaces the desktop's viewer (tests); an empty function restores it. `topic` is 0
// for the contents page.
using HelpViewer = std::function<bool(const QString& file, int topic)>;
void setHelpViewer(HelpViewer viewer);

} // namespace platform
