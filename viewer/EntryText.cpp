#include "viewer/EntryText.h"

namespace viewer {

QString trimControls(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first).toString();
}

std::optional<QString> declarationEntryText(QStringView line, QStringView keyword, bool removeParams)
{
    QString t = trimControls(line);

    // A trailing comment is cut off whatever its length, as is a parameter list below.
    if (const qsizetype comment = t.indexOf(u"//"); comment >= 0)
        t.truncate(comment);

    // For a method this drops the keyword and the class name together.
    if (const qsizetype dot = t.indexOf(u'.'); dot >= 0)
        t.remove(0, dot + 1);

    if (removeParams) {
        if (const qsizetype paren = t.indexOf(u'('); paren >= 0)
            t.truncate(paren);
        if (const qsizetype k = t.indexOf(keyword); k >= 0)
            t.remove(0, k + keyword.size());
    }

    if (trimControls(t).isEmpty())
        return std::nullopt;
    return t;
}

} // namespace viewer
