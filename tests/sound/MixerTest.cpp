// The sound device and the mixer, through the platform's own calls.
#include "platform/Faults.h"
#include "platform/Sound.h"
#include "platform/Sync.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <functional>
#include <thread>

using namespace platform;
using namespace soundtest;

namespace {

struct Device {
    SoundDevice* device = nullptr;
    SoundBuffer* primary = nullptr;
    // Without `audio`, the backend's own output.
    explicit Device(const char* audio = nullptr, uint32_t rate = 44100) {
        if (audio)
            setenv("VRASK_AUDIO", audio, 1);
        else
            unsetenv("VRASK_AUDIO");
        EXPECT_EQ(CreateSoundDevice(&device), kOk);
        EXPECT_EQ(device->SetCooperativeLevel(nullptr, DSSCL_PRIORITY), kOk);
        BufferDesc desc{DSBCAPS_PRIMARYBUFFER, 0, nullptr};
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &primary), kOk);
        WaveFormat f{WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
        EXPECT_EQ(primary->SetFormat(&f), kOk);
        EXPECT_EQ(primary->Play(DSBPLAY_LOOPING), kOk);
    }
    ~Device() {
        primary->Release();
        device->Release();
    }
    SoundBuffer* Make(uint32_t bytes, uint16_t channels = 2, uint32_t rate = 44100,
                      uint32_t flags = DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN) {
        WaveFormat f{WAVE_FORMAT_PCM,        channels, rate, rate * 2u * channels,
                     uint16_t(2 * channels), 16,       0};
        BufferDesc desc{flags, bytes, &f};
        SoundBuffer* b = nullptr;
        EXPECT_EQ(device->CreateSoundBuffer(&desc, &b), kOk);
        return b;
    }
};

void Fill(SoundBuffer* b, const std::vector<int16_t>& samples) {
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(b->Lock(0, uint32_t(samples.size() * 2), &p1, &n1, &p2, &n2, 0), kOk);
    std::memcpy(p1, samples.data(), n1);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kOk);
}

uint32_t Status(SoundBuffer* b) {
    uint32_t s = 0;
    EXPECT_EQ(b->GetStatus(&s), kOk);
    return s;
}

bool WaitFor(const std::function<bool()>& done, int ms = 3000) {
    for (int i = 0; i < ms / 5; ++i) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return done();
}

