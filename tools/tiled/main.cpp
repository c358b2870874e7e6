// vrask-tiled: level files from map-editor maps and back.
//   vrask-tiled import <map.tmx|map.tmj> <game folder>
//   vrask-tiled export <level file> <folder>
//   vrask-tiled check <map.tmx|map.tmj>
#include "tools/tiled/Export.h"
#include "tools/tiled/Import.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

int Usage() {
    std::fprintf(stderr, "usage: vrask-tiled import <map.tmx|map.tmj> <game folder>\n"
                         "       vrask-tiled export <level file> <folder>\n"
                         "       vrask-tiled check <map.tmx|map.tmj>\n");
    return 2;
}

// Prints the report; 1 when it holds errors.
int Print(const tiled::Report& report) {
    for (const std::string& line : report.errors)
        std::fprintf(stderr, "%s\n", line.c_str());
    for (const std::string& line : report.warnings)
        std::fprintf(stderr, "%s\n", line.c_str());
    return report.errors.empty() ? 0 : 1;
}

int Import(const std::string& mapPath, const std::string* gameFolder) {
    tiled::Report report;
    tiled::Imported imported;
    try {
        tiled::Map map = tiled::ReadMap(mapPath);
        imported = tiled::ImportMap(map, report);
        if (report.errors.empty())
            tiled::CheckPlayable(imported.level, mapPath, report);
    } catch (const tiled::Failure& failure) {
        report.errors.push_back(std::string("error: ") + failure.what());
    }
    if (Print(report))
        return 1;
    if (!gameFolder)
        return 0;
    std::string data = *gameFolder + "/data/";
    imported.files[imported.levelName + ".lvl"] = gamedata::BuildLevelFile(imported.level);
    for (const auto& [name, bytes] : imported.files)
        if (!gamedata::WriteFile(data + name, bytes)) {
            std::fprintf(stderr, "error: Unable to write %s%s\n", data.c_str(), name.c_str());
            return 1;
        }
    std::printf("%s%s.lvl: %zu layers, %zu files\n", data.c_str(), imported.levelName.c_str(),
                imported.level.layers.size(), imported.files.size());
    return 0;
}

int Export(const std::string& levelPath, const std::string& folder) {
    tiled::Report report;
    try {
        std::string written = tiled::ExportLevel(levelPath, folder, report);
        if (report.errors.empty())
            std::printf("%s\n", written.c_str());
    } catch (const tiled::Failure& failure) {
        report.errors.push_back(std::string("error: ") + failure.what());
    }
    return Print(report);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "import") == 0) {
        std::string folder = argv[3];
        return Import(argv[2], &folder);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0)
        return Import(argv[2], nullptr);
    if (argc == 4 && std::strcmp(argv[1], "export") == 0)
        return Export(argv[2], argv[3]);
    return Usage();
}
