#include "highlight/ExtHighlighter.h"

#include "textview/StyledDocument.h"

#include <algorithm>

namespace kbl {

TCustomExtHighlighter::TCustomExtHighlighter() = default;
TCustomExtHighlighter::~TCustomExtHighlighter()
{
    setSubHighlighter(nullptr);
}

void TCustomExtHighlighter::setSeparators(const CharSet& s)
{
    if (s == separators)
        return;
    separators = s;
    startStopList.changed();
    // Boundary flags follow the separators.
    startStopList.deriveBoundaryFlags(separators);
}

void TCustomExtHighlighter::setSubHighlighter(TStyledHighlighter* h)
{
    if (h == this || h == sub)
        return;
    if (sub)
        sub->removeChainUser(this);
    sub = h;
    if (sub)
        sub->addChainUser(this);
}

void TCustomExtHighlighter::ComponentRemoved(TStyledHighlighter* component)
{
    if (component == sub)
        setSubHighlighter(nullptr);
}

void TCustomExtHighlighter::ContextNotification(int context)
{
    if (sub)
        sub->ContextNotification(context);
}

void TCustomExtHighlighter::Loaded()
{
    if (designMode)
        ReapplyToViews();
}

RuleSet TCustomExtHighlighter::ruleSet() const
{
    RuleSet r;
    r.separators = &separators;
    r.onKeywordMatch = &OnKeywordMatch;
    r.onStartMatch = &OnStartMatch;
    r.onStopMatch = &OnStopMatch;
    return r;
}

void TCustomExtHighlighter::applyOwnKeywords(StyledDocument& doc, TStyledNavigator& from,
                                             TStyledNavigator& to)
{
    if (!Active || keywordList.isEmpty())
        return;
    const int p0 = from.paraIndex();
    const int p1 = std::max(p0, to.paraIndex());
    const qint32 maxLen = keywordList.MaxLen();
    const RuleSet rules = ruleSet();
    int applied = 0;
    for (int pi = p0; pi <= p1; ++pi) {
        const qint32 len = doc.paraLength(pi);
        const qint32 fromOff = pi == p0 ? from.offset() : 0;
        const qint32 toOff = pi == p1 ? to.offset() : len;
        const qint32 s = pi == p0 ? std::max(0, fromOff - maxLen - 1) : 0;
        const qint32 e = pi == p1 ? std::min(toOff + maxLen, len) : len;
        if (e <= s)
            continue;
        // ASCII upper-casing needs no copy: the words are folded as they are compared.
        const bool foldAscii = doc.UpperCaseType() == smuAscii;
        const char16_t* upper = nullptr;
        if (keywordList.NeedsUpperCopy() && !foldAscii)
            upper = doc.UpperCopy(pi, 0, len);
        // The texts are addressed by paragraph offset; the copy covers the whole paragraph.
        applied += applyKeywordRules(doc, pi, pi == p0 ? fromOff : -(1 << 30),
                                     pi == p1 ? toOff : (1 << 30), s, e, doc.paraChars(pi), upper,
                                     keywordList, keywordIndex, rules, &startStopList,
                                     regionBase, foldAscii && keywordList.NeedsUpperCopy());
    }
    if (applied > 0)
        doc.markNavigatorsStale(p0, doc.paragraphCount() - 1, from.pos());
}

void TCustomExtHighlighter::ApplyKeywords(StyledDocument& doc, TStyledNavigator& from,
                                          TStyledNavigator& to, int baseIndex)
{
    applyOwnKeywords(doc, from, to);
    if (sub)
        sub->ApplyKeywords(doc, from, to, baseIndex + keywordList.count());
}

bool TCustomExtHighlighter::FindStartKey(StyledDocument& doc, TStyledNavigator& from,
                                         TStyledNavigator& to, int baseIndex)
{
    if (doc.styleInForce(from.paraIndex(), from.offset()).level() >= MaxNestingLevel)
        return false;
    regionBase = baseIndex;
    if (Active && !startStopList.isEmpty()
        && findStartKeyIn(doc, from, to, startStopList, ruleSet(), baseIndex))
        return true;
    return sub && sub->FindStartKey(doc, from, to, baseIndex + startStopList.count());
}

bool TCustomExtHighlighter::FindStopKey(StyledDocument& doc, TStyledNavigator& from,
                                        TStyledNavigator& to, int baseIndex)
{
    regionBase = baseIndex;
    const FormatRecord& cur = doc.styleInForce(from.paraIndex(), from.offset());
    if (cur.level() < 0)
        return false;
    const qint16 t = cur.topRule();
    const int k = regionIndex(t) - baseIndex;
    if (k < 0)
        return false;
    if (Active && isRegionId(t) && k < startStopList.count())
        return findStopKeyIn(doc, from, to, startStopList, ruleSet(), baseIndex, k);
    return sub && sub->FindStopKey(doc, from, to, baseIndex + startStopList.count());
}

} // namespace kbl
