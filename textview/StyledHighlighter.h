#pragma once
// The contract between a text document and the highlighters attached to it: a keyword
// pass and the two region searches. BaseIndex is the number of rules that come before
// the highlighter's own (the document's own rules, then earlier highlighters in a chain).

#include <vector>

namespace kbl {

class StyledDocument;
class TStyledNavigator;

class TStyledHighlighter {
public:
    TStyledHighlighter() = default;
    virtual ~TStyledHighlighter();
    TStyledHighlighter(const TStyledHighlighter&) = delete;
    TStyledHighlighter& operator=(const TStyledHighlighter&) = delete;

    virtual void ApplyKeywords(StyledDocument&, TStyledNavigator& /*from*/,
                               TStyledNavigator& /*to*/, int /*baseIndex*/) {}
    virtual bool FindStartKey(StyledDocument&, TStyledNavigator& /*from*/,
                              TStyledNavigator& /*to*/, int /*baseIndex*/) { return false; }
    virtual bool FindStopKey(StyledDocument&, TStyledNavigator& /*from*/,
                             TStyledNavigator& /*to*/, int /*baseIndex*/) { return false; }
    // Context click notification (operation code 64) passed along the chain.
    virtual void ContextNotification(int /*context*/) {}
    // Notice that a component this one refers to is going away.
    virtual void ComponentRemoved(TStyledHighlighter* /*component*/) {}

    // Asks every attached document to re-highlight all its text.
    void ReapplyToViews();
    const std::vector<StyledDocument*>& views() const { return attached; }

    // Highlighters chaining to this one hear of its destruction.
    void addChainUser(TStyledHighlighter* h) { chainUsers.push_back(h); }
    void removeChainUser(TStyledHighlighter* h);

private:
    friend class StyledDocument;
    std::vector<StyledDocument*> attached;
    std::vector<TStyledHighlighter*> chainUsers;
};

} // namespace kbl
