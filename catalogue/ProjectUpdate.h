#pragma once
// Re-reading one list row's project from disk ("update item"), for the main list and the
// hotlist alike: the row's folder is searched again and its first project file gives the
// row's new texts.

#include <QString>

#include <functional>
#include <optional>

namespace catalogue {

// How a project file is read for its row: application name and executable name.
struct ProjectReader {
    std::function<QString(const QString& projectFile)> applicationName;
    std::function<QString(const QString& projectFile)> executableName;
};

// The row's new texts, or the message that says why there are none.
struct ProjectUpdate {
    QString applicationName;
    QString executableName;
    QString projectPath;
    QString message; // set when nothing was found; the texts are then empty

    bool found() const { return message.isEmpty(); }
};

// The project source reader's two functions.
ProjectReader projectFileReader();

// The first project file (in the order the folder lists them) of the folder of
// `labelRoot` + `projectPath`, read with `reader`; its project path is its full path
// without the root's text.
ProjectUpdate rereadProject(const QString& labelRoot, const QString& projectPath, const ProjectReader& reader);

} // namespace catalogue
