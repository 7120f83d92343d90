// The layers of the program point one way: a file includes headers of its own folder and
// of the layers below it, never of a layer above or beside it. This reads the includes of
// every source file, so an include that runs upward fails here, not in review.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Top to bottom. Folders on one line are one layer and do not include each other.
const std::vector<std::vector<std::string>> Layers = {
    {"app"},
    {"viewer", "options"},
    {"catalogue", "launch"},
    {"highlight"},
    {"textview"},
    {"settings"},
    {"platform"},
};

std::map<std::string, int> layerRanks()
{
    std::map<std::string, int> ranks;
    for (size_t i = 0; i < Layers.size(); ++i)
        for (const std::string& folder : Layers[i])
            ranks[folder] = int(Layers.size() - i);
    return ranks;
}

struct Include {
    std::string file;
    int line;
    std::string header;
};

std::vector<Include> includesBelow(const fs::path& root, const std::string& folder)
{
    static const std::regex include(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<Include> found;
    for (const auto& entry : fs::recursive_directory_iterator(root / folder)) {
        const std::string ext = entry.path().extension().string();
        if (!entry.is_regular_file() || (ext != ".h" && ext != ".cpp"))
            continue;
        std::ifstream in(entry.path());
        std::string text;
        for (int line = 1; std::getline(in, text); ++line) {
            std::smatch match;
            if (std::regex_search(text, match, include))
                found.push_back({fs::relative(entry.path(), root).string(), line, match[1].str()});
        }
    }
    return found;
}

TEST(Layers, EveryIncludePointsToTheSameFolderOrALowerLayer)
{
    const fs::path root = KBL_SOURCE_DIR;
    const auto ranks = layerRanks();
    std::vector<std::string> wrong;
    size_t checked = 0;
    for (const auto& [folder, rank] : ranks) {
        ASSERT_TRUE(fs::is_directory(root / folder)) << folder;
        for (const Include& include : includesBelow(root, folder)) {
            const std::string target = include.header.substr(0, include.header.find('/'));
            const auto to = ranks.find(target);
            ++checked;
            if (target == folder)
                continue;
            if (to == ranks.end()) {
                wrong.push_back(include.file + ":" + std::to_string(include.line) + " includes \"" + include.header
                                + "\", which belongs to no layer");
            } else if (to->second >= rank) {
                wrong.push_back(include.file + ":" + std::to_string(include.line) + " (" + folder + ") includes \""
                                + include.header + "\" of " + (to->second == rank ? "the same" : "a higher")
                                + " layer (" + target + ")");
            }
        }
    }
    EXPECT_GT(checked, 100u); // the sources were found
    std::string report;
    for (const std::string& line : wrong)
        report += line + "\n";
    EXPECT_TRUE(wrong.empty()) << report;
}

TEST(Layers, EveryFolderOfTheLibraryHasItsLayer)
{
    // A new folder of program code must take its place in the table above.
    const fs::path root = KBL_SOURCE_DIR;
    const auto ranks = layerRanks();
    for (const auto& entry : fs::directory_iterator(root)) {
        if (!entry.is_directory())
            continue;
        const std::string name = entry.path().filename().string();
        bool holdsSources = false;
        for (const auto& file : fs::directory_iterator(entry.path()))
            holdsSources = holdsSources || file.path().extension() == ".cpp";
        const bool outsideTheLibrary = name == "tests" || name == "bench" || name == "fuzz" || name == "build"
                                       || name.rfind("build-", 0) == 0 || name.front() == '.';
        if (holdsSources && !outsideTheLibrary) {
            EXPECT_TRUE(ranks.count(name)) << name << " holds sources but has no layer";
        }
    }
}

} // namespace
