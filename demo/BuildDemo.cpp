// Builds the small demo game folder: the game file, menu pages with their
// pictures, and the loading screen's picture.
//   vrask-demo-build <game folder>
#include "demo/HighScoreArt.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <cmath>
#include <cstdio>
#include <string>

namespace {

using gamedata::BmpFileDesc;

// A 640 x 480 picture: a vertical gradient between two colours with a band
// of rolling hills, so each page looks its own.
std::vector<uint8_t> Picture(uint32_t top, uint32_t bottom, uint32_t hills, double phase) {
    auto channel = [](uint32_t c, int shift) { return double((c >> shift) & 0xFF); };
    auto value = [=](int x, int y) {
        double hill = 360 + 40 * std::sin(x / 70.0 + phase) + 20 * std::sin(x / 23.0 + phase * 2);
        if (y > hill)
            return hills;
        double t = y / 479.0;
        uint32_t out = 0;
        for (int shift : {0, 8, 16})
            out |= uint32_t(channel(top, shift) * (1 - t) + channel(bottom, shift) * t) << shift;
        return out;
    };
    BmpFileDesc bmp{.width = 640, .height = 480, .bitCount = 24};
    bmp.pixels = gamedata::DibRows(640, 480, 24, value);
    return gamedata::BuildBmpFile(bmp);
}

// The loading screen: a 160 x 40 striped bar.
std::vector<uint8_t> LoadingSheet() {
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = 160;
    sheet.frameHeight = 40;
    sheet.bitmap = {.width = 160,
                    .height = 40,
                    .bitCount = 24,
                    .pixels = gamedata::DibRows(160, 40, 24, [](int x, int y) {
                        bool edge = x < 2 || y < 2 || x > 157 || y > 37;
                        return edge ? 0x00FFFFFFu
                                    : ((x / 10 + y / 10) % 2 ? 0x00E08020u : 0x00803010u);
                    })};
    sheet.frames.push_back({});
    return gamedata::BuildSpriteSheetFile(sheet);
}

std::vector<uint8_t> MenuPage(const std::string& title, const std::string& picture,
                              const char* plugin = "DemoMenu.dll") {
    gamedata::LevelFileDesc page;
    page.menuMarker = 1;
    page.menuModuleName = plugin;
    page.menuPages.push_back({.name = title, .name2 = picture});
    return gamedata::BuildLevelFile(page);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: vrask-demo-build <game folder>\n");
        return 2;
    }
    std::string root = argv[1];
    std::string data = root + "/data/";
    gamedata::GameFileDesc game{.gameName = "Vrask demo",
                                .pages = {"title", "story1", "story2", "level1", "over"}};
    bool ok = gamedata::WriteFile(root + "/TolwickDunmarrow.gam", gamedata::BuildGameFile(game)) &&
              gamedata::WriteFile(data + "title.lvl",
                                  MenuPage("Vrask", "title.bmp", "DemoMainMenu.dll")) &&
              gamedata::WriteFile(data + "story1.lvl",
                                  MenuPage("Far away, the hills were quiet...", "story1.bmp")) &&
              gamedata::WriteFile(data + "story2.lvl",
                                  MenuPage("...until the tolwicks woke up.", "story2.bmp")) &&
              gamedata::WriteFile(data + "title.bmp", Picture(0x102040, 0x4080C0, 0x205020, 0)) &&
              gamedata::WriteFile(data + "story1.bmp", Picture(0x301020, 0xC08040, 0x403020, 1)) &&
              gamedata::WriteFile(data + "story2.bmp", Picture(0x000010, 0x302060, 0x101810, 2)) &&
              gamedata::WriteFile(data + "qexags.012", LoadingSheet()) &&
              // The high-score screen: background, fonts and music.
              gamedata::WriteFile(data + "QEXAGB.000", demo::HighScoreBackground()) &&
              gamedata::WriteFile(data + "QEXAGS.013", demo::DigitFont()) &&
              gamedata::WriteFile(data + "QEXAGS.014", demo::LetterFont()) &&
              gamedata::WriteFile(data + "QEXAGS.015", demo::EditingLetterFont()) &&
              gamedata::WriteFile(data + "QEXASW.000", demo::HighScoreMusic());
    if (!ok) {
        std::fprintf(stderr, "vrask-demo-build: cannot write the game into %s\n", root.c_str());
        return 1;
    }
    return 0;
}
