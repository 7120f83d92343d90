#pragma once
// Renders highlighted paragraphs for generic rule tests: runs of dynamic level records
// as [c<context>:text], everything else as is.

#include "textview/StyledDocument.h"

#include <QString>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace kbltest {

inline QString contexts(kbl::StyledDocument& doc, int para)
{
    doc.ensureParsed(para);
    const kbl::ParagraphInfo& p = doc.paragraph(para);
    QString out;
    auto add = [&](const kbl::FormatRecord& r, QStringView text) {
        if (text.isEmpty())
            return;
        if (r.isLevelRecord())
            out += QStringLiteral("[c%1:%2]").arg(r.Context).arg(text);
        else
            out += text;
    };
    kbl::FormatRecord cur = doc.formats().at(p.StartFormat);
    qint32 at = 0;
    for (const kbl::StoredRecord& s : p.Formats) {
        add(cur, p.view().mid(at, s.offset - at));
        at = s.offset;
        cur = doc.formats().expand(s);
    }
    add(cur, p.view().mid(at));
    return out;
}

inline QString contexts(kbl::StyledDocument& doc)
{
    QString out;
    for (int i = 0; i < doc.paragraphCount(); ++i)
        out += contexts(doc, i) + u'\n';
    return out;
}

} // namespace kbltest
