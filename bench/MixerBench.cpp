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

struct Voices {
    bool ready = false;
    const char* error = nullptr;
    platform::SoundDevice* device = nullptr;
    platform::SoundBuffer* primary = nullptr;
    std::vector<platform::SoundBuffer*> buffers;
};

Voices gVoices;

platform::SoundBuffer* Voice(uint16_t channels, uint32_t rate, uint32_t seconds,
                             std::mt19937& random) {
    platform::WaveFormat f{1, channels, rate, rate * 2u * channels, uint16_t(2 * channels), 16, 0};
    uint32_t bytes = rate * 2u * channels * seconds;
    platform::BufferDesc desc{platform::DSBCAPS_CTRLVOLUME | platform::DSBCAPS_CTRLPAN, bytes, &f};
    platform::SoundBuffer* b = nullptr;
    if (gVoices.device->CreateSoundBuffer(&desc, &b) != platform::kOk)
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

void SetUp() {
    if (gVoices.ready)
        return;
    gVoices.ready = true;
    // The output thread discards what it takes; the measured mix is ours.
    setenv("VRASK_AUDIO", "null", 1);
    if (platform::CreateSoundDevice(&gVoices.device) != platform::kOk) {
        gVoices.error = "no sound device";
        return;
    }
    gVoices.device->SetCooperativeLevel(nullptr, platform::DSSCL_PRIORITY);
    platform::BufferDesc desc{platform::DSBCAPS_PRIMARYBUFFER, 0, nullptr};
    gVoices.device->CreateSoundBuffer(&desc, &gVoices.primary);
    platform::WaveFormat f{1, 2, kRate, kRate * 4, 4, 16, 0};
    if (!gVoices.primary || gVoices.primary->SetFormat(&f) != platform::kOk) {
        gVoices.error = "no primary buffer";
        return;
    }
    gVoices.primary->Play(platform::DSBPLAY_LOOPING);
    std::mt19937 random(32);
    for (int i = 0; i < 32; ++i)
        gVoices.buffers.push_back(i % 2 ? Voice(1, kRate / 2, 1, random)
                                        : Voice(2, kRate, 1, random));
    gVoices.buffers.push_back(Voice(2, kRate, 2, random)); // the music stream
    for (platform::SoundBuffer* b : gVoices.buffers)
        if (!b)
            gVoices.error = "a voice could not be made";
}

void BM_Mixer32_Project(benchmark::State& state) {
    SetUp();
    if (gVoices.error) {
        state.SkipWithError(gVoices.error);
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