TEST(Mixer, PlaysOnceThenRestsAtTheStartAndLoopsWhenAsked) {
    Device d;
    SoundBuffer* b = d.Make(4 * 2205); // 50 ms
    ASSERT_EQ(b->Play(0), kOk);
    EXPECT_TRUE(Status(b) & DSBSTATUS_PLAYING);
    EXPECT_TRUE(WaitFor([&] { return !(Status(b) & DSBSTATUS_PLAYING); }));
    uint32_t play = 1, write = 1;
    ASSERT_EQ(b->GetCurrentPosition(&play, &write), kOk);
    EXPECT_EQ(play, 0u);
    EXPECT_EQ(write, 0u);

    ASSERT_EQ(b->Play(DSBPLAY_LOOPING), kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    EXPECT_EQ(Status(b), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    b->Release();
}

TEST(Mixer, StopKeepsThePositionAndPlayGoesOnFromIt) {
    Device d;
    SoundBuffer* b = d.Make(4 * 44100);
    ASSERT_EQ(b->Play(0), kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ASSERT_EQ(b->Stop(), kOk);
    uint32_t stopped = 0, write = 0;
    ASSERT_EQ(b->GetCurrentPosition(&stopped, &write), kOk);
    EXPECT_GT(stopped, 0u);
    EXPECT_EQ(stopped % 4, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    uint32_t later = 0;
    ASSERT_EQ(b->GetCurrentPosition(&later, nullptr), kOk);
    EXPECT_EQ(later, stopped);
    ASSERT_EQ(b->Play(0), kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ASSERT_EQ(b->GetCurrentPosition(&later, &write), kOk);
    EXPECT_GT(later, stopped);
    EXPECT_NE(write, later); // the write cursor runs ahead while playing
    EXPECT_EQ(b->SetCurrentPosition(4 * 44100), kInvalidParam);
    EXPECT_EQ(b->SetCurrentPosition(10), kOk);
    b->Release();
}

TEST(Mixer, DuplicatesShareSamplesButNotPositionVolumeOrPan) {
    Device d;
    SoundBuffer* a = d.Make(4 * 44100);
    SoundBuffer* b = nullptr;
    ASSERT_EQ(d.device->DuplicateSoundBuffer(a, &b), kOk);
    Fill(a, Ramp(100, 2));
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kOk);
    EXPECT_EQ(std::memcmp(p1, Pcm16(Ramp(100, 2)).data(), 400), 0);
    b->Unlock(p1, n1, p2, n2);

    ASSERT_EQ(a->SetVolume(-600), kOk);
    ASSERT_EQ(b->SetPan(1200), kOk);
    int32_t v = 1, p = 1;
    b->GetVolume(&v);
    a->GetPan(&p);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(p, 0);

    ASSERT_EQ(a->Play(0), kOk);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(Status(a) & DSBSTATUS_PLAYING);
    EXPECT_FALSE(Status(b) & DSBSTATUS_PLAYING);
    a->Stop();
    a->Release(); // the samples live on in the duplicate
    ASSERT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kOk);
    EXPECT_EQ(std::memcmp(p1, Pcm16(Ramp(100, 2)).data(), 400), 0);
    b->Unlock(p1, n1, p2, n2);
    b->Release();
}

TEST(Mixer, RefusesOutOfRangeSettingsAndBadFormats) {
    Device d;
    SoundBuffer* b = d.Make(400);
    EXPECT_EQ(b->SetVolume(1), kInvalidParam);
    EXPECT_EQ(b->SetVolume(-10001), kInvalidParam);
    EXPECT_EQ(b->SetPan(10001), kInvalidParam);
    EXPECT_EQ(b->SetPan(-10001), kInvalidParam);
    EXPECT_EQ(b->SetVolume(-10000), kOk);
    b->Release();

    SoundBuffer* plain = d.Make(400, 2, 44100, 0);
    EXPECT_EQ(plain->SetVolume(-100), kUnsupported);
    SoundNotify* n = nullptr;
    EXPECT_EQ(plain->QueryNotify(&n), kUnsupported);
    plain->Release();

    WaveFormat adpcm{WAVE_FORMAT_ADPCM, 2, 22050, 22050, 1024, 4, 32};
    BufferDesc desc{0, 4096, &adpcm};
    SoundBuffer* none = nullptr;
    EXPECT_EQ(d.device->CreateSoundBuffer(&desc, &none), kBadFormat);
    WaveFormat pcm{WAVE_FORMAT_PCM, 4, 44100, 44100 * 8, 8, 16, 0};
    desc.format = &pcm;
    EXPECT_EQ(d.device->CreateSoundBuffer(&desc, &none), kBadFormat);
    pcm = {WAVE_FORMAT_PCM, 2, 44100, 44100 * 4, 4, 16, 0};
    desc.bufferBytes = 0;
    EXPECT_EQ(d.device->CreateSoundBuffer(&desc, &none), kInvalidParam);
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(d.device->DuplicateSoundBuffer(d.primary, &none), kInvalidCall);
}

TEST(Mixer, LockWrapsRoundTheEndInTwoParts) {
    Device d;
    SoundBuffer* b = d.Make(1000);
    void *p1, *p2;
    uint32_t n1, n2;
    ASSERT_EQ(b->Lock(800, 400, &p1, &n1, &p2, &n2, 0), kOk);
    EXPECT_EQ(n1, 200u);
    EXPECT_EQ(n2, 200u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 800);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kOk);
    ASSERT_EQ(b->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER), kOk);
    EXPECT_EQ(n1, 1000u);
    EXPECT_EQ(n2, 0u);
    EXPECT_EQ(b->Lock(1000, 4, &p1, &n1, &p2, &n2, 0), kInvalidParam);
    EXPECT_EQ(b->Lock(0, 1001, &p1, &n1, &p2, &n2, 0), kInvalidParam);
    EXPECT_EQ(b->Unlock(reinterpret_cast<uint8_t*>(p1) + 900, 200, nullptr, 0), kInvalidParam);
    b->Release();
}

TEST(Mixer, NotificationsComeAtChunkEndsAndAtTheStop) {
    Device d;
    const uint32_t chunk = 4 * 1024;
    SoundBuffer* b = d.Make(4 * chunk, 2, 44100, DSBCAPS_CTRLPOSITIONNOTIFY);
    SoundNotify* notify = nullptr;
    ASSERT_EQ(b->QueryNotify(&notify), kOk);
    Event* ends[4];
    Event* stop = CreateEvent(false, false);
    PositionNotify positions[5];
    for (uint32_t k = 0; k < 4; ++k) {
        ends[k] = CreateEvent(false, false);
        positions[k] = {(k + 1) * chunk - 1, ends[k]};
    }
    positions[4] = {DSBPN_OFFSETSTOP, stop};
    ASSERT_EQ(notify->SetNotificationPositions(5, positions), kOk);
    PositionNotify outside{4 * chunk, stop};
    EXPECT_EQ(notify->SetNotificationPositions(1, &outside), kInvalidParam);

    ASSERT_EQ(b->Play(DSBPLAY_LOOPING), kOk);
    EXPECT_EQ(notify->SetNotificationPositions(5, positions), kInvalidCall);
    // In order, each within its chunk's time, round the loop and again.
    for (int round = 0; round < 2; ++round)
        for (uint32_t k = 0; k < 4; ++k)
            EXPECT_EQ(WaitForMultipleObjects(4, ends, false, 1000), WAIT_OBJECT_0 + k);
    EXPECT_EQ(WaitForSingleObject(stop, 0), WAIT_TIMEOUT);
    ASSERT_EQ(b->Stop(), kOk);
    EXPECT_EQ(WaitForSingleObject(stop, 1000), WAIT_OBJECT_0);

    notify->Release();
    b->Release();
    for (Event* e : ends)
        CloseEvent(e);
    CloseEvent(stop);
}

TEST(Mixer, LostBuffersRefuseToPlayUntilRestoredAndComeBackSilent) {
    Device d;
    SoundBuffer* b = d.Make(400);
    Fill(b, Ramp(100, 2));
    LoseSoundBuffers();
    EXPECT_TRUE(Status(b) & DSBSTATUS_BUFFERLOST);
    EXPECT_EQ(b->Play(0), kBufferLost);
    void *p1, *p2;
    uint32_t n1, n2;
    EXPECT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kBufferLost);
    ASSERT_EQ(b->Restore(), kOk);
    ASSERT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kOk);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + 400),
              std::vector<uint8_t>(400, 0));
    b->Unlock(p1, n1, p2, n2);
    EXPECT_EQ(b->Play(0), kOk);
    b->Release();
}

