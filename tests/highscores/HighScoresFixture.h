// A scratch game folder with the high-score screen's data, a display, the
// input engine over a script, and the sound library with no output.
#pragma once

#include "cdaudio/CDAudio.h"
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "engine/InputEngine.h"
#include "engine/VraskUtils.h"
#include "input/InputFixture.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Input.h"
#include "soundfx/SoundFX.h"
#include "support/Files.h"
#include "support/ScratchDir.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/WavData.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace hstest {

// The debugger output of the whole test program, by an absolute path: the
// tests change folder, and the log is opened once.
inline std::string DebugLogPath() {
    static std::string path = [] {
        std::string p = (std::filesystem::current_path() /
                         ("highscores_debug_" + std::to_string(getpid()) + ".log"))
                            .string();
        setenv("VRASK_DEBUG_LOG", p.c_str(), 1);
        return p;
    }();
    return path;
}

// Font geometry of the crafted sheets: each font its own frame size and
// frames per row, so a renderer using the wrong one lands elsewhere.
struct FontShape {
    uint32_t frameWidth, frameHeight, perRow, frames, tint;
};
constexpr FontShape kDigitShape{12, 14, 4, 10, 0x0000C0};
constexpr FontShape kLetterShape{16, 20, 7, 26, 0x00C000};
constexpr FontShape kEditShape{14, 18, 5, 26, 0xC00000};

// Frame n is filled with a colour of its own inside a one-pixel black
// (transparent) border.
inline std::vector<uint8_t> FontFile(const FontShape& f) {
    int rows = int((f.frames + f.perRow - 1) / f.perRow);
    int width = int(f.perRow * f.frameWidth), height = rows * int(f.frameHeight);
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = f.frameWidth;
    sheet.frameHeight = f.frameHeight;
    sheet.framesPerRow = f.perRow;
    sheet.bitmap = {
        .width = width,
        .height = height,
        .bitCount = 24,
        .pixels = gamedata::DibRows(width, height, 24, [=](int x, int y) {
            int fx = x % int(f.frameWidth), fy = y % int(f.frameHeight);
            uint32_t n = uint32_t(y / int(f.frameHeight)) * f.perRow + uint32_t(x) / f.frameWidth;
            if (fx == 0 || fy == 0 || fx == int(f.frameWidth) - 1 || fy == int(f.frameHeight) - 1)
                return 0u;
            // Eight steps a channel survive the 16-bit mode.
            return f.tint | (n * 8 + 16) << 16 | (n * 8 + 16) << 8 | (255 - n * 8);
        })};
    sheet.frames.resize(f.frames);
    return gamedata::BuildSpriteSheetFile(sheet);
}

inline std::vector<uint8_t> BackgroundFile() {
    gamedata::BmpFileDesc bmp{.width = 640, .height = 480, .bitCount = 24};
    bmp.pixels = gamedata::DibRows(640, 480, 24, [](int x, int y) {
        return uint32_t(x / 3) << 16 | uint32_t(y / 2) << 8 | 0x40u;
    });
    return gamedata::BuildBmpFile(bmp);
}

inline std::vector<uint8_t> MusicFile() {
    gamedata::WavDesc wav;
    wav.channels = 2;
    wav.rate = 22050;
    wav.samples = gamedata::Pcm16(std::vector<int16_t>(2 * 22050, 1000));
    return gamedata::BuildWav(wav);
}

// A table file: scores, then three letters per entry.
inline std::vector<uint8_t> TableFile(const std::vector<uint32_t>& scores,
                                      const std::vector<std::string>& initials) {
    std::vector<uint8_t> out;
    for (uint32_t s : scores)
        for (int i = 0; i < 4; ++i)
            out.push_back(uint8_t(s >> (8 * i)));
    for (const std::string& name : initials) {
        std::vector<uint8_t> entry(32, 0);
        for (size_t j = 0; j < 3 && j < name.size(); ++j)
            entry[j] = uint8_t(name[j] - 'A');
        out.insert(out.end(), entry.begin(), entry.end());
    }
    return out;
}

inline const std::vector<uint32_t> kDefaultScores = {250000, 150000, 125000, 100000,
                                                     75000,  50000,  25000,  10000};

class HighScoresTest : public ::testing::Test {
  protected:
    void SetUp() override {
        DebugLogPath();
        setenv("VRASK_AUDIO", "null", 1);
        platform::SetFaults(nullptr);
        platform::SetInputRecord(nullptr);
        logSeen_ = inputtest::ReadFile(DebugLogPath()).size();
        dir_.emplace();
        std::filesystem::create_directories("data");
        WriteBytes("data/QEXAGS.013", FontFile(kDigitShape));
        WriteBytes("data/QEXAGS.014", FontFile(kLetterShape));
        WriteBytes("data/QEXAGS.015", FontFile(kEditShape));
        WriteBytes("data/QEXAGB.000", BackgroundFile());
        WriteBytes("data/QEXASW.000", MusicFile());
        std::memset(&gHighScores, 0, sizeof(gHighScores));
        gErrorInfo = ErrorInfo{};
        gInputState = InputState{};
        inputtest::SetDefaultBindings();
        gMenuControl = MenuControl{};
        gMenuControl.musicVolume = 60;
        gMainWindow = inputtest::TestWindow();
        gDisplay = DisplayHandles{};
        ASSERT_EQ(platform::CreateDisplay(&gDisplay.display), platform::kOk);
        ASSERT_EQ(SoundFXInit(nullptr, &gErrorInfo, 2, 44100, 16), 1);
        ASSERT_EQ(CDAudioInit(nullptr, &gErrorInfo), 1);
    }

    void TearDown() override {
        platform::SetFaults(nullptr);
        InputCleanup();
        platform::SetInputScript(nullptr);
        SoundFXWavStop();
        SoundFXCleanup();
        CDAudioCleanup();
        if (gDisplay.primary)
            gDisplay.primary->Release();
        if (gDisplay.display)
            gDisplay.display->Release();
        gDisplay = DisplayHandles{};
        dir_.reset();
    }

    // Starts the input engine over a script.
    void Script(const std::string& text) {
        ASSERT_TRUE(platform::SetInputScript(text.c_str())) << text;
        ASSERT_EQ(InputInit(), 1) << gErrorInfo.message;
    }

    void Table(const std::vector<uint32_t>& scores, const std::vector<std::string>& initials) {
        WriteBytes("data/QEXALL.000", TableFile(scores, initials));
    }

    // Debugger text written since the last call.
    std::string NewDebugText() {
        std::string all = inputtest::ReadFile(DebugLogPath());
        std::string fresh = all.substr(std::min(all.size(), logSeen_));
        logSeen_ = all.size();
        return fresh;
    }

    static std::string Letters(uint32_t entry) {
        std::string s;
        for (int j = 0; j < 3; ++j)
            s += char('A' + gHighScores.initials[entry][j]);
        return s;
    }

    static uint32_t At(platform::Surface* s, int x, int y) {
        platform::SurfaceDesc desc{};
        desc.size = sizeof(desc);
        EXPECT_EQ(s->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr), platform::kOk);
        uint32_t bytes = desc.pixelFormat.rgbBitCount / 8;
        uint32_t v = 0;
        std::memcpy(&v, static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * bytes, bytes);
        s->Unlock(nullptr);
        return v;
    }

    std::string Message() const { return gErrorInfo.message; }
    std::string Location() const { return gErrorInfo.location; }
    std::string Source() const { return gErrorInfo.sourceFile; }

    std::optional<ScratchDir> dir_;
    size_t logSeen_ = 0;
};

} // namespace hstest
