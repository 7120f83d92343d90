#pragma once
// System metrics and fonts the windows lay themselves out with.

#include <QFont>
#include <QString>

namespace platform {

// Width of a vertical scroll bar in pixels.
int verticalScrollBarWidth();

// A font of `family` at `pixelHeight` pixels. When the family is not installed, a face
// that can show Traditional Chinese takes its place, so the Chinese captions stay legible.
QFont cjkFont(const QString& family, int pixelHeight);

} // namespace platform
