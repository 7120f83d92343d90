#include "viewer/EntryText.h"

#include "textview/TextSearch.h"

namespace viewer {

namespace {

QStringView trimmedControls(QStringView text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString trimControls(QStringView text)
{
    return trimmedControls(text).toString();
}

std::optional<QString> declarationEntryText(QStringView line, QStringView keyword, bool removeParams)
{
    // Cut as a view of the line and searched without a general string search's set-up: a
    // scan makes thousands of rows, each copied once.
    QStringView t = trimmedControls(line);

    // A trailing comment is cut off whatever its length, as is a parameter list below.
    if (const qsizetype comment = kbl::indexOfExact(t, u"//", 0); comment >= 0)
        t.truncate(comment);

    // For a method this drops the keyword and the class name together.
    if (const qsizetype dot = t.indexOf(u'.'); dot >= 0)
        t = t.mid(dot + 1);

    if (removeParams) {
        if (const qsizetype paren = t.indexOf(u'('); paren >= 0)
            t.truncate(paren);
        if (const qsizetype k = kbl::indexOfExact(t, keyword, 0); k >= 0)
            t = t.mid(k + keyword.size());
    }

    if (trimmedControls(t).isEmpty())
        return std::nullopt;
    return t.toString();
}

} // namespace viewer
