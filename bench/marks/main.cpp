// How long the build marks of 10,000 projects take, and how long watching their tree
// takes: bench_marks [projects] [folder]. Builds a tree of project folders (a project, a
// few units and forms, an executable older or newer than them), then marks every row
// through the marker the window uses and watches the tree as the live list does.
#include "catalogue/BuildMarker.h"
#include "catalogue/LiveCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

namespace {

void write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int projects = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir temporary;
    const QString root = argc > 2 ? QString::fromLocal8Bit(argv[2]) : temporary.path();

    QElapsedTimer clock;
    clock.start();
    std::vector<catalogue::BuildMarker::Request> requests;
    std::vector<ProjectEntry> rows;
    for (int i = 0; i < projects; ++i) {
        const QString folder = root + QStringLiteral("/group%1/project%2").arg(i / 100).arg(i);
        QDir().mkpath(folder);
        write(folder + "/P.dpr", "program P;\r\n");
        for (int unit = 0; unit < 5; ++unit)
            write(folder + QStringLiteral("/Unit%1.pas").arg(unit), "unit U;");
        for (int form = 0; form < 3; ++form)
            write(folder + QStringLiteral("/Unit%1.dfm").arg(form), "object F");
        if (i % 3)
            write(folder + "/P.exe", "MZ");
        const QString path = folder.mid(root.size()) + "/P.dpr";
        requests.push_back({0, path, i % 3 ? "P.exe" : "", folder + "/P.dpr"});
        rows.push_back({"P", i % 3 ? "P.exe" : "", path, 0});
    }
    std::printf("tree of %d projects made in %lld ms\n", projects, (long long)clock.elapsed());

    {
        catalogue::BuildMarker marker;
        QEventLoop loop;
        std::size_t results = 0;
        QObject::connect(&marker, &catalogue::BuildMarker::marked, &loop, [&] {
            results += marker.takeResults().size();
            if (results == requests.size())
                loop.quit();
        });
        clock.restart();
        marker.markAll({}, requests);
        loop.exec();
        std::printf("%zu projects marked in %lld ms\n", results, (long long)clock.elapsed());
    }
    {
        catalogue::FollowRules rules;
        rules.root = root;
        catalogue::LiveCatalogue live(rules, rows);
        QEventLoop loop;
        QObject::connect(&live, &catalogue::LiveCatalogue::following, &loop, &QEventLoop::quit);
        QObject::connect(&live, &catalogue::LiveCatalogue::limitReached, &loop, [&] {
            std::printf("watch limit reached\n");
            loop.quit();
        });
        clock.restart();
        live.start();
        loop.exec();
        std::printf("%zu folders watched in %lld ms\n", live.watchCount(), (long long)clock.elapsed());
    }
    return 0;
}
