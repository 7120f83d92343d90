#pragma once
// A deterministic Object Pascal text of a given size for the view and highlighting
// benchmarks: units with procedures, the three comment forms, strings, numbers,
// directives, asm blocks and now and then a very long line.

#include <QString>

#include <cstdint>

namespace kblbench {

inline QString pascalCorpus(qsizetype targetChars)
{
    QString out;
    out.reserve(targetChars + 4096);
    std::uint32_t seed = 12345;
    auto rnd = [&seed](std::uint32_t n) {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) % n;
    };
    static const char* const idents[] = {"Count", "Index", "Buffer", "FileName", "Result",
                                         "Value", "Sender", "Items", "Caption", "Handle"};
    int unit = 0;
    while (out.size() < targetChars) {
        out += QStringLiteral("unit Unit%1;\r\n\r\n{$R *.dfm}\r\n\r\ninterface\r\n\r\nuses\r\n"
                              "  Windows, Messages, SysUtils, Classes;\r\n\r\nimplementation\r\n\r\n")
                   .arg(unit++);
        for (int p = 0; p < 40 && out.size() < targetChars; ++p) {
            const char* id = idents[rnd(10)];
            out += QStringLiteral("{ Procedure %1 handles the %2 of the form. }\r\n").arg(p).arg(id);
            out += QStringLiteral("procedure TForm%1.Do%2(const %3: Integer; var S: string);\r\n")
                       .arg(unit).arg(id).arg(idents[rnd(10)]);
            out += QStringLiteral("var\r\n  I, J: Integer; // loop counters\r\nbegin\r\n");
            const int body = 4 + int(rnd(12));
            for (int b = 0; b < body; ++b) {
                switch (rnd(8)) {
                case 0:
                    out += QStringLiteral("  (* a comment that spans\r\n     two lines *)\r\n");
                    break;
                case 1:
                    out += QStringLiteral("  S := 'text with ''quotes'' %1';\r\n").arg(rnd(100000));
                    break;
                case 2:
                    out += QStringLiteral("  for I := 0 to %1 do\r\n    J := J + $%2 * 1.5e3;\r\n")
                               .arg(rnd(1000)).arg(rnd(65536), 4, 16, QChar(u'0'));
                    break;
                case 3:
                    out += QStringLiteral("  if %1 > %2 then Exit else Inc(J);\r\n")
                               .arg(QString::fromLatin1(idents[rnd(10)])).arg(rnd(500));
                    break;
                case 4:
                    if (rnd(20) == 0) {
                        out += QStringLiteral("  asm\r\n    mov eax, %1\r\n    push ebx\r\n    pop ebx\r\n  end;\r\n")
                                   .arg(rnd(256));
                        break;
                    }
                    [[fallthrough]];
                case 5:
                    if (rnd(50) == 0) {
                        out += QStringLiteral("  S := S");
                        for (int k = 0; k < 60; ++k)
                            out += QStringLiteral(" + IntToStr(%1)").arg(k);
                        out += QStringLiteral(";\r\n");
                        break;
                    }
                    [[fallthrough]];
                default:
                    out += QStringLiteral("  %1 := %2(%3, %4);\r\n")
                               .arg(QString::fromLatin1(idents[rnd(10)]))
                               .arg(QString::fromLatin1(idents[rnd(10)]))
                               .arg(rnd(1000)).arg(QString::fromLatin1(idents[rnd(10)]));
                }
            }
            out += QStringLiteral("end;\r\n\r\n");
        }
        out += QStringLiteral("end.\r\n");
    }
    return out;
}

} // namespace kblbench
