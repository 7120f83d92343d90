#pragma once
// The generated Object Pascal text of the benchmarks (the same units and seed in each, so
// their figures describe the same text): units with classes, properties, methods, the
// three comment forms, strings, numbers, directives and assembler functions.

#include <QString>
#include <QStringList>

#include <random>
#include <utility>

namespace kblbench {

class UnitGenerator {
public:
    explicit UnitGenerator(unsigned seed) : rng(seed) {}

    QString ident()
    {
        static const char* const parts[] = {"Data", "Item", "Count", "Buffer", "Node", "List",
            "Index", "Value", "Name", "Owner", "Stream", "Font", "Color", "Width", "Height",
            "Parent", "Child", "Cache", "Key", "Text", "Line", "Para", "Format", "Style"};
        QString s;
        const int n = 1 + int(rng() % 3);
        for (int i = 0; i < n; ++i)
            s += parts[rng() % (sizeof parts / sizeof *parts)];
        if (rng() % 4 == 0)
            s += QString::number(rng() % 100);
        return s;
    }

    // Two identifiers for one call: the order of a call's arguments is unspecified, so they
    // are drawn here, the second first (the order the published figures were taken on), and
    // every compiler generates the same text.
    std::pair<QString, QString> identPair()
    {
        QString second = ident();
        QString first = ident();
        return {std::move(first), std::move(second)};
    }

    QString unit(int index)
    {
        QString u;
        const QString name = QStringLiteral("Unit%1%2").arg(ident()).arg(index);
        u += QStringLiteral("unit %1;\r\n\r\n{$IFDEF DEBUG}{$R+,Q+}{$ENDIF}\r\n\r\ninterface\r\n\r\n"
                            "uses\r\n  Windows, Messages, SysUtils, Classes, Graphics;\r\n\r\n").arg(name);
        u += QStringLiteral("const\r\n  Max%1 = $%2;\r\n  Default%3 = %4;\r\n\r\ntype\r\n")
                 .arg(ident()).arg(rng() % 0xFFFF, 0, 16).arg(ident()).arg(rng() % 10000);
        QStringList classes;
        for (int c = 0; c < 3; ++c) {
            const QString cls = QStringLiteral("T") + ident();
            classes << cls;
            QStringList fields;
            const auto [kept, keeper] = identPair();
            u += QStringLiteral("  { %1 keeps the %2 of a %3\r\n    and tells its owner about changes }\r\n")
                     .arg(cls, kept, keeper);
            u += QStringLiteral("  %1 = class(TPersistent)\r\n  private\r\n").arg(cls);
            for (int f = 0; f < 4; ++f) {
                fields << ident();
                u += QStringLiteral("    F%1: %2;\r\n").arg(fields.last(), f % 2 ? "Integer" : "string");
            }
            u += QStringLiteral("    procedure Set%1(const Value: Integer);\r\n  protected\r\n"
                                "    function Get%2: Integer; virtual;\r\n  public\r\n"
                                "    constructor Create(AOwner: TComponent); override;\r\n"
                                "    destructor Destroy; override;\r\n").arg(fields[1], fields[3]);
            for (const QString& f : fields)
                u += QStringLiteral("    property %1: Integer read F%1 write Set%1 default %2;\r\n")
                         .arg(f).arg(rng() % 100);
            u += QStringLiteral("  end;\r\n\r\n");
        }
        u += QStringLiteral("implementation\r\n\r\n(* Implementation notes for %1:\r\n"
                            "   every method keeps the %2 consistent *)\r\n\r\n").arg(name, ident());
        for (const QString& cls : classes) {
            for (int m = 0; m < 4; ++m) {
                const QString a = ident(), b = ident();
                u += QStringLiteral("procedure %1.Update%2(const A%3: Integer; var B%4: string);\r\n"
                                    "var\r\n  I, J: Integer;\r\n  S: string;\r\nbegin\r\n")
                         .arg(cls, ident(), a, b);
                const auto [walked, counted] = identPair();
                u += QStringLiteral("  // walk the %1 and count the %2\r\n").arg(walked, counted);
                const auto every = rng() % 16 + 2;
                const auto [field, unitName] = identPair();
                u += QStringLiteral("  for I := 0 to A%1 - 1 do\r\n  begin\r\n"
                                    "    if (I mod %2 = 0) and not Assigned(F%3) then\r\n"
                                    "      S := S + 'It''s item ' + IntToStr(I) + ', %4'\r\n"
                                    "    else\r\n      J := J + $%5 * %6.%7;\r\n  end;\r\n")
                         .arg(a).arg(every).arg(field, unitName)
                         .arg(rng() % 0xFFF, 0, 16).arg(rng() % 1000).arg(rng() % 100);
                u += QStringLiteral("  while J > 0 do\r\n  try\r\n    Dec(J);\r\n  finally\r\n"
                                    "    B%1 := Format('%d of %s', [J, S]); { done }\r\n  end;\r\nend;\r\n\r\n").arg(b);
            }
            u += QStringLiteral("function %1.Swap%2(Value: Integer): Integer; assembler;\r\nasm\r\n"
                                "  MOV EAX, Value\r\n  BSWAP EAX     { reverse the bytes }\r\n"
                                "  XOR EDX, EDX\r\n  ADD EAX, %3\r\nend;\r\n\r\n").arg(cls, ident()).arg(rng() % 256);
        }
        u += QStringLiteral("initialization\r\n  RegisterClasses([%1]);\r\nend.\r\n").arg(classes.join(", "));
        return u;
    }

private:
    std::mt19937 rng;
};

// About `target` characters of units (20 million in both benchmarks).
inline QString pascalCorpus(qsizetype target = 20 * 1000 * 1000)
{
    QString text;
    text.reserve(target + 100000);
    UnitGenerator gen(12345);
    for (int i = 0; text.size() < target; ++i)
        text += gen.unit(i);
    return text;
}

} // namespace kblbench
