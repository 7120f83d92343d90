#pragma once
// The text a method jumper row shows for a procedure or function header line.

#include <QString>
#include <QStringView>

#include <optional>

namespace viewer {

// `line` is the whole file line holding the hit; `keyword` is the keyword followed by one
// blank ("procedure " or "function "). With `removeParams` the parameter list and the
// keyword are dropped as well. nullopt when nothing but blanks would remain.
std::optional<QString> declarationEntryText(QStringView line, QStringView keyword, bool removeParams);

// Drops leading and trailing blanks and control characters (anything up to U+0020).
QString trimControls(QStringView text);

} // namespace viewer
