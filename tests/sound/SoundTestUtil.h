// Helpers shared by the sound tests: scratch files, WAV files, sox.
#pragma once

#include "tools/WavData.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace soundtest {

using gamedata::BuildWav;
using gamedata::Pcm16;

// A fresh folder for one test, relative to the tests' working directory.
inline std::string ScratchDir(const std::string& name) {
    std::filesystem::path dir = std::filesystem::path("sound_scratch") / name;
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

inline bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

// Interleaved 16-bit samples, none of them zero, so silence stands out.
inline std::vector<int16_t> Ramp(size_t frames, int channels, int seed = 0) {
    std::vector<int16_t> s;
    for (size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            s.push_back(int16_t(((i * 7 + size_t(seed)) % 2000 + 1) * (c ? -1 : 1)));
    return s;
}

inline gamedata::WavDesc Pcm(uint16_t channels, uint32_t rate, uint16_t bits,
                             const std::vector<int16_t>& samples) {
    gamedata::WavDesc d;
    d.channels = channels;
    d.rate = rate;
    d.bits = bits;
    d.samples = gamedata::Pcm16(samples);
    return d;
}

inline bool HaveSox() {
    return std::system("sox --version > /dev/null 2>&1") == 0;
}

inline bool Sox(const std::string& args) {
    return std::system(("sox -R " + args + " 2> /dev/null").c_str()) == 0;
}

inline std::vector<int16_t> Samples16(const std::vector<uint8_t>& data) {
    std::vector<int16_t> out(data.size() / 2);
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = int16_t(uint16_t(data[2 * i] | data[2 * i + 1] << 8));
    return out;
}

} // namespace soundtest
