#pragma once
// The user's named folders as the desktop records them in user-dirs.dirs.

#include <QString>

namespace platform {

// A folder of user-dirs.dirs ("TEMPLATES", "PUBLICSHARE", ...) with $HOME expanded; empty
// when the file does not name it.
QString xdgUserDir(const QString& name);

} // namespace platform
