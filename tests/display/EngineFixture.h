// A scratch game folder and a display for tests of the engine's display
// utilities and picture loaders.
#pragma once

#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace displaytest {

namespace fs = std::filesystem;

class EngineDisplayTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetFaults(nullptr);
        home_ = fs::current_path();
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "_" + info->name();
        for (char& c : name)
            if (c == '/')
                c = '_';
        dir_ = home_ / "display_scratch" / name;
        fs::remove_all(dir_);
        fs::create_directories(dir_ / "data");
        fs::current_path(dir_);
        std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
        gDisplay = DisplayHandles{};
        ASSERT_EQ(platform::CreateDisplay(&gDisplay.display), platform::kOk);
    }

    void TearDown() override {
        platform::SetFaults(nullptr);
        if (gDisplay.primary)
            gDisplay.primary->Release();
        if (gDisplay.display)
            gDisplay.display->Release();
        gDisplay = DisplayHandles{};
        fs::current_path(home_);
    }

    void Write(const std::string& name, const std::vector<uint8_t>& bytes) {
        ASSERT_TRUE(gamedata::WriteFile((dir_ / name).string(), bytes));
    }

    static std::vector<uint8_t> Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

    // Reads one pixel of a surface through a lock.
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

    fs::path home_, dir_;
};

// A 16-bit sprite sheet (5-5-5 pixels) of frames laid out framesPerRow
// across; `pixel(x, y)` gives each pixel.
inline gamedata::SpriteSheetFileDesc Sheet(int width, int height, uint32_t frameWidth,
                                           uint32_t frameHeight, uint32_t frames, uint32_t perRow,
                                           const std::function<uint32_t(int, int)>& pixel,
                                           int bits = 16) {
    gamedata::SpriteSheetFileDesc desc;
    desc.frameWidth = frameWidth;
    desc.frameHeight = frameHeight;
    desc.framesPerRow = perRow;
    desc.sheetValue = 77;
    desc.bitmap.width = width;
    desc.bitmap.height = height;
    desc.bitmap.bitCount = uint16_t(bits);
    desc.bitmap.pixels = gamedata::DibRows(width, height, bits, pixel);
    for (uint32_t i = 0; i < frames; ++i)
        desc.frames.push_back({{{int32_t(i), 2, 3, 4, 5}, {6, 7, 8, 9, -1}}});
    return desc;
}

} // namespace displaytest
