// Builds the demo game's folder: the game file, the menu and story pages with
// their pictures, the movies, every sound and the music; and the tile sets
// (BMP pictures with their .tsx) that the demo's Tiled maps name.
//   vrask-demo-build <game folder> <tile-set folder> [level ...]
// The levels, imported from the maps separately, are listed as pages between
// the story and the game-over movie, with the interlude after the first.
#include "demo/HighScoreArt.h"
#include "demo/art/Art.h"
#include "demo/movies/Movies.h"
#include "demo/sound/Sounds.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> MenuPage(const std::string& plugin,
                              const std::vector<std::pair<std::string, std::string>>& pages) {
    gamedata::LevelFileDesc page;
    page.menuMarker = 1;
    page.menuModuleName = plugin;
    for (const auto& [caption, picture] : pages)
        page.menuPages.push_back({.name = caption, .name2 = picture});
    return gamedata::BuildLevelFile(page);
}

std::vector<uint8_t> MoviePage(const std::string& movie, uint32_t width, uint32_t height) {
    gamedata::LevelFileDesc page;
    page.cutsceneMarker = 1;
    page.movieName = movie;
    page.screenWidth = width;
    page.screenHeight = height;
    return gamedata::BuildLevelFile(page);
}

// The loading screen: a 160 x 40 striped bar.
std::vector<uint8_t> LoadingSheet() {
    demo::Canvas c(160, 40);
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 160; ++x) {
            bool edge = x < 2 || y < 2 || x > 157 || y > 37;
            c.Set(x, y, edge ? 0xFFFFFF : ((x / 10 + y / 10) % 2 ? 0xE08020 : 0x803010));
        }
    c.Text(44, 13, "LOADING", 2, 0xFFFFFF);
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = 160;
    sheet.frameHeight = 40;
    sheet.bitmap = {.width = 160,
                    .height = 40,
                    .bitCount = 24,
                    .pixels =
                        gamedata::DibRows(160, 40, 24, [&](int x, int y) { return c.At(x, y); })};
    sheet.frames.push_back({});
    return gamedata::BuildSpriteSheetFile(sheet);
}

const char kReadme[] =
    "Vrask demo\n\n"
    "Arrows: walk, climb ladders. Space: jump (hold for height). Alt: attack: a dash on\n"
    "the ground, a spinning stomp in the air. Escape: the menu. S: screenshot. P and R:\n"
    "pause and resume the music. A joystick works too: stick to move, button 1 attacks,\n"
    "button 2 jumps.\n\n"
    "Collect twenty tools in each level, beat the boss, and walk into the golden door.\n";

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    if (gamedata::WriteFile(path, bytes))
        return true;
    std::fprintf(stderr, "vrask-demo-build: cannot write %s\n", path.c_str());
    return false;
}

bool Fail(const char* what) {
    std::fprintf(stderr, "vrask-demo-build: %s\n", what);
    return false;
}

