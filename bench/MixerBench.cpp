// The software mixer: 32 looping voices (mono 22.05 kHz and stereo 44.1 kHz,
// each with its own volume and pan) and a stereo music stream, mixed into one
// second of 16-bit stereo 44.1 kHz output in device-sized chunks.
#include "platform/Sound.h"
#include "platform/sound/MixSource.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint32_t kRate = 44100, kChunk = 1024;

// Made for each run and released after it: the device's output thread must
// not outlive the program's statics.
struct Voices {
    const char* error = nullptr;
    platform::SoundDevice* device = nullptr;
    platform::SoundBuffer* primary = nullptr;
    std::vector<platform::SoundBuffer*> buffers;

    Voices();
    ~Voices() {
        for (platform::SoundBuffer* b : buffers)
            if (b)
                b->Release();
        if (primary)
            primary->Release();
        if (device)
            device->Release();
    }
};

platform::SoundBuffer* Voice(platform::SoundDevice* device, uint16_t channels, uint32_t rate,
                             uint32_t seconds, std::mt19937& random) {
    platform::WaveFormat f{1, channels, rate, rate * 2u * channels, uint16_t(2 * channels), 16, 0};
    uint32_t bytes = rate * 2u * channels * seconds;
    platform::BufferDesc desc{platform::DSBCAPS_CTRLVOLUME | platform::DSBCAPS_CTRLPAN, bytes, &f};
    platform::SoundBuffer* b = nullptr;
    if (device->CreateSoundBuffer(&desc, &b) != platform::kOk)
        return nullptr;
    void *p1, *p2;
    uint32_t n1, n2;
    if (b->Lock(0, bytes, &p1, &n1, &p2, &n2, 0) == platform::kOk) {
        auto* samples = static_cast<int16_t*>(p1);
        for (uint32_t i = 0; i < n1 / 2; ++i)
            samples[i] = int16_t(int(random() % 40000) - 20000);
        b->Unlock(p1, n1, p2, n2);
    }
    b->SetVolume(-int32_t(random() % 2000));
    b->SetPan(int32_t(random() % 4001) - 2000);
    b->Play(platform::DSBPLAY_LOOPING);
    return b;
}

Voices::Voices() {
    // The output thread discards what it takes; the measured mix is ours.
    setenv("VRASK_AUDIO", "null", 1);
    if (platform::CreateSoundDevice(&device) != platform::kOk) {
        error = "no sound device";
        return;
    }
    device->SetCooperativeLevel(nullptr, platform::DSSCL_PRIORITY);
    platform::BufferDesc desc{platform::DSBCAPS_PRIMARYBUFFER, 0, nullptr};
    device->CreateSoundBuffer(&desc, &primary);
    platform::WaveFormat f{1, 2, kRate, kRate * 4, 4, 16, 0};
    if (!primary || primary->SetFormat(&f) != platform::kOk) {
        error = "no primary buffer";
        return;
    }
    primary->Play(platform::DSBPLAY_LOOPING);
    std::mt19937 random(32);
    for (int i = 0; i < 32; ++i)
        buffers.push_back(i % 2 ? Voice(device, 1, kRate / 2, 1, random)
                                : Voice(device, 2, kRate, 1, random));
    buffers.push_back(Voice(device, 2, kRate, 2, random)); // the music stream
    for (platform::SoundBuffer* b : buffers)
        if (!b)
            error = "a voice could not be made";
}

void BM_Mixer32_Project(benchmark::State& state) {
    Voices voices;
    if (voices.error) {
        state.SkipWithError(voices.error);
        return;
    }
    std::vector<uint8_t> out(kChunk * 4);
    for (auto _ : state) {
        for (uint32_t done = 0; done < kRate; done += kChunk)
            platform::MixNow(out.data(), std::min(kChunk, kRate - done));
        benchmark::DoNotOptimize(out.data());
    }
}

} // namespace

BENCHMARK(BM_Mixer32_Project)->Name("BM_Mixer32/Project")->Unit(benchmark::kMillisecond);
