#pragma once
// A highlight style: alternate-font flag, font style bits, background and foreground
// colour (-1 = not set). The owner installs a change handler to hear about changes.

#include <QtGlobal>

#include <functional>

namespace kbl {

// Style byte bits shared by rule entries and format records.
enum StyleBits : quint8 {
    fsBold = 0x01,
    fsItalic = 0x02,
    fsUnderline = 0x04,
    fsStrikeOut = 0x08,
    styleHighlight = 0x10,
    styleAltFont = 0x20,
    styleLevel = 0x40,
    styleDynamic = 0x80,
};

constexpr qint32 clNone = -1;

class THighlightInfo {
public:
    using ChangeHandler = std::function<void(THighlightInfo&)>;

    THighlightInfo() = default;
    THighlightInfo(bool altFont, quint8 style, qint32 background, qint32 foreground)
        : altFont(altFont), style(style & 0x0F), background(background), foreground(foreground) {}
    // Copies values only; the handler stays the one of each object.
    THighlightInfo(const THighlightInfo& o)
        : altFont(o.altFont), style(o.style), background(o.background), foreground(o.foreground) {}
    THighlightInfo& operator=(const THighlightInfo&) = delete;

    bool AltFont() const { return altFont; }
    quint8 Style() const { return style; }
    qint32 Background() const { return background; }
    qint32 Foreground() const { return foreground; }
    // The style byte a rule entry gets from this style.
    quint8 styleByte() const { return quint8(style | (altFont ? styleAltFont : 0)); }

    void setAltFont(bool v);
    void setStyle(quint8 v);
    void setBackground(qint32 v);
    void setForeground(qint32 v);
    void CopyFrom(const THighlightInfo& source);

    void setChangeHandler(ChangeHandler handler) { onChange = std::move(handler); }
    void clearChangeHandler() { onChange = nullptr; }

private:
    void changed() { if (onChange) onChange(*this); }

    bool altFont = false;
    quint8 style = 0;
    qint32 background = clNone;
    qint32 foreground = clNone;
    ChangeHandler onChange;
};

} // namespace kbl
