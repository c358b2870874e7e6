// A crafted level run in-process: a scratch game folder with tile sets,
// sheets, test brains and a music file, a display on the current backend,
// scripted input and the sound library, and the level set up, run and torn
// down through the real engine.
#pragma once

#include "brains/BrainLog.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "level/CraftedLevel.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Input.h"
#include "platform/Window.h"
#include "soundfx/SoundFX.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/WavData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace leveltest {

using Log = std::vector<std::string>;

// Scan codes the tests press.
constexpr uint8_t kEscape = 0x01;

inline platform::Window* TestWindow() {
    static platform::Window* window = [] {
        platform::WindowClass wc{};
        wc.proc = platform::DefWindowProc;
        wc.className = "VraskLevelTest";
        platform::RegisterClass(&wc);
        return platform::CreateWindow(0, "VraskLevelTest", "Level test", platform::WS_POPUP, 0, 0,
                                      640, 480, nullptr, nullptr);
    }();
    return window;
}

// The pixels of a surface, row by row.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

inline Picture Grab(platform::Surface* s) {
    Picture p;
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    EXPECT_EQ(s->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr), platform::kOk);
    p.width = int(desc.width);
    p.height = int(desc.height);
    uint32_t bytes = desc.pixelFormat.rgbBitCount / 8;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint32_t v = 0;
            std::memcpy(&v, static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * bytes,
                        bytes);
            p.pixels.push_back(v);
        }
    s->Unlock(nullptr);
    return p;
}

class LevelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Reset();
        std::filesystem::create_directories("data");
        for (const char* variant : {"TestBrain", "TestPlayer"})
            std::filesystem::copy_file(std::string(TEST_BRAIN_DIR) + "/" + variant + ".so",
                                       std::string("data/") + variant + ".so");
        WritePictures();
        gamedata::WavDesc wav;
        wav.samples = gamedata::Pcm16(std::vector<int16_t>(44100 * 2, 100));
        ASSERT_TRUE(gamedata::WriteFile("data/music.wav", gamedata::BuildWav(wav)));

        gMainWindow = TestWindow();
        ASSERT_NE(gMainWindow, nullptr);
        ASSERT_EQ(platform::CreateDisplay(&gDisplay.display), platform::kOk);
        gDisplay.display->SetCooperativeLevel(gMainWindow, platform::DDSCL_FULLSCREEN |
                                                               platform::DDSCL_EXCLUSIVE);
        ASSERT_EQ(SoundFXInit(nullptr, &gErrorInfo, 2, 44100, 16), 1);
        gMenuControl.musicOn = 1;
        gMenuControl.musicVolume = 50;
        gMenuControl.effectsVolume = 100;
    }

    void TearDown() override {
        LevelTeardown();
        InputCleanup();
        SoundFXWavStop();
        SoundFXCleanup();
        if (gDisplay.display)
            gDisplay.display->Release();
        Reset();
    }

    // Ends one run inside a test so that another can start.
    void Again() {
        LevelTeardown();
        InputCleanup();
        SoundFXWavStop();
        platform::Display* display = gDisplay.display;
        Reset();
        gDisplay.display = display;
        gMenuControl.musicOn = 1;
        gMenuControl.musicVolume = 50;
        gMenuControl.effectsVolume = 100;
    }

    static void Reset() {
        FreeLevel();
        FreeMenuPages(&gPage);
        std::free(gPageNames);
        gPageNames = nullptr;
        gPageCount = 0;
        gErrorInfo = {};
        std::memset(&gPage, 0, sizeof(gPage));
        std::memset(&gMainMenuPage, 0, sizeof(gMainMenuPage));
        std::memset(&gMenuControl, 0, sizeof(gMenuControl));
        std::memset(&gFrameControl, 0, sizeof(gFrameControl));
        std::memset(&gInputState, 0, sizeof(gInputState));
        gDisplay = DisplayHandles{};
        platform::SetFaults(nullptr);
        platform::SetInputScript(nullptr);
        BrainLog().clear();
        ButtonLog().clear();
    }

    static void WritePictures() { ASSERT_TRUE(WriteCraftedPictures()); }

    // Writes the level as page 1, loads it, sets up the input with the
    // default bindings and the script, and runs LevelInit.
    void Start(const gamedata::LevelFileDesc& level, const char* script = "# nothing\n") {
        gamedata::GameFileDesc game;
        game.gameName = "Test";
        game.pages = {"menu", "level", "over"};
        ASSERT_TRUE(gamedata::WriteFile(kGameFileName, gamedata::BuildGameFile(game)));
        ASSERT_TRUE(gamedata::WriteFile("data/level.lvl", gamedata::BuildLevelFile(level)));
        ASSERT_EQ(LoadGame(kGameFileName), 1);
        ASSERT_EQ(LoadLevel(1), 1) << gErrorInfo.message;
        ASSERT_TRUE(platform::SetInputScript(script));
        ASSERT_EQ(InputInit(), 1) << gErrorInfo.message;
        KeyBinding* b = gInputState.keyBindings;
        b[kBindAttack] = {0x38, 0xB8, {0, 0}};
        b[1] = {0x1D, 0x2A, {0, 0}};
        b[kBindUp] = {0xC8, 0, {0, 0}};
        b[kBindDown] = {0xD0, 0, {0, 0}};
        b[kBindLeft] = {0xCB, 0, {0, 0}};
        b[kBindRight] = {0xCD, 0, {0, 0}};
        b[kBindJump] = {0x39, 0, {0, 0}};
        ASSERT_EQ(LevelInit(), 1) << gErrorInfo.message;
    }

    static Layer* LayerAt(int index) {
        Layer* layer = gPage.layers.ptr;
        while (layer && index-- > 0)
            layer = layer->next.ptr;
        return layer;
    }

    std::string Message() const { return gErrorInfo.message; }

    ScratchDir dir_;
};

} // namespace leveltest
