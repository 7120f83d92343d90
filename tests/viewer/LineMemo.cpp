#include "LineMemo.h"

namespace kbltest {

void LineMemo::setSelStart(qint64 pos)
{
    // Two positions per paragraph break, as the real view counts.
    selLength = 0;
    par = 0;
    while (par + 1 < paras.size() && pos > paras[par].size() + 1) {
        pos -= paras[par].size() + 2;
        ++par;
    }
    col = int(std::clamp<qint64>(pos, 0, paras[par].size()));
}

void LineMemo::setSelPar(int p)
{
    selLength = 0;
    par = std::clamp(p, 0, int(paras.size()) - 1);
    col = 0;
}

bool LineMemo::SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord)
{
    ++searches;
    const Qt::CaseSensitivity cs = matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    auto isWord = [&](const QString& s, qsizetype at) {
        if (!wholeWord)
            return true;
        const qsizetype end = at + text.size();
        return (at == 0 || seps.contains(s[at - 1])) && (end == s.size() || seps.contains(s[end]));
    };
    if (!forward)
        return false; // the scanner and the jumper only search forward
    for (int p = par, from = col; p < paras.size(); ++p, from = 0) {
        for (qsizetype at = paras[p].indexOf(text, from, cs); at >= 0; at = paras[p].indexOf(text, at + 1, cs)) {
            if (isWord(paras[p], at)) {
                par = p;
                col = int(at + text.size());
                selLength = -text.size();
                return true;
            }
        }
    }
    return false;
}

} // namespace kbltest
