// Crafted games for the shell's tests: a scratch folder with a game file and
// level files built from descriptions, and the shell's records reset.
#pragma once

#include "engine/FakeScreens.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "platform/Faults.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

inline void ResetShell() {
    FreeLevel();
    FreeMenuPages(&gPage);
    std::free(gPageNames);
    gPageNames = nullptr;
    gPageCount = 0;
    std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
    std::memset(&gPage, 0, sizeof(gPage));
    std::memset(&gMainMenuPage, 0, sizeof(gMainMenuPage));
    std::memset(&gMenuControl, 0, sizeof(gMenuControl));
    std::memset(&gFrameControl, 0, sizeof(gFrameControl));
    std::memset(&gInputState, 0, sizeof(gInputState));
    gDisplay = DisplayHandles{};
    platform::SetFaults(nullptr);
    fake::Reset();
}

class GameTest : public testing::Test {
  protected:
    void SetUp() override {
        ResetShell();
        std::filesystem::create_directories("data");
    }
    void TearDown() override { ResetShell(); }

    void WriteGame(const std::vector<std::string>& pages) {
        gamedata::GameFileDesc game;
        game.gameName = "Test";
        game.pages = pages;
        ASSERT_TRUE(gamedata::WriteFile(kGameFileName, gamedata::BuildGameFile(game)));
    }

    void WritePage(const std::string& name, const gamedata::LevelFileDesc& level) {
        ASSERT_TRUE(gamedata::WriteFile("data/" + name + ".lvl", gamedata::BuildLevelFile(level)));
    }

    static gamedata::LevelFileDesc Cutscene(const std::string& movie, uint32_t w = 640,
                                            uint32_t h = 480, uint32_t loop = 0) {
        gamedata::LevelFileDesc d;
        d.cutsceneMarker = 1;
        d.movieName = movie;
        d.screenWidth = w;
        d.screenHeight = h;
        d.movieFlag = loop;
        return d;
    }

    static gamedata::LevelFileDesc Menu(const std::string& plugin) {
        gamedata::LevelFileDesc d;
        d.menuMarker = 1;
        d.menuModuleName = plugin;
        return d;
    }

    // A 40 x 15 level of 16-pixel tiles with a main layer holding the player.
    static gamedata::LevelFileDesc Level() {
        gamedata::LevelFileDesc d;
        gamedata::LayerDesc main;
        main.name = "main";
        main.isMainLayer = 1;
        main.stepX = 4;
        main.stepY = 4;
        main.columns = 40;
        main.rows = 15;
        main.tileWidth = 16;
        main.tileHeight = 16;
        gamedata::SpriteDesc player;
        player.name = "Player";
        player.isPlayer = 1;
        player.instances.push_back({.frame = 0, .locations = {{32, 48}}});
        main.sprites.push_back(player);
        d.layers.push_back(main);
        return d;
    }

    ScratchDir dir_;
};
