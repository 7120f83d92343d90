#include "catalogue/BuildState.h"

#include "platform/FileNames.h"
#include "platform/Files.h"
#include "platform/Folder.h"

#include <algorithm>
#include <array>

namespace catalogue {

bool isBuildSource(QByteArrayView name)
{
    static constexpr std::array<const char*, 8> extensions = {".dpr", ".pas", ".dfm", ".inc",
                                                              ".lpr", ".lfm", ".lpi", ".res"};
    if (name.size() < 5)
        return false; // a bare ".pas" is a hidden file with no base name
    const QByteArrayView tail = name.last(4);
    return std::any_of(extensions.begin(), extensions.end(), [&](const char* extension) {
        return tail.compare(QByteArrayView(extension), Qt::CaseInsensitive) == 0;
    });
}

qint64 newestSourceMs(const QString& folder)
{
    const platform::FolderHandle handle = platform::FolderHandle::open(platform::fileNameToBytes(folder));
    if (!handle.isValid())
        return 0;
    platform::FolderLister lister;
    lister.begin(handle);
    platform::FolderLister::Entry entry;
    qint64 newest = 0;
    while (lister.next(entry)) {
        // The listing's own type spares a look at every folder and the other files.
        if (entry.type == platform::EntryType::Folder || entry.type == platform::EntryType::Other)
            continue;
        if (!isBuildSource(entry.name))
            continue;
        if (const auto modified = handle.fileModifiedMs(entry.name.data()))
            newest = std::max(newest, *modified);
    }
    return newest;
}

BuildState compareBuild(qint64 executableMs, bool executableExists, qint64 newestSourceMs)
{
    if (!executableExists)
        return BuildState::Missing;
    return executableMs >= newestSourceMs ? BuildState::Current : BuildState::Stale;
}

QString projectFolderOf(const QString& projectFile) { return projectFile.left(projectFile.lastIndexOf(u'/') + 1); }

BuildMark buildMarkOf(const QString& projectFile, const QString& executableName)
{
    const QString folder = projectFolderOf(projectFile);
    return buildMarkOf(projectFile, executableName, newestSourceMs(folder.isEmpty() ? QStringLiteral(".") : folder));
}

BuildMark buildMarkOf(const QString& projectFile, const QString& executableName, qint64 newestSource)
{
    BuildMark mark;
    const QString folder = projectFolderOf(projectFile);
    mark.projectExists = platform::isExistingFile(projectFile);
    mark.newestSourceMs = newestSource;
    bool exists = false;
    if (!executableName.isEmpty()) {
        const platform::FileStatus exe = platform::fileStatus(folder + executableName);
        exists = exe.isFile();
        mark.executableMs = exists ? exe.modifiedMs : 0;
    }
    mark.state = compareBuild(mark.executableMs, exists, mark.newestSourceMs);
    return mark;
}

} // namespace catalogue
