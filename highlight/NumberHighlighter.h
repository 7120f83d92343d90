#pragma once
// Marks numeric literals: words of decimal digits and words of "$" followed by
// hexadecimal digits. Only the keyword pass is its own; region searches are the engine's.

#include "highlight/ExtHighlighter.h"

#include <QString>

namespace kbl {

class TNumberHighlighter : public TCustomExtHighlighter {
public:
    TNumberHighlighter();

    // The separators as text: members with codes 27-255 in ascending order.
    QString SeparatorsText() const;
    void setSeparatorsText(const QString& text);

    void setAltFont(bool v);
    void setBackground(qint32 v);
    void setForeground(qint32 v);
    void setStyle(quint8 v);
    void setContextNum(qint16 v);
    void setScope(qint32 v);
    void setPriority(qint32 v);

    void ApplyKeywords(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                       int baseIndex) override;

    // Whether numbers may be highlighted under a format record.
    bool mayHighlight(const FormatRecord& r);
    static bool isNumber(const char16_t* word, qint32 len);

private:
    void propertyChanged();
};

} // namespace kbl
