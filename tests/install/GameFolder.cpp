// Writes a small game folder in the current folder for whole runs of the
// program that close it: a test menu as the main menu, then the crafted level
// with the test brains, then the game-over page. The menu's picture and the
// loading and high-score screens' files are the caller's to copy in.
//   install_game_folder <menu plug-in> <brain folder> <frames>
// The level ends after <frames> frames (0: it never ends), after which the
// game is complete and the high-score screen waits for a key.
#include "level/CraftedLevel.h"
#include "tools/WavData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    if (argc != 4) {
        std::fprintf(stderr, "usage: install_game_folder <menu> <brain folder> <frames>\n");
        return 2;
    }
    fs::create_directories("data");
    std::error_code error;
    fs::copy_file(argv[1], "data/MainMenu.so", fs::copy_options::overwrite_existing, error);
    for (const char* brain : {"TestPlayer", "TestBrain"})
        fs::copy_file(std::string(argv[2]) + "/" + brain + ".so",
                      std::string("data/") + brain + ".so", fs::copy_options::overwrite_existing,
                      error);
    if (error || !leveltest::WriteCraftedPictures()) {
        std::fprintf(stderr, "install_game_folder: cannot copy or draw the level's files\n");
        return 1;
    }
    gamedata::SpriteDesc hero = leveltest::SpriteOf("Hero", "TestPlayer.dll", 64, 200);
    hero.isPlayer = 1;
    hero.spriteParam3 = uint32_t(std::atoi(argv[3]));
    gamedata::LevelFileDesc level = leveltest::CraftedLevel(hero);
    gamedata::LevelFileDesc menu;
    menu.menuMarker = 1;
    menu.menuModuleName = "MainMenu.dll";
    menu.menuPages.push_back({.name = "main", .name2 = "title.bmp"});
    gamedata::GameFileDesc game{.gameName = "close", .pages = {"menu", "level", "over"}};
    gamedata::WavDesc music;
    music.samples = gamedata::Pcm16(std::vector<int16_t>(2 * 44100, 0)); // a second of silence
    bool ok = gamedata::WriteFile("data/music.wav", gamedata::BuildWav(music)) &&
              gamedata::WriteFile("data/menu.lvl", gamedata::BuildLevelFile(menu)) &&
              gamedata::WriteFile("data/level.lvl", gamedata::BuildLevelFile(level)) &&
              gamedata::WriteFile("TolwickDunmarrow.gam", gamedata::BuildGameFile(game));
    return ok ? 0 : 1;
}
