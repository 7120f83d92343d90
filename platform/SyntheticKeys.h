#pragma once
// Keystrokes made by the program itself. They go through the event queue to the widget
// that has the keyboard focus, as if the user had pressed the key there.

#include <QString>

namespace platform {

// Posts a press and a release of `key` (a Qt::Key) with the character it types; nothing
// happens when no widget has the focus.
void postKeyStroke(int key, const QString& text);

} // namespace platform
