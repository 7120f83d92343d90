#pragma once
// Finds a unit's section markers ("interface", the uses clauses, "implementation") and
// its procedure and function headers by searching a text view with fixed keywords and
// keeping the hits that start their display line after the "implementation" line.
// It does not parse Pascal: the view's own search and line layout decide.

#include "viewer/MemoAccess.h"

#include <QString>

#include <vector>

namespace viewer {

// Image indices of the method jumper's rows.
enum MethodImage { ImageProcedure = 0, ImageFunction = 1, ImageMarker = 2 };

struct MethodEntry {
    QString text;
    int line = 0; // 0-based file line
    int image = ImageMarker;
    friend bool operator==(const MethodEntry&, const MethodEntry&) = default;
};

struct DeclarationScan {
    std::vector<MethodEntry> entries; // markers, then procedures, then functions
    bool jumperEnabled = false;       // at least two entries in more than ten display lines
};

// Scans the text `memo` holds, moving its caret; the text must be laid out as it will
// be shown. An empty text gives no entries.
DeclarationScan scanDeclarations(MemoAccess& memo, bool removeParams);

// The last caret column at which a header keyword may end: "procedure" may start in
// columns 0 to 2, "function" in 0 to 3; indented members and mid-line hits are dropped.
inline constexpr int MaxHeaderEndColumn = 11;

} // namespace viewer
