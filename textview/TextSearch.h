#pragma once
// Finding a text in one paragraph without regard to case, compared as the view's
// search compares: both sides upper-cased by the document's mode. The paragraph is
// upper-cased one character at a time as it is read, so no copy of it is made.

#include "textview/RuleLists.h"
#include "textview/StyledDocument.h"

#include <QStringView>

namespace kbl {

// The first position at or after `from` where `hay`, upper-cased by `mode`, holds
// `upperNeedle` (already upper-cased by `mode`); -1 when there is none. `mode` is
// smuAscii or smuAnsi.
qsizetype indexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode);

// The first position at or after `from` where `hay` holds `needle` exactly; -1 when
// there is none.
qsizetype indexOfExact(QStringView hay, QStringView needle, qsizetype from);

// The same as indexOfUpperCased for the last position at or before `from`.
qsizetype lastIndexOfUpperCased(QStringView hay, QStringView upperNeedle, qsizetype from, TpmUpperCase mode);

// A match the document search found: its paragraph and its offset there.
struct TextMatch {
    int para = -1;
    qsizetype at = -1;
    explicit operator bool() const { return para >= 0; }
};

// The view's search over a whole document from (para, offset): forward, the first match
// at or behind it; backward, the last one lying wholly before it. A whole word is bounded
// by the paragraph's ends or by `separators`. No match spans a paragraph break.
TextMatch searchDocument(StyledDocument& doc, const CharSet& separators, QStringView text, int para,
                         qint32 offset, bool forward, bool matchCase, bool wholeWord);

} // namespace kbl