// Writes through a lock reach the samples at Unlock, under the mixer's lock;
// a buffer lost in between drops them, as its memory went with it.
TEST(Mixer, LockedWritesLandAtUnlockAndALossInBetweenDropsThem) {
    Device d;
    SoundBuffer* b = d.Make(4 * 4410);
    ASSERT_EQ(b->Play(DSBPLAY_LOOPING), kOk);
    void *p1, *p2;
    uint32_t n1, n2;
    // Refills while it plays, as the music thread does.
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(b->Lock(uint32_t(round % 10) * 1764, 1764, &p1, &n1, &p2, &n2, 0), kOk);
        std::memset(p1, round, n1);
        ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kOk);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(b->Unlock(p1, n1, p2, n2), kInvalidParam); // nothing is locked
    b->Stop();
    ASSERT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kOk);
    LoseSoundBuffers();
    std::memset(p1, 0x55, n1);
    ASSERT_EQ(b->Unlock(p1, n1, p2, n2), kOk);
    ASSERT_EQ(b->Restore(), kOk);
    ASSERT_EQ(b->Lock(0, 400, &p1, &n1, &p2, &n2, 0), kOk);
    EXPECT_EQ(std::vector<uint8_t>(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + 400),
              std::vector<uint8_t>(400, 0));
    b->Unlock(p1, n1, p2, n2);
    b->Release();
}

