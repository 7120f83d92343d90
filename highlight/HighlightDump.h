#pragma once
// Text and HTML renderings of a highlighted document: each paragraph with its runs and
// the style class that made them. Used by kbl-highlight and by the tests.

#include <QString>
#include <QtGlobal>

namespace kbl {

class StyledDocument;
struct FormatRecord;

// The style class of a run of the Object Pascal highlighter ("KeywordsOOP",
// "CommentBrace", ...), or an empty string for plain text.
QString oopStyleClass(const FormatRecord& r, int ownStartStopCount);

// One line per paragraph: plain text as is, highlighted runs as [Class:text].
QString dumpText(StyledDocument& doc);
QString dumpParagraph(StyledDocument& doc, int para);
// A hash of every format record of every paragraph (start formats included), taken from
// the records' values and offsets, never from their interned ids: two engines that
// highlight a text alike give the same sum, whatever order they interned styles in.
// Parses what is not parsed yet.
quint64 formatChecksum(StyledDocument& doc);

// A self-contained page drawing the runs in their colours and styles.
QString dumpHtml(StyledDocument& doc, const QString& title);

} // namespace kbl
