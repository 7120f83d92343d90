#pragma once
// Colour values as the settings file and the highlight styles keep them: 0x00BBGGRR for a
// plain colour, 0x80000000 + index for a system colour, -1 for "not set".

#include <QColor>
#include <QtGlobal>

namespace platform {

constexpr qint32 ColorNone = -1;
constexpr qint32 SystemColorFlag = qint32(0x80000000u);
constexpr qint32 clWindow = SystemColorFlag | 5;      // window background
constexpr qint32 clWindowText = SystemColorFlag | 8;  // window text
constexpr qint32 clHighlight = SystemColorFlag | 13;
constexpr qint32 clHighlightText = SystemColorFlag | 14;
constexpr qint32 clBtnFace = SystemColorFlag | 15;
constexpr qint32 clGrayText = SystemColorFlag | 17;

constexpr qint32 rgbColor(int r, int g, int b) { return qint32(r | (g << 8) | (b << 16)); }
constexpr qint32 clRed = rgbColor(255, 0, 0);
constexpr qint32 clBlack = rgbColor(0, 0, 0);
constexpr qint32 clWhite = rgbColor(255, 255, 255);

constexpr bool isSystemColor(qint32 value) { return value != ColorNone && (value & SystemColorFlag); }

// The colour to paint with; system colours come from the application palette.
// ColorNone gives an invalid QColor.
QColor toQColor(qint32 value);

// The stored form of a plain colour (alpha is dropped).
qint32 fromQColor(const QColor& color);

} // namespace platform
