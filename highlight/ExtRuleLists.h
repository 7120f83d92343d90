#pragma once
// The rule tables of the extended highlighter engine: the text view's keyword and
// start/stop key lists with a scope and a priority for every rule (its reach: inside
// which regions it applies), written to the component stream after the common fields.

#include "textview/RuleLists.h"

namespace kbl {

struct TExtKeywordInfo : KeywordInfo, RuleReach {};

struct TExtStartStopInfo : StartStopInfo, RuleReach {};

class TExtKeywordList : public TKeywordList {
public:
    // Every entry of this list is made by newEntry below.
    const TExtKeywordInfo& entry(int i) const
    {
        return static_cast<const TExtKeywordInfo&>(TKeywordList::entry(i));
    }
    TExtKeywordInfo& entry(int i) { return static_cast<TExtKeywordInfo&>(TKeywordList::entry(i)); }
    using TKeywordList::setEntry; // a plain entry leaves the scope and priority as they are
    void setEntry(int i, const TExtKeywordInfo& info);

    int AddKeyword(const QString& keyword, quint8 options, quint8 style, qint32 contextNum,
                   qint16 cursor, qint32 background, qint32 foreground, qint16 scope = 0,
                   qint16 priority = 0);
    // From a plain list the entries get scope and priority 0.
    void CopyFrom(const TKeywordList& source) override;

    RuleReach reach(int i) const override { return entry(i); }
    bool isExtended() const override { return true; }

protected:
    std::unique_ptr<KeywordInfo> newEntry() const override { return std::make_unique<TExtKeywordInfo>(); }
    void writeExtraFields(ValueWriter& w, const KeywordInfo& e) const override;
    void readExtraFields(ValueReader& r, KeywordInfo& e) const override;
};

class TExtStartStopList : public TStartStopKeyList {
public:
    // Every entry of this list is made by newEntry below.
    const TExtStartStopInfo& item(int i) const
    {
        return static_cast<const TExtStartStopInfo&>(TStartStopKeyList::item(i));
    }
    TExtStartStopInfo& item(int i) { return static_cast<TExtStartStopInfo&>(TStartStopKeyList::item(i)); }

    int Add(const QString& startKey, const QString& stopKey, quint8 options, quint8 style,
            qint32 contextNum, qint16 cursor, qint32 background, qint32 foreground,
            bool stopAtParEnd, qint16 scope = 0, qint16 priority = 0);

    RuleReach reach(int i) const override { return item(i); }
    bool isExtended() const override { return true; }

protected:
    std::unique_ptr<StartStopInfo> newEntry() const override { return std::make_unique<TExtStartStopInfo>(); }
    void writeExtraFields(ValueWriter& w, const StartStopInfo& e) const override;
    void readExtraFields(ValueReader& r, StartStopInfo& e) const override;
};

} // namespace kbl