bool WritePages(const std::string& root, const std::vector<std::string>& levels) {
    std::string data = root + "/data/";
    std::vector<std::string> pages = {"menu", "opening", "story"};
    for (size_t i = 0; i < levels.size(); ++i) {
        pages.push_back(levels[i]);
        if (i == 0)
            pages.push_back("interlude");
    }
    if (levels.empty())
        pages.push_back("interlude");
    pages.push_back("gameover");
    gamedata::GameFileDesc game{.gameName = "Vrask demo", .pages = pages};
    return Write(root + "/TolwickDunmarrow.gam", gamedata::BuildGameFile(game)) &&
           Write(root + "/readme.txt",
                 std::vector<uint8_t>(kReadme, kReadme + sizeof(kReadme) - 1)) &&
           Write(data + "menu.lvl", MenuPage("DemoMainMenu.dll", {{"Vrask", "title.bmp"}})) &&
           Write(data + "story.lvl",
                 MenuPage("DemoMenu.dll",
                          // A caption is a 40-byte field: 39 characters at most.
                          {{"The grumets took every tool in town.", "story1.bmp"},
                           {"Tolwick takes his spade and sets off...", "story2.bmp"},
                           {"...past a big grumet at the last door!", "story3.bmp"}})) &&
           Write(data + "opening.lvl", MoviePage("opening.avi", 320, 240)) &&
           Write(data + "interlude.lvl", MoviePage("interlude.avi", 640, 480)) &&
           Write(data + "gameover.lvl", MoviePage("gameover.avi", 320, 240)) &&
           Write(data + "title.bmp", demo::ToBmp(demo::TitlePicture())) &&
           Write(data + "story1.bmp", demo::ToBmp(demo::StoryPicture(0))) &&
           Write(data + "story2.bmp", demo::ToBmp(demo::StoryPicture(1))) &&
           Write(data + "story3.bmp", demo::ToBmp(demo::StoryPicture(2))) &&
           Write(data + "qexags.012", LoadingSheet()) &&
           Write(data + "QEXAGB.000", demo::HighScoreBackground()) &&
           Write(data + "QEXAGS.013", demo::DigitFont()) &&
           Write(data + "QEXAGS.014", demo::LetterFont()) &&
           Write(data + "QEXAGS.015", demo::EditingLetterFont()) &&
           Write(data + "QEXASW.000", demo::HighScoreMusic());
}

bool WriteSounds(const std::string& root) {
    std::string data = root + "/data/";
    for (const demo::EffectFile& effect : demo::Effects())
        if (!Write(data + effect.name, demo::MonoWav(effect.samples)))
            return false;
    bool warned = false;
    for (const demo::SpokenLine& line : demo::SpokenLines()) {
        bool spoken = false;
        if (!demo::WriteSpokenLine(line, data + line.name, &spoken))
            return Fail("cannot write the helper's lines");
        if (!spoken && !warned) {
            std::fprintf(stderr, "vrask-demo-build: espeak-ng is not installed: the helper's "
                                 "lines are tones\n");
            warned = true;
        }
    }
    // The meadow's music streams as MS ADPCM; the dusk hills play CD track 2.
    std::string pcm = data + "meadow-pcm.wav";
    if (!Write(pcm, demo::StereoWav(demo::Tune(0, 16, 22050), 22050)))
        return false;
    bool adpcm = demo::Run("sox '" + pcm + "' -e ms-adpcm '" + data + "meadow.wav'");
    std::remove(pcm.c_str());
    if (!adpcm)
        return Fail("sox cannot encode the meadow's music as MS ADPCM");
    std::string cd = data + "cdaudio/";
    std::string track = cd + "track02-pcm.wav";
    if (!Write(track, demo::StereoWav(demo::Tune(1, 16, 44100), 44100)))
        return false;
    bool flac = demo::Run("ffmpeg -hide_banner -loglevel error -y -i '" + track + "' -c:a flac '" +
                          cd + "track02.flac'");
    std::remove(track.c_str());
    return flac || Fail("ffmpeg cannot encode the CD track");
}

bool WriteMovies(const std::string& root) {
    std::string data = root + "/data/";
    return (demo::MakeOpeningMovie(data + "opening.avi") &&
            demo::MakeInterludeMovie(data + "interlude.avi") &&
            demo::MakeGameOverMovie(data + "gameover.avi")) ||
           Fail("ffmpeg cannot make the movies");
}

bool WriteTileSets(const std::string& folder) {
    for (const demo::TileSheet& sheet : demo::AllSheets()) {
        std::string xml = demo::TileSetXml(sheet);
        if (!Write(folder + "/" + sheet.name + ".bmp", demo::ToBmp(sheet.picture)) ||
            !Write(folder + "/" + sheet.name + ".tsx",
                   std::vector<uint8_t>(xml.begin(), xml.end())))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr,
                     "usage: vrask-demo-build <game folder> <tile-set folder> [level ...]\n");
        return 2;
    }
    std::string root = argv[1];
    std::vector<std::string> levels(argv + 3, argv + argc);
    bool ok = WritePages(root, levels) && WriteSounds(root) && WriteMovies(root) &&
              WriteTileSets(argv[2]);
    return ok ? 0 : 1;
}
