#pragma once
// File names as the kernel keeps them are bytes; the program shows them as text. Names
// are UTF-8 on Linux, but a tree copied from elsewhere may hold other bytes. Those bytes
// are carried through a QString as the code units U+DC80..U+DCFF (lone low surrogates,
// which valid UTF-8 can never produce), so that a name read from a folder opens again.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

namespace platform {

// Bytes of a file name or path to text; every byte sequence round-trips.
QString fileNameFromBytes(QByteArrayView bytes);

// Text back to the bytes of the file name (UTF-8, with escaped bytes restored).
QByteArray fileNameToBytes(QStringView name);

} // namespace platform
