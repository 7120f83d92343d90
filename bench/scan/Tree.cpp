#include "Tree.h"

#include <QByteArray>
#include <QFile>

#include <cstdint>
#include <random>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

struct Folder {
    std::string path;
    int depth;
    bool walked;
};

void writeBytes(const std::string& path, const QByteArray& content)
{
    QFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly))
        file.write(content);
}

} // namespace

TreeCounts buildTree(const QString& root, const TreeShape& shape)
{
    std::mt19937 random(20261208);
    TreeCounts counts;
    std::vector<Folder> folders{{root.toStdString(), 0, true}};
    folders.reserve(std::size_t(shape.folders) + 1);

    for (int i = 0; i < shape.folders; ++i) {
        // Parents drawn mostly from recent folders, which makes deep chains as well as
        // wide levels; the depth limit sends a folder up to a shallower parent.
        std::size_t parent = 0;
        for (int tries = 0; tries < 8; ++tries) {
            const std::size_t n = folders.size();
            parent = (random() % 4 == 0) ? random() % n : n - 1 - random() % std::min<std::size_t>(n, 64);
            if (folders[parent].depth < shape.maxDepth)
                break;
            parent = 0;
        }
        const unsigned kind = random() % 100;
        // Appended piece by piece: a chain of operator+ on a short literal trips a false
        // -Wrestrict in GCC's std::string.
        std::string name;
        if (kind < 4) { // dotted: entered like any other
            name.append("v").append(std::to_string(i % 7)).append(".").append(std::to_string(i));
        } else if (kind < 7) { // hidden: not entered
            name.append(".cache").append(std::to_string(i));
        } else {
            name.append("Folder ").append(std::to_string(i));
        }
        Folder folder{folders[parent].path + "/" + name, folders[parent].depth + 1,
                      folders[parent].walked && (kind < 4 || kind >= 7)};
        ::mkdir(folder.path.c_str(), 0755);
        counts.folders++;
        if (folder.walked)
            counts.walked++;
        folders.push_back(std::move(folder));
    }

    // Project folders: every k-th folder, so dotted and hidden ones get some too.
    const std::size_t step = std::max<std::size_t>(1, (folders.size() - 1) / std::size_t(std::max(shape.projects, 1)));
    for (int p = 0; p < shape.projects; ++p) {
        const std::size_t at = 1 + (std::size_t(p) * step) % (folders.size() - 1);
        const Folder& folder = folders[at];
        const std::string name = "Project" + std::to_string(p);
        QByteArray dpr = "program " + QByteArray::fromStdString(name) + ";\r\n\r\nuses\r\n  Forms,\r\n";
        for (int u = 0; u < 3; ++u)
            dpr += "  Unit" + QByteArray::number(u) + " in 'Unit" + QByteArray::number(u) + ".pas',\r\n";
        dpr += "\r\n{$R *.res}\r\n\r\nbegin\r\n  Application.Initialize;\r\n  Application.Title := '"
               + QByteArray::fromStdString(name) + " title';\r\n  Application.Run;\r\nend.\r\n";
        writeBytes(folder.path + "/" + name + ".dpr", dpr);
        for (int u = 0; u < 3; ++u)
            writeBytes(folder.path + "/Unit" + std::to_string(u) + ".pas",
                       "unit Unit" + QByteArray::number(u) + ";\r\n\r\ninterface\r\n\r\nimplementation\r\n\r\nend.\r\n");
        counts.projects++;
        if (folder.walked)
            counts.listed++;
    }
    return counts;
}
