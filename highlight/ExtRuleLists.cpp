#include "highlight/ExtRuleLists.h"

namespace kbl {

namespace {

void writeReach(ValueWriter& w, const RuleReach& r)
{
    w.writeInteger(r.Scope);
    w.writeInteger(r.Priority);
}

void readReach(ValueReader& r, RuleReach& into)
{
    into.Scope = qint16(r.readInteger());
    into.Priority = qint16(r.readInteger());
}

} // namespace

// ---- TExtKeywordList ----

void TExtKeywordList::setEntry(int i, const TExtKeywordInfo& info)
{
    BeginUpdate();
    TKeywordList::setEntry(i, info);
    static_cast<RuleReach&>(entry(i)) = info;
    EndUpdate();
}

int TExtKeywordList::AddKeyword(const QString& keyword, quint8 options, quint8 style,
                                qint32 contextNum, qint16 cursor, qint32 background,
                                qint32 foreground, qint16 scope, qint16 priority)
{
    BeginUpdate();
    const int i = TKeywordList::AddKeyword(keyword, options, style, contextNum, cursor, background, foreground);
    entry(i).Scope = scope;
    entry(i).Priority = priority;
    changed();
    EndUpdate();
    return i;
}

void TExtKeywordList::CopyFrom(const TKeywordList& source)
{
    if (&source == this)
        return;
    BeginUpdate();
    TKeywordList::CopyFrom(source);
    for (int i = 0; i < count(); ++i)
        if (hasEntry(i))
            static_cast<RuleReach&>(entry(i)) = source.reach(i); // none from a plain list
    changed();
    EndUpdate();
}

void TExtKeywordList::writeExtraFields(ValueWriter& w, const KeywordInfo& e) const
{
    writeReach(w, static_cast<const TExtKeywordInfo&>(e));
}

void TExtKeywordList::readExtraFields(ValueReader& r, KeywordInfo& e) const
{
    readReach(r, static_cast<TExtKeywordInfo&>(e));
}

// ---- TExtStartStopList ----

int TExtStartStopList::Add(const QString& startKey, const QString& stopKey, quint8 options,
                           quint8 style, qint32 contextNum, qint16 cursor, qint32 background,
                           qint32 foreground, bool stopAtParEnd, qint16 scope, qint16 priority)
{
    const int i = TStartStopKeyList::Add(startKey, stopKey, options, style, contextNum, cursor, background,
                                         foreground, stopAtParEnd);
    item(i).Scope = scope;
    item(i).Priority = priority;
    changed();
    return i;
}

void TExtStartStopList::writeExtraFields(ValueWriter& w, const StartStopInfo& e) const
{
    writeReach(w, static_cast<const TExtStartStopInfo&>(e));
}

void TExtStartStopList::readExtraFields(ValueReader& r, StartStopInfo& e) const
{
    readReach(r, static_cast<TExtStartStopInfo&>(e));
}

} // namespace kbl
