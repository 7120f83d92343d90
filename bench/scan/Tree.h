#pragma once
// A synthetic project tree: folders nested up to a given depth, some with dots in their
// names (walked like any other) or hidden (left out), and project folders each with a .dpr holding a title line and a few
// .pas units. The same parameters always give the same tree.

#include <QString>

struct TreeShape {
    int folders = 20000;
    int projects = 2000;
    int maxDepth = 8;
};

struct TreeCounts {
    int folders = 0;      // all folders made, root excluded
    int walked = 0;       // folders a scan enters (not hidden, not below a hidden one)
    int projects = 0;     // .dpr files made
    int listed = 0;       // .dpr files a scan lists
};

TreeCounts buildTree(const QString& root, const TreeShape& shape);