TEST(Mixer, FaultsAreInjectedByOperationName) {
    ASSERT_TRUE(SetFaults("CreateSoundDevice=allocated@1,Play=buffer_lost@2"));
    SoundDevice* device = nullptr;
    EXPECT_EQ(CreateSoundDevice(&device), kAllocated);
    EXPECT_EQ(device, nullptr);
    {
        Device d; // its primary's Play is the first
        SoundBuffer* b = d.Make(400);
        EXPECT_EQ(b->Play(0), kBufferLost);
        EXPECT_EQ(b->Play(0), kOk);
        b->Release();
    }
    SetFaults(nullptr);
}

// The WAV-file output holds what was mixed: unity passes samples through
// untouched, pan attenuates the other side, a half-rate mono buffer is
// stretched to the device's rate.
TEST(Mixer, WavOutputHoldsTheMixWithPanAndResampling) {
    std::string dir = ScratchDir("mixer_wav");
    std::string out = dir + "/out.wav";
    {
        Device d(("wav:" + out).c_str());
        SoundBuffer* b = d.Make(4 * 4410); // 100 ms at 44100, stereo
        std::vector<int16_t> dc;
        for (int i = 0; i < 4410; ++i) {
            dc.push_back(10000);
            dc.push_back(-8000);
        }
        Fill(b, dc);
        ASSERT_EQ(b->SetPan(-600), kOk); // the right side down by 6 dB
        ASSERT_EQ(b->Play(0), kOk);
        ASSERT_TRUE(WaitFor([&] { return !(Status(b) & DSBSTATUS_PLAYING); }));
        SoundBuffer* mono = d.Make(2 * 2205, 1, 22050); // 100 ms at 22050, mono
        WaveFormat f{};
        mono->GetFormat(&f);
        EXPECT_EQ(f.channels, 1);
        std::vector<int16_t> level(2205, 4000);
        Fill(mono, level);
        ASSERT_EQ(mono->Play(0), kOk);
        ASSERT_TRUE(WaitFor([&] { return !(Status(mono) & DSBSTATUS_PLAYING); }));
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        b->Release();
        mono->Release();
    }
    std::vector<uint8_t> bytes;
    gamedata::WavInfo info;
    ASSERT_TRUE(gamedata::ReadFileBytes(out, &bytes));
    ASSERT_TRUE(gamedata::ReadWav(bytes, &info));
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.rate, 44100u);
    EXPECT_EQ(info.bits, 16);
    std::vector<int16_t> s = Samples16(info.data);
    size_t stereo = 0, monoFrames = 0;
    int16_t right = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == 10000) {
            ++stereo;
            right = s[i + 1];
        } else if (s[i] == 4000 && s[i + 1] == 4000) {
            ++monoFrames;
        } else {
            EXPECT_EQ(s[i], 0) << "frame " << i / 2;
        }
    }
    EXPECT_EQ(stereo, 4410u);
    EXPECT_NEAR(right, -8000 * std::pow(10.0, -600 / 2000.0), 1.0);
    EXPECT_NEAR(double(monoFrames), 4410.0, 2.0);
}

} // namespace
