// Feeds arbitrary bytes to the map importer as a .tmx map (or a .tmj map when
// they start with '{'), beside a small tile set it may name: "t.png" and
// "t.tsx". Every problem must come back as a report line or a Failure.
#include "fuzz/FuzzSupport.h"
#include "tools/tiled/Images.h"
#include "tools/tiled/Import.h"

#include <cstdio>
#include <fstream>

namespace {

void Write(const char* path, const void* data, size_t size) {
    std::ofstream(path, std::ios::binary)
        .write(static_cast<const char*>(data), std::streamsize(size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        fuzz::EnterGameFolder("tiled_import");
        tiled::Image image = tiled::MakeImage(32, 32, 0xFF808080u);
        std::vector<uint8_t> png = tiled::EncodePng(image);
        Write("t.png", png.data(), png.size());
        static const char tsx[] =
            "<tileset name=\"t\" tilewidth=\"16\" tileheight=\"16\" tilecount=\"4\" columns=\"2\">"
            "<image source=\"t.png\" width=\"32\" height=\"32\"/>"
            "<tile id=\"1\"><properties><property name=\"class\" type=\"int\" value=\"1\"/>"
            "</properties><objectgroup><object id=\"1\" x=\"1\" y=\"2\" width=\"3\" height=\"4\"/>"
            "</objectgroup></tile></tileset>";
        Write("t.tsx", tsx, sizeof(tsx) - 1);
        return true;
    }();
    (void)ready;
    const char* path = size && data[0] == '{' ? "map.tmj" : "map.tmx";
    Write(path, data, size);
    tiled::Report report;
    try {
        tiled::Map map = tiled::ReadMap(path);
        // A map as large as the importer allows is legal and only slow: a
        // million cells is plenty to reach every path.
        int64_t cells = 0;
        for (const tiled::Layer& layer : map.layers)
            cells += int64_t(layer.width) * layer.height;
        if (cells > (int64_t(1) << 20))
            return 0;
        tiled::Imported imported = tiled::ImportMap(map, report);
        if (report.errors.empty()) {
            tiled::CheckPlayable(imported.level, path, report);
            gamedata::BuildLevelFile(imported.level);
        }
    } catch (const tiled::Failure&) {
    }
    return 0;
}
