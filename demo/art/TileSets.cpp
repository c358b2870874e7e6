#include "demo/art/Art.h"

#include <sstream>

namespace demo {

std::vector<TileSheet> AllSheets() {
    // Backgrounds as wide and tall as their layers travel: the main layer is
    // 3200 x 1120 pixels seen through 640 x 480, so a layer of step 1 (of 4)
    // moves 640 + 640 by 160 + 480 pixels, a layer of step 2 twice as far.
    return {TerrainTiles(),
            MaskTiles(),
            FarBackground("far-meadow", 1280, 640, 0x4080D0, 0x405880, 0.2),
            NearBackground("near-meadow", 1920, 800, 0x3A8A34, 0.9),
            FarBackground("far-dusk", 1280, 640, 0xC06048, 0x402838, 1.7),
            NearBackground("near-dusk", 1920, 800, 0x3A5A30, 2.3),
            HeroSheet(),
            AuraSheet(),
            HelperSheet(),
            SpiritSheet(),
            WalkerSheet(),
            BossSheet(),
            ShovelSheet(),
            GoodieSheet(),
            ToolSheet(),
            HealthSheet(),
            LifeSheet(),
            InvincibilitySheet(),
            TeleportSheet("teleport", 0x40A0FF),
            TeleportSheet("home-teleporter", 0xFF60D0),
            CheckpointSheet(),
            PlatformSheet(),
            HealthMeterSheet(),
            LivesSheet(),
            DigitsSheet(),
            ToolIconSheet()};
}

std::string TileSetXml(const TileSheet& s) {
    std::ostringstream x;
    auto property = [&x](const std::string& name, const char* type, const std::string& value) {
        x << "   <property name=\"" << name << "\"";
        if (type)
            x << " type=\"" << type << "\"";
        x << " value=\"" << value << "\"/>\n";
    };
    x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<tileset version=\"1.10\" tiledversion=\"1.10.0\" name=\"" << s.name << "\" tilewidth=\""
      << s.tileWidth << "\" tileheight=\"" << s.tileHeight << "\" tilecount=\"" << s.count
      << "\" columns=\"" << s.columns << "\">\n";
    if (!s.strings.empty() || !s.ints.empty() || !s.bools.empty()) {
        x << " <properties>\n";
        for (const auto& [name, value] : s.strings)
            property(name, nullptr, value);
        for (const auto& [name, value] : s.ints)
            property(name, "int", std::to_string(value));
        for (const auto& [name, value] : s.bools)
            property(name, "bool", value ? "true" : "false");
        x << " </properties>\n";
    }
    x << " <image source=\"" << s.name << ".bmp\" trans=\"000000\" width=\"" << s.picture.width
      << "\" height=\"" << s.picture.height << "\"/>\n";
    for (int t = 0; t < s.count; ++t) {
        auto ints = s.tileInts.find(t);
        auto boxes = s.boxes.find(t);
        if (ints == s.tileInts.end() && boxes == s.boxes.end())
            continue;
        x << " <tile id=\"" << t << "\">\n";
        if (ints != s.tileInts.end()) {
            x << "  <properties>\n";
            for (const auto& [name, value] : ints->second)
                property(name, "int", std::to_string(value));
            x << "  </properties>\n";
        }
        if (boxes != s.boxes.end()) {
            x << "  <objectgroup draworder=\"index\">\n";
            int id = 1;
            for (const auto& b : boxes->second)
                x << "   <object id=\"" << id++ << "\" x=\"" << b[0] << "\" y=\"" << b[1]
                  << "\" width=\"" << b[2] - b[0] << "\" height=\"" << b[3] - b[1] << "\"/>\n";
            x << "  </objectgroup>\n";
        }
        x << " </tile>\n";
    }
    x << "</tileset>\n";
    return x.str();
}

} // namespace demo
