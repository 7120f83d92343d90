#pragma once
// Object Pascal highlighting with built-in assembler blocks: fixed keyword and region
// tables, nine style objects that drive them, and a private number highlighter.

#include "highlight/ExtHighlighter.h"
#include "highlight/HighlightInfo.h"
#include "highlight/NumberHighlighter.h"

#include <QStringList>

namespace kbl {

// Carries only the legacy "Formats" property, read but never written.
class TOOPKeywordList {
public:
    explicit TOOPKeywordList(TExtKeywordList& list) : keywords(list) {}
    void readFormats(ValueReader& r);

private:
    TExtKeywordList& keywords;
};

class TOOPHighlighter : public TCustomExtHighlighter {
public:
    static constexpr int OOPKeywordCount = 80;
    static constexpr int ASMKeywordCount = 166;

    TOOPHighlighter();
    ~TOOPHighlighter() override;

    THighlightInfo KeywordsOOP;
    THighlightInfo KeywordsASM;
    THighlightInfo ASMHighlight;
    THighlightInfo Strings;
    THighlightInfo CommentSingleLine;
    THighlightInfo CommentBrace;
    THighlightInfo CommentParAst;
    THighlightInfo Directives;
    THighlightInfo Numbers;

    TOOPKeywordList& KeywordsFormats() { return formatsList; }
    TNumberHighlighter& NumberHighlighter() { return numbers; }

    void Loaded() override;
    void ApplyKeywords(StyledDocument& doc, TStyledNavigator& from, TStyledNavigator& to,
                       int baseIndex) override;

    // Component stream: the style objects' properties and "ModFormats".
    void writeComponent(ValueWriter& w) const;
    // Reads what writeComponent wrote (and the legacy "Keywords.Formats"), then Loaded.
    void readComponent(ValueReader& r);
    void writeModFormats(ValueWriter& w) const;
    void readModFormats(ValueReader& r);

    // The nine style objects with their property names, in published order.
    std::vector<std::pair<QString, THighlightInfo*>> styleObjects();

    static const QStringList& oopKeywords();
    static const QStringList& asmKeywords();

private:
    void StyleChanged(THighlightInfo& x);
    void applyGroupChange(THighlightInfo& x, THighlightInfo& old, int first, int last);
    void applyToPair(const THighlightInfo& x, int a, int b);
    bool keywordFilter(TStyledNavigator& first, int index);

    THighlightInfo lastKeywordsOOP;
    THighlightInfo lastKeywordsASM;
    bool applyingLoad = false;
    TOOPKeywordList formatsList{keywordList};
    TNumberHighlighter numbers;
};

// The file viewer's instance values of the styles.
void applyFileViewerStyles(TOOPHighlighter& h);

} // namespace kbl
