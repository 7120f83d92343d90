#pragma once
// Whole-file replacement: the new contents go to a temporary file in the same folder,
// which is then renamed over the old one, so a crash or a full disk never leaves a
// half-written file behind.

#include <QByteArrayView>
#include <QString>

namespace platform {

// Replaces (or creates) `path` with `contents`. On failure the old file is untouched,
// the errno value is recorded (LastError.h) and false is returned. A symbolic link is
// followed, so the file it names is replaced and the link stays. A file the user may not
// write (or, for root, one without any write bit) is refused (EACCES). A writable file in
// a folder that refuses new files is rewritten in place, the only way to save it there.
bool replaceFile(const QString& path, QByteArrayView contents);

} // namespace platform
