#pragma once
// A text view without a window for the scanner's and the jumper's tests: every paragraph
// is one display line, the search follows the view's rules (upper-cased comparison,
// whole words delimited by the separators, caret behind a forward match); forward only.

#include "viewer/MemoAccess.h"

#include <QStringList>

namespace kbltest {

class LineMemo final : public viewer::MemoAccess {
public:
    explicit LineMemo(QStringList lines, QString separators = QStringLiteral("\t$%&,./:;<=>"))
        : paras(std::move(lines)), seps(std::move(separators)) {}

    int paragraphCount() const override { return int(paras.size()); }
    QString paragraphText(int para) const override { return paras.value(para); }
    bool textEmpty() const override { return paras.size() == 1 && paras[0].isEmpty(); }

    bool SearchText(const QString& text, bool forward, bool matchCase, bool wholeWord) override;
    void ScrollInView() override {}

    void setSelStart(qint64 pos) override;
    void setSelLength(qint64 length) override { selLength = length; }
    int SelPar() const override { return par; }
    void setSelPar(int p) override;
    qint64 SelLine() override { return par; }
    int SelParLine() override { return 0; }
    int SelCol() override { return col; }
    void setSelCol(int c) override { col = std::clamp(c, 0, int(paras[par].size())); }
    void setTopLine(qint64 line) override { topLine = line; }
    qint64 VisibleLineCount() override { return visibleLines; }
    qint64 DisplayLineCount() override { return paras.size(); }

    QStringList paras;
    QString seps;
    int par = 0;
    int col = 0;
    qint64 selLength = 0;
    qint64 topLine = -1;
    qint64 visibleLines = 40;
    int searches = 0;
};

} // namespace kbltest
