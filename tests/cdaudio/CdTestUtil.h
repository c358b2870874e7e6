// Ripped tracks for the CD tests, made at test time.
#pragma once

#include "tools/WavData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace cdtest {

// A fresh current folder for one test, named with the process too: the same
// tests run at once on both backends. Kept when the test failed.
class Scratch {
  public:
    Scratch() {
        const auto* info = testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(info->test_suite_name()) + "." + info->name() + "." +
                           std::to_string(getpid());
        previous_ = std::filesystem::current_path();
        path_ = previous_ / "scratch" / name;
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
        std::filesystem::current_path(path_);
    }
    ~Scratch() {
        std::filesystem::current_path(previous_);
        if (!testing::Test::HasFailure())
            std::filesystem::remove_all(path_);
    }
    const std::filesystem::path& Path() const { return path_; }

  private:
    std::filesystem::path previous_;
    std::filesystem::path path_;
};

inline bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::path parent = std::filesystem::path(path).parent_path();
    if (!parent.empty())
        std::filesystem::create_directories(parent);
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// A long, small track: 8-bit mono at 1000 Hz, silent.
inline bool LongTrack(const std::string& path, uint32_t ms) {
    gamedata::WavDesc d;
    d.channels = 1;
    d.rate = 1000;
    d.bits = 8;
    d.samples.assign(ms, 0x80);
    return Write(path, gamedata::BuildWav(d));
}

// A track holding one level on both channels at 44100 Hz.
inline bool LevelTrack(const std::string& path, uint32_t ms, int16_t level) {
    gamedata::WavDesc d;
    std::vector<int16_t> s(size_t(ms) * 441 / 10 * 2, level);
    d.samples = gamedata::Pcm16(s);
    return Write(path, gamedata::BuildWav(d));
}

inline bool HaveSox() {
    return std::system("sox --version > /dev/null 2>&1") == 0;
}

inline std::vector<int16_t> Samples16(const std::vector<uint8_t>& data) {
    std::vector<int16_t> out(data.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint16_t(data[2 * i] | data[2 * i + 1] << 8));
    return out;
}

} // namespace cdtest
