#pragma once
// The program the desktop opens a kind of file with, as a path: how the IDE is found
// from the association of project files.

#include "platform/DesktopAssociation.h"

#include <QString>

namespace launch {

// Cuts an association command down to its program: from the first "%" on, one leading
// and one trailing double quote, trailing blanks and quotes, and everything after the
// first ".exe" (any case) go; the case of the text stays.
QString trimAssociationCommand(QString command);

// The program that opens files with this extension (without the dot), or empty when
// none is associated. A bare program name is looked up on PATH; the result may still
// name no existing file, so callers test it.
QString GetAssociatedExe(const QString& extension,
                         const platform::XdgFolders& folders = platform::XdgFolders::fromEnvironment());

} // namespace launch
