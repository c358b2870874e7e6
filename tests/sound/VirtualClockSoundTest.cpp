// Sound on the virtual clock: the null and the WAV-file outputs render as
// virtual time moves on, so a sound plays exactly its length in virtual time
// however fast the machine runs.
#include "platform/Clock.h"
#include "platform/Sound.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace platform;

namespace {

bool Playing(SoundBuffer* b) {
    uint32_t status = 0;
    return b->GetStatus(&status) == kOk && (status & DSBSTATUS_PLAYING);
}

TEST(VirtualClockSound, AHalfSecondSoundStopsAfterHalfASecondOfVirtualTime) {
    ASSERT_TRUE(VirtualClock());
    std::string out = soundtest::ScratchDir("virtual_clock") + "/out.wav";
    for (const char* audio : {"null", "wav"}) {
        SCOPED_TRACE(audio);
        setenv("VRASK_AUDIO", std::string(audio) == "wav" ? ("wav:" + out).c_str() : audio, 1);
        SoundDevice* device = nullptr;
        ASSERT_EQ(CreateSoundDevice(&device), kOk);
        WaveFormat f{WAVE_FORMAT_PCM, 1, 22050, 44100, 2, 16, 0};
        BufferDesc desc{DSBCAPS_CTRLVOLUME, 22050, &f}; // half a second
        SoundBuffer* b = nullptr;
        ASSERT_EQ(device->CreateSoundBuffer(&desc, &b), kOk);
        void* p = nullptr;
        uint32_t n = 0;
        ASSERT_EQ(b->Lock(0, 22050, &p, &n, nullptr, nullptr, 0), kOk);
        std::memset(p, 0x40, n);
        b->Unlock(p, n, nullptr, 0);

        for (int round = 0; round < 2; ++round) {
            ASSERT_EQ(b->Play(0), kOk);
            // Real time passing does not play it.
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            EXPECT_TRUE(Playing(b));
            Sleep(498);
            EXPECT_TRUE(Playing(b)) << "round " << round;
            Sleep(3);
            EXPECT_FALSE(Playing(b)) << "round " << round;
        }
        b->Release();
        device->Release();
    }
    unsetenv("VRASK_AUDIO");
    // The file holds the virtual time that passed while it was open.
    std::vector<uint8_t> bytes;
    gamedata::WavInfo info;
    ASSERT_TRUE(gamedata::ReadFileBytes(out, &bytes));
    ASSERT_TRUE(gamedata::ReadWav(bytes, &info));
    size_t frames = info.data.size() / info.blockAlign;
    EXPECT_NEAR(double(frames) / info.rate, 1.002, 0.002);
}

} // namespace
