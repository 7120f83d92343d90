#include "highlight/OOPHighlighter.h"

#include "textview/StyledDocument.h"

namespace kbl {

namespace {
constexpr qint32 clYellow = 0x00FFFF;
constexpr qint32 clPurple = 0x800080;
constexpr qint32 clSilver = 0xC0C0C0;
constexpr qint32 clBlack = 0x000000;
constexpr qint32 clBlue = 0xFF0000;
constexpr qint32 clTeal = 0x808000;
constexpr qint32 clWhite = 0xFFFFFF;
constexpr qint32 clNavy = 0x800000;
constexpr qint32 clGreen = 0x008000;
constexpr qint32 clRed = 0x0000FF;
} // namespace

const QStringList& TOOPHighlighter::oopKeywords()
{
    static const QStringList words = QStringLiteral(
        "and array as begin case class const constructor default destructor dispinterface "
        "div do downto dynamic else end except exports file finalization finally for "
        "function goto if implementation in inherited initialization inline interface is "
        "label library mod message nil not object of or out override packed private "
        "procedure program property protected public published raise record register "
        "repeat resourcestring set shl shr string then threadvar to try type unit until "
        "uses var virtual while with xor implements index nodefault read stored write")
        .split(u' ');
    return words;
}

const QStringList& TOOPHighlighter::asmKeywords()
{
    static const QStringList words = QStringLiteral(
        "ASM END AAA AAS AAD AAM ADC ADD AND BOUND BSF BSR BT BTC BTR BTS CALL CMP CBW CWD "
        "CDQ CWDE CLC CLD CLI CMC CMPSB CMPSD CMPSW DAA DAS DEC DIV ENTER HLT IDIV IMUL IN "
        "INC INSB INSW INSD INT INTO IRET IRETD JA JAE JBE JC JE JCXZ JG JGE JMP JO JNA JNO "
        "JB JNAE JNB JNC JZ JNE JNZ JNBE JS JNS JP JPE JNP JPO JL JNGE JNL JLE JNG JNLE JECXZ "
        "LAHF LEA LEAVE LDS LES LFS LGS LODSB LODSW LODSD LOOP LOCK REP REPE REPZ REPNE "
        "REPNZ SEGES SEGCS SEGSS SEGDS SEGFS SEGGS LOOPE LOOPZ LOOPNE LOOPNZ LOOPD LOOPDE "
        "LOOPDZ LOOPDNE LOOPDNZ MOV MOVSX MOVZX MOVSB MOVSW MOVSD MUL NEG NOP NOT OR OUT "
        "OUTSB OUTSW OUTSD POP POPF POPA POPAD POPFD PUSH PUSHF PUSHA PUSHAD PUSHFD RET "
        "RETN RETF SUB SBB RCL RCR ROL ROR SAL SHL SAR SHR SHLD SHRD SAHF SCASB SCASW "
        "SCASD STC STD STI STOSB STOSW STOSD TEST WAIT XCHG XLAT XOR")
        .split(u' ');
    return words;
}

TOOPHighlighter::TOOPHighlighter()
    : KeywordsOOP(false, fsBold, -1, -1),
      KeywordsASM(false, fsBold, clYellow, -1),
      ASMHighlight(false, 0, -1, clPurple),
      Strings(false, fsItalic, clSilver, clBlack),
      CommentSingleLine(false, fsItalic, -1, clBlue),
      CommentBrace(false, fsItalic, -1, clNavy),
      CommentParAst(false, fsItalic, -1, clGreen),
      Directives(false, fsItalic, clTeal, clWhite),
      Numbers(false, 0, -1, clRed),
      lastKeywordsOOP(KeywordsOOP),
      lastKeywordsASM(KeywordsASM)
{
    OnKeywordMatch = [this](TStyledNavigator& first, TStyledNavigator*, int index, bool& accept) {
        if (accept)
            accept = keywordFilter(first, index);
    };
    separators = CharSet(QStringView(u"\t \"'(),-./:;<=>[]{}"));

    keywordList.BeginUpdate();
    for (const QString& w : oopKeywords())
        keywordList.AddKeyword(w, WholeWord, fsBold, 1, 0, -1, -1, 0, 0);
    for (const QString& w : asmKeywords())
        keywordList.AddKeyword(w, WholeWord, fsBold, 7, 0, clYellow, -1, 6, 0);
    keywordList.EndUpdate();

    auto& ss = startStopList;
    ss.Add("property", ";", WholeWord, 0, 0, 0, -1, -1, false, 0, 0);
    ss.Add("'", "'", 0, fsItalic, 2, 0, clSilver, clBlack, true, 0, 0);
    ss.Add("//", "", 0, fsItalic, 3, 0, -1, clBlue, true, 0, 0);
    ss.Add("{$", "}", 0, fsItalic, 4, 0, clTeal, clWhite, false, 0, 0);
    ss.Add("{", "}", 0, fsItalic, 3, 0, -1, clNavy, false, 0, 0);
    ss.Add("(*", "*)", 0, fsItalic, 3, 0, -1, clGreen, false, 0, 0);
    ss.Add("'", "'", 0, fsItalic, 8, 0, clSilver, clBlack, true, 6, 0);
    ss.Add("//", "", 0, fsItalic, 3, 0, -1, clBlue, true, 6, 0);
    ss.Add("{$", "}", 0, fsItalic, 4, 0, clTeal, clWhite, false, 6, 0);
    ss.Add("{", "}", 0, fsItalic, 3, 0, -1, clNavy, false, 6, 0);
    ss.Add("(*", "*)", 0, fsItalic, 3, 0, -1, clGreen, false, 6, 0);
    ss.Add("asm", "end", WholeWord, fsUnderline, 6, 0, -1, clPurple, false, 0, 0);
    ss.deriveBoundaryFlags(separators);

    for (auto& [name, info] : styleObjects())
        info->setChangeHandler([this](THighlightInfo& x) { StyleChanged(x); });

    numbers.setSeparators(separators);
    numbers.Foreground = clRed;
    numbers.ContextNum = 5;
    numbers.OnQueryHilit = [](TCustomExtHighlighter&, qint16 scope, bool& doHilit) {
        doHilit = scope == 0 || scope == 6;
    };
}

TOOPHighlighter::~TOOPHighlighter()
{
    for (auto& [name, info] : styleObjects())
        info->clearChangeHandler();
}

std::vector<std::pair<QString, THighlightInfo*>> TOOPHighlighter::styleObjects()
{
    return {{"KeywordsOOP", &KeywordsOOP},
            {"KeywordsASM", &KeywordsASM},
            {"ASMHighlight", &ASMHighlight},
            {"Strings", &Strings},
            {"CommentSingleLine", &CommentSingleLine},
            {"CommentBrace", &CommentBrace},
            {"CommentParAst", &CommentParAst},
            {"Directives", &Directives},
            {"Numbers", &Numbers}};
}

bool TOOPHighlighter::keywordFilter(TStyledNavigator& first, int index)
{
    if (index >= 74 && index <= 79) {
        // Property specifiers count only inside a "property" ... ";" region.
        const FormatRecord r = first.recordInForce();
        return r.isLevelRecord();
    }
    if (index == 80) {
        // ASM only at the start key that opened the block.
        StyledDocument& doc = first.document();
        const int pi = first.paraIndex();
        const qint32 off = first.offset();
        const int ui = doc.upperRecordIndex(pi, off);
        return ui > 0 && doc.paragraph(pi).Formats[size_t(ui - 1)].offset == off;
    }
    return true;
}

void TOOPHighlighter::ApplyKeywords(StyledDocument& doc, TStyledNavigator& from,
                                    TStyledNavigator& to, int baseIndex)
{
    TCustomExtHighlighter::ApplyKeywords(doc, from, to, baseIndex);
    numbers.ApplyKeywords(doc, from, to, baseIndex);
}

void TOOPHighlighter::Loaded()
{
    lastKeywordsOOP.CopyFrom(KeywordsOOP);
    lastKeywordsASM.CopyFrom(KeywordsASM);
    keywordList.BeginUpdate();
    for (int i = 0; i < keywordList.count(); ++i) {
        TExtKeywordInfo& e = keywordList.entry(i);
        if (e.Style & 0x80) {
            e.Style &= 0x7F;
            continue;
        }
        const bool oop = i < OOPKeywordCount;
        const THighlightInfo& g = oop ? KeywordsOOP : KeywordsASM;
        e.Options = WholeWord;
        e.Style = g.styleByte();
        e.ContextNum = oop ? 1 : 7;
        e.Cursor = 0;
        e.Background = g.Background();
        e.Foreground = g.Foreground();
    }
    keywordList.changed();
    keywordList.EndUpdate();
    applyingLoad = true;
    for (THighlightInfo* x : {&ASMHighlight, &Strings, &CommentSingleLine, &CommentBrace,
                              &CommentParAst, &Numbers, &Directives})
        StyleChanged(*x);
    applyingLoad = false;
    loading = false;
    TCustomExtHighlighter::Loaded();
}

void TOOPHighlighter::applyToPair(const THighlightInfo& x, int a, int b)
{
    for (int i : {a, b}) {
        if (i < 0)
            continue;
        TExtStartStopInfo& e = startStopList.item(i);
        e.Style = x.styleByte();
        e.Background = x.Background();
        e.Foreground = x.Foreground();
    }
    startStopList.changed();
}

void TOOPHighlighter::applyGroupChange(THighlightInfo& x, THighlightInfo& old, int first, int last)
{
    last = std::min(last, keywordList.count() - 1);
    for (int i = first; i <= last; ++i) {
        TExtKeywordInfo& e = keywordList.entry(i);
        quint8 s = e.Style;
        for (quint8 bit : {fsBold, fsItalic, fsUnderline, fsStrikeOut}) {
            const bool nb = x.Style() & bit;
            const bool eb = s & bit;
            const bool r = (old.Style() & bit) ? (nb && eb) : (nb || eb);
            s = quint8(r ? (s | bit) : (s & ~bit));
        }
        if (x.AltFont() != old.AltFont())
            s = quint8(x.AltFont() ? (s | styleAltFont) : (s & ~styleAltFont));
        e.Style = s;
        if (x.Background() != old.Background())
            e.Background = x.Background();
        if (x.Foreground() != old.Foreground())
            e.Foreground = x.Foreground();
    }
    keywordList.changed();
    old.CopyFrom(x);
}

void TOOPHighlighter::StyleChanged(THighlightInfo& x)
{
    if (loading && !applyingLoad)
        return;
    if (&x == &KeywordsOOP)
        applyGroupChange(x, lastKeywordsOOP, 0, OOPKeywordCount - 1);
    else if (&x == &KeywordsASM)
        applyGroupChange(x, lastKeywordsASM, OOPKeywordCount, keywordList.count() - 1);
    else if (&x == &ASMHighlight)
        applyToPair(x, 11, -1);
    else if (&x == &Strings)
        applyToPair(x, 1, 6);
    else if (&x == &CommentSingleLine)
        applyToPair(x, 2, 7);
    else if (&x == &Directives)
        applyToPair(x, 3, 8);
    else if (&x == &CommentBrace)
        applyToPair(x, 4, 9);
    else if (&x == &CommentParAst)
        applyToPair(x, 5, 10);
    else if (&x == &Numbers) {
        numbers.Background = x.Background();
        numbers.Foreground = x.Foreground();
        numbers.Style = x.Style();
        numbers.AltFont = x.AltFont();
    }
    if (designMode && !loading)
        ReapplyToViews();
}

void TOOPHighlighter::writeModFormats(ValueWriter& w) const
{
    w.writeListBegin();
    for (int i = 0; i < keywordList.count(); ++i) {
        const TExtKeywordInfo& e = keywordList.entry(i);
        const THighlightInfo& g = i < OOPKeywordCount ? KeywordsOOP : KeywordsASM;
        if (e.Background == g.Background() && e.Foreground == g.Foreground()
            && e.Style == g.styleByte())
            continue;
        for (qint32 v : {qint32(i), qint32(e.Options), qint32(e.Style), e.ContextNum,
                         qint32(e.Cursor), e.Background, e.Foreground})
            w.writeInteger(v);
    }
    w.writeListEnd();
}

void TOOPHighlighter::readModFormats(ValueReader& r)
{
    r.readListBegin();
    while (!r.endOfList()) {
        qint32 v[7];
        for (qint32& x : v)
            x = r.readInteger();
        if (v[0] < 0 || v[0] >= keywordList.count())
            continue;
        TExtKeywordInfo& e = keywordList.entry(v[0]);
        e.Options = quint8(v[1]);
        e.Style = quint8(v[2] | 0x80);
        e.ContextNum = v[3];
        e.Cursor = qint16(v[4]);
        e.Background = v[5];
        e.Foreground = v[6];
    }
    r.readListEnd();
    keywordList.changed();
}

void TOOPKeywordList::readFormats(ValueReader& r)
{
    r.readListBegin();
    int i = 0;
    while (!r.endOfList()) {
        qint32 v[6];
        for (qint32& x : v)
            x = r.readInteger();
        if (i < keywords.count()) {
            TExtKeywordInfo& e = keywords.entry(i);
            e.Options = quint8(v[0]);
            e.Style = quint8(v[1] | 0x80);
            e.ContextNum = v[2];
            e.Cursor = qint16(v[3]);
            e.Background = v[4];
            e.Foreground = v[5];
        }
        ++i;
    }
    r.readListEnd();
    keywords.changed();
}

void TOOPHighlighter::writeComponent(ValueWriter& w) const
{
    auto* self = const_cast<TOOPHighlighter*>(this);
    for (auto& [name, info] : self->styleObjects()) {
        w.writePropertyName(name + ".AltFont");
        w.writeBoolean(info->AltFont());
        w.writePropertyName(name + ".Style");
        w.writeInteger(info->Style());
        w.writePropertyName(name + ".Background");
        w.writeInteger(info->Background());
        w.writePropertyName(name + ".Foreground");
        w.writeInteger(info->Foreground());
    }
    w.writePropertyName(QStringLiteral("ModFormats"));
    writeModFormats(w);
    w.writeListEnd(); // end of the component's properties
}

void TOOPHighlighter::readComponent(ValueReader& r)
{
    loading = true;
    try {
        auto styles = styleObjects();
        while (!r.endOfList()) {
            const QString name = r.readString();
            if (name == u"ModFormats") {
                readModFormats(r);
                continue;
            }
            if (name == u"Keywords.Formats") {
                formatsList.readFormats(r);
                continue;
            }
            const qsizetype dot = name.indexOf(u'.');
            THighlightInfo* info = nullptr;
            for (auto& [n, i] : styles)
                if (dot > 0 && name.left(dot) == n)
                    info = i;
            const QString prop = name.mid(dot + 1);
            if (!info) {
                r.skipValue();
            } else if (prop == u"AltFont") {
                info->setAltFont(r.readBoolean());
            } else if (prop == u"Style") {
                info->setStyle(quint8(r.readInteger()));
            } else if (prop == u"Background") {
                info->setBackground(r.readInteger());
            } else if (prop == u"Foreground") {
                info->setForeground(r.readInteger());
            } else {
                r.skipValue();
            }
        }
        r.readListEnd();
    } catch (...) {
        loading = false;
        throw;
    }
    Loaded();
}

void applyFileViewerStyles(TOOPHighlighter& h)
{
    h.loading = true;
    auto set = [](THighlightInfo& x, quint8 style, qint32 bg, qint32 fg) {
        x.setAltFont(false);
        x.setStyle(style);
        x.setBackground(bg);
        x.setForeground(fg);
    };
    set(h.KeywordsOOP, fsBold, -1, -1);
    set(h.KeywordsASM, fsBold, clYellow, -1);
    set(h.ASMHighlight, 0, -1, clPurple);
    set(h.Strings, 0, -1, clNavy);
    set(h.CommentSingleLine, fsItalic, -1, clBlue);
    set(h.CommentBrace, fsItalic, -1, clNavy);
    set(h.CommentParAst, fsItalic, -1, clGreen);
    set(h.Directives, 0, clSilver, clBlack);
    set(h.Numbers, fsBold, -1, clRed);
    h.Loaded();
}

} // namespace kbl
