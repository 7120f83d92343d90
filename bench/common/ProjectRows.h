#pragma once
// Generated project rows for the benchmarks: names of one to three words, executables
// beside most of them, paths two to five folders deep, the same seed in each benchmark.

#include "catalogue/ProjectEntry.h"

#include <QString>
#include <QStringList>

#include <random>
#include <vector>

namespace kblbench {

inline std::vector<ProjectEntry> projectRows(int count, unsigned seed = 7)
{
    static const char* const words[] = {"Invoice", "Manager", "Clock", "Report", "Sales", "Stock", "Data",
        "Tool", "Viewer", "Editor", "Server", "Client", "Demo", "Test", "Setup", "Backup", "Sync", "Mail",
        "Chart", "Print", "Order", "Ledger", "Payroll", "Image", "Sound", "Game", "Net", "Grid", "Calc",
        "Font", "Zip", "Crypt", "Scan", "Label", "Route", "Map", "Time", "Task", "Note", "Shop"};
    static const char* const folders[] = {"clients", "acme", "zenith", "internal", "archive", "2019",
        "2021", "demos", "tools", "old", "delphi7", "xe2", "components", "samples", "work", "tmp",
        "projects", "lib", "contrib", "mORMot-1.18", "legacy", "billing", "plant", "lab"};
    constexpr int wordCount = int(sizeof words / sizeof *words);
    constexpr int folderCount = int(sizeof folders / sizeof *folders);
    std::mt19937 rng(seed);
    std::vector<ProjectEntry> rows;
    rows.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        QString name;
        const int parts = 1 + int(rng() % 3);
        for (int p = 0; p < parts; ++p)
            name += QLatin1String(words[rng() % wordCount]);
        if (rng() % 3 == 0)
            name += QString::number(rng() % 1000);
        QString path;
        const int depth = 2 + int(rng() % 4);
        for (int d = 0; d < depth; ++d)
            path += u'/' + QLatin1String(folders[rng() % folderCount]);
        path += u'/' + name + u'/' + name + QStringLiteral(".dpr");
        const QString exe = rng() % 5 == 0 ? QString() : name + QStringLiteral(".exe");
        rows.push_back({name, exe, path, 0});
    }
    return rows;
}

} // namespace kblbench
