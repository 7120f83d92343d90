// The highlighter base: the documents and the chained highlighters that use a
// highlighter let go of it when it is destroyed.
#include "textview/StyledHighlighter.h"

#include "textview/StyledDocument.h"

#include <vector>

namespace kbl {

void TStyledHighlighter::removeChainUser(TStyledHighlighter* h)
{
    std::erase(chainUsers, h);
}

TStyledHighlighter::~TStyledHighlighter()
{
    const auto users = chainUsers;
    for (TStyledHighlighter* h : users)
        h->ComponentRemoved(this);
    // Views must not keep a dangling highlighter.
    const auto views = attached;
    for (StyledDocument* d : views)
        d->setHighlighter(nullptr);
}

void TStyledHighlighter::ReapplyToViews()
{
    for (StyledDocument* d : attached)
        d->ReapplyKeywords();
}

} // namespace kbl
