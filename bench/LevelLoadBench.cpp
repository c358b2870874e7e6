// Loading a 1000 x 1000 level of four layers, the main one with a collision
// mask, through the game's LoadLevel; against the floor of reading the same
// file into memory through the same file layer.
#include "bench/BenchUtil.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "platform/Files.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint32_t kSide = 1000;
const char* gError = nullptr;
bool gReady = false;

void SetUp() {
    if (gReady)
        return;
    gReady = true;
    gamedata::LevelFileDesc level;
    std::mt19937 random(1000);
    for (int i = 0; i < 4; ++i) {
        gamedata::LayerDesc layer;
        layer.name = i == 1 ? "LA Main" : "Layer " + std::to_string(i);
        layer.isMainLayer = i == 1;
        layer.columns = layer.rows = kSide;
        layer.tileWidth = layer.tileHeight = 16;
        layer.stepX = layer.stepY = 4;
        layer.tileMap.resize(size_t(kSide) * kSide);
        for (uint16_t& cell : layer.tileMap)
            cell = uint16_t((1u << 13) | (1 + random() % 200));
        if (i == 1) {
            layer.hasMask = 1;
            layer.maskStride = int16_t(kSide);
            layer.maskData.resize(size_t(kSide) * kSide);
            for (uint32_t& cell : layer.maskData)
                cell = (1 + random() % 64) | ((random() % 4) << 17);
        }
        level.layers.push_back(std::move(layer));
    }
    // The main layer's mask pictures: 64 tiles of 16 x 16, one bit a pixel.
    gamedata::BmpFileDesc mask;
    mask.width = 16;
    mask.height = 16 * 64;
    mask.bitCount = 1;
    mask.palette = {0x000000, 0xFFFFFF};
    for (int i = 0; i < mask.height * 4; ++i)
        mask.pixels.push_back(uint8_t(random()));
    std::string dir = bench::Scratch();
    if (dir.empty() ||
        !gamedata::WriteFile(dir + "/data/big.lvl", gamedata::BuildLevelFile(level)) ||
        !gamedata::WriteFile(dir + "/data/LA Main1.msk", gamedata::BuildBmpFile(mask))) {
        gError = "cannot write the level";
        return;
    }
    std::free(gPageNames);
    gPageNames = static_cast<char*>(std::calloc(1, 40));
    std::strcpy(gPageNames, "big");
    gPageCount = 1;
}

// Runs in the scratch folder, where the game's relative paths lead.
struct InScratch {
    std::filesystem::path before = std::filesystem::current_path();
    InScratch() { std::filesystem::current_path(bench::Scratch()); }
    ~InScratch() { std::filesystem::current_path(before); }
};

// A line of /proc/self/status in KiB, or -1.
long StatusKb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0)
            return std::strtol(line.c_str() + std::strlen(field), nullptr, 10);
    return -1;
}

// How far one load lifts the resident peak above what the process held
// before it, as a share of the file's size; measured once, before any load
// has left freed memory behind to be used again.
double PeakOverFile() {
    static double share = [] {
        malloc_trim(0);
        std::ofstream("/proc/self/clear_refs") << "5"; // resets the peak
        long before = StatusKb("VmRSS:");
        if (before < 0 || LoadLevel(0) != 1)
            return -1.0;
        long peak = StatusKb("VmHWM:");
        FreeLevel();
        auto size = std::filesystem::file_size("data/big.lvl");
        return peak < 0 ? -1.0 : double(peak - before) * 1024 / double(size);
    }();
    return share;
}

void BM_LevelLoad1000_Project(benchmark::State& state) {
    SetUp();
    if (gError) {
        state.SkipWithError(gError);
        return;
    }
    InScratch here;
    state.counters["peak_over_file"] = PeakOverFile();
    for (auto _ : state) {
        if (LoadLevel(0) != 1) {
            state.SkipWithError(gErrorInfo.message);
            break;
        }
        state.PauseTiming();
        FreeLevel();
        state.ResumeTiming();
    }
}

void BM_LevelLoad1000_ReadFloor(benchmark::State& state) {
    SetUp();
    if (gError) {
        state.SkipWithError(gError);
        return;
    }
    InScratch here;
    for (auto _ : state) {
        platform::File* file = platform::FileOpenRead("data\\big.lvl");
        if (!file) {
            state.SkipWithError("cannot open the level");
            break;
        }
        size_t size = size_t(platform::FileSize(file));
        std::unique_ptr<uint8_t[]> bytes(new uint8_t[size]);
        platform::FileRead(file, bytes.get(), size);
        platform::FileClose(file);
        benchmark::DoNotOptimize(bytes.get());
    }
}

} // namespace

BENCHMARK(BM_LevelLoad1000_Project)
    ->Name("BM_LevelLoad1000/Project")
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LevelLoad1000_ReadFloor)
    ->Name("BM_LevelLoad1000/ReadFloor")
    ->Unit(benchmark::kMillisecond);
