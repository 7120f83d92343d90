#pragma once
// The extended rule engine: a keyword list and a start/stop list with scopes, priorities
// and nesting, matched against a document paragraph by paragraph. Highlighters chain
// through SubHighlighter; each passes BaseIndex + its own rule count along.

#include "highlight/ExtRuleLists.h"
#include "textview/RuleSearch.h"
#include "textview/StyledHighlighter.h"

#include <functional>
#include <memory>

namespace kbl {

class TCustomExtHighlighter : public TStyledHighlighter {
public:
    TCustomExtHighlighter();
    ~TCustomExtHighlighter() override;

    TExtKeywordList& Keywords() { return keywordList; }
    TExtStartStopList& StartStopKeys() { return startStopList; }
    const CharSet& Separators() const { return separators; }
    void setSeparators(const CharSet& s);

    TStyledHighlighter* SubHighlighter() const { return sub; }
    void setSubHighlighter(TStyledHighlighter* h);
    bool Active = true;

    MatchHook OnKeywordMatch;
    MatchHook OnStartMatch;
    MatchHook OnStopMatch;

    // Attributes of single-rule highlighters built on this class.
    bool AltFont = false;
    quint8 Style = 0;
    qint32 Background = -1;
    qint32 Foreground = -1;
    qint16 ContextNum = 0;
    qint32 Priority = 0;
    qint32 Scope = 0;
    // (Sender, scope, DoHilit)
    std::function<void(TCustomExtHighlighter&, qint16, bool&)> OnQueryHilit;

    // Design-time behaviour: property setters re-highlight the views only then.
    bool designMode = false;
    bool loading = false;
    virtual void Loaded();

    void ApplyKeywords(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                       int baseIndex) override;
    bool FindStartKey(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                      int baseIndex) override;
    bool FindStopKey(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                     int baseIndex) override;
    void ContextNotification(int context) override;
    // Notice that a component is going away (clears SubHighlighter when it is that one).
    void ComponentRemoved(TStyledHighlighter* component) override;

protected:
    // The engine's own keyword pass (without the chain).
    void applyOwnKeywords(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to);
    RuleSet ruleSet() const;

    TExtKeywordList keywordList;
    TExtStartStopList startStopList;
    CharSet separators{QStringView(u"\t ,.;")};
    TStyledHighlighter* sub = nullptr;
    KeywordIndex keywordIndex;
    int regionBase = 0; // BaseIndex of the region searches, used for priorities
};

} // namespace kbl
