// The sound-effects library: set-up, the WAV cache, sprite sounds.
#include "soundfx/SoundFX.h"
#include "platform/Faults.h"
#include "platform/Sound.h"
#include "soundfx/SoundFXInternal.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace platform;
using namespace soundtest;

namespace {

class SoundFX : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("VRASK_AUDIO"); // the backend's own output
        record_ = {};
        ASSERT_EQ(SoundFXInit(nullptr, &record_, 2, 44100, 16), 1);
        dir_ = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    void TearDown() override {
        SetFaults(nullptr);
        SoundFXCleanup();
    }

    std::string Wav(const std::string& name, const gamedata::WavDesc& d) {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(Write(path, BuildWav(d)));
        return path;
    }
    std::string Message() const { return record_.message; }
    std::string Location() const { return record_.location; }

    ErrorInfo record_{};
    std::string dir_;
};

uint32_t Status(SoundBuffer* b) {
    uint32_t s = 0;
    b->GetStatus(&s);
    return s;
}

std::vector<uint8_t> Contents(SoundBuffer* b, uint32_t bytes) {
    void *p1, *p2;
    uint32_t n1, n2;
    if (b->Lock(0, bytes, &p1, &n1, &p2, &n2, 0) != kOk)
        return {};
    std::vector<uint8_t> out(static_cast<uint8_t*>(p1), static_cast<uint8_t*>(p1) + n1);
    b->Unlock(p1, n1, p2, n2);
    return out;
}

TEST(SoundFXInit, BusyDeviceAsksRetryOrCancelAndSetsUpTheMixer) {
    setenv("VRASK_MSGBOX", "retry,cancel,retry", 1);
    unsetenv("VRASK_AUDIO"); // the backend's own output
    ErrorInfo record{};
    ASSERT_TRUE(SetFaults("CreateSoundDevice=allocated@1,CreateSoundDevice=allocated@2"));
    testing::internal::CaptureStderr();
    EXPECT_EQ(SoundFXInit(nullptr, &record, 2, 44100, 16), 0);
    std::string boxes = testing::internal::GetCapturedStderr();
    EXPECT_EQ(record.code, kErrorFatal);
    EXPECT_STREQ(record.sourceFile, "SoundFX");
    EXPECT_STREQ(record.location, "SoundFXInit()");
    EXPECT_STREQ(record.message, "Unable to create DirectSound interface: Resources unavailable!");
    EXPECT_STREQ(record.contact, VRASK_SUPPORT_CONTACT);
    // Two boxes: Retry, then Cancel.
    std::string box = "[msgbox] caption=\"Vrask Engine Notification\" style=0x00010035\n"
                      "The sound hardware is in use by another application\n\nSelect Retry to "
                      "try and start the sound again or hit Cancel to exit\n";
    size_t first = boxes.find(box);
    ASSERT_NE(first, std::string::npos) << boxes;
    EXPECT_NE(boxes.find(box, first + 1), std::string::npos);
    EXPECT_NE(boxes.find("answer=cancel"), std::string::npos);
    SoundFXCleanup();

    // Busy once, then free: Retry gets the device.
    ASSERT_TRUE(SetFaults("CreateSoundDevice=allocated@1"));
    record = {};
    EXPECT_EQ(SoundFXInit(nullptr, &record, 2, 44100, 16), 1);
    EXPECT_EQ(record.code, 0);
    EXPECT_EQ(SoundFXGetGlobalVolume(), 100);
    SoundFXSetGlobalVolume(250);
    EXPECT_EQ(SoundFXGetGlobalVolume(), 250);
    EXPECT_EQ(SoundFXGetVolume(), 1);
    EXPECT_EQ(SoundFXCleanup(), 1);
    EXPECT_EQ(SoundFXCleanup(), 1);
    EXPECT_EQ(SoundFXGetVolume(), 1);
    SetFaults(nullptr);
}

TEST(SoundFXInit, EachFailingStepHasItsMessage) {
    unsetenv("VRASK_AUDIO"); // the backend's own output
    struct Case {
        const char* faults;
        const char* message;
    } cases[] = {
        {"CreateSoundDevice=no_driver", "Unable to create DirectSound interface: No Driver!"},
        {"CreateSoundDevice=invalid_param",
         "Unable to create DirectSound interface: Invalid parm!"},
        {"CreateSoundDevice=no_aggregation",
         "Unable to create DirectSound interface: No Aggregation!"},
        {"CreateSoundDevice=out_of_memory",
         "Unable to create DirectSound interface: Out of memory!"},
        {"CreateSoundDevice=fail", "Unable to create DirectSound interface: Unknown error!"},
        {"SetCooperativeLevel=fail", "Unable to set DirectSound coop level!"},
        {"CreateSoundBuffer=fail", "Unable to create primary DSound buffer!"},
        {"SetFormat=bad_format", "Unable to set primary DSound buffer format!"},
        {"Play=fail", "Unable to play primary DSound buffer!"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetFaults(c.faults));
        ErrorInfo record{};
        EXPECT_EQ(SoundFXInit(nullptr, &record, 2, 44100, 16), 0) << c.faults;
        EXPECT_STREQ(record.message, c.message);
        EXPECT_STREQ(record.location, "SoundFXInit()");
        EXPECT_EQ(record.code, kErrorFatal);
        SetFaults(nullptr);
        EXPECT_EQ(SoundFXCleanup(), 1);
    }
}

// ---- WAV files and the cache

TEST_F(SoundFX, AcceptsWhatTheMixerTakesAndRefusesTheRestWithItsMessage) {
    SoundBuffer* mono =
        SoundFXGetBufferNoCache(Wav("a.wav", Pcm(1, 22050, 16, Ramp(100, 1))).c_str());
    ASSERT_NE(mono, nullptr) << Message();
    mono->Release();
    struct Case {
        gamedata::WavDesc desc;
        const char* message;
    } cases[] = {
        {Pcm(2, 44100, 8, Ramp(100, 2)), "Wav file data is not correct bit width!"},
        {Pcm(4, 44100, 16, Ramp(100, 4)), "Wav file data has wrong number of channels!"},
        {Pcm(2, 11025, 16, Ramp(100, 2)), "Wav file data is not correct sample rate!"},
        {gamedata::AdpcmWav(2, 22050, 1024, std::vector<uint8_t>(1024)),
         "Wav file data is not PCM!"},
    };
    for (Case& c : cases) {
        record_ = {};
        EXPECT_EQ(SoundFXGetBufferNoCache(Wav("b.wav", c.desc).c_str()), nullptr);
        EXPECT_EQ(Message(), c.message);
        EXPECT_EQ(Location(), "GetBufferFromWav()");
        EXPECT_STREQ(record_.sourceFile, "SoundFX");
    }
}

TEST_F(SoundFX, ReadsAroundOtherChunksAndShortFormatRecords) {
    gamedata::WavDesc d = Pcm(2, 44100, 16, Ramp(300, 2));
    d.beforeFormat.push_back({"LIST", {'I', 'N', 'F', 'O'}});
    d.extraSizeField = false; // a 16-byte format chunk
    d.afterData.push_back({"LIST", std::vector<uint8_t>(64, 0x55)});
    SoundBuffer* b = SoundFXGetBufferNoCache(Wav("list.wav", d).c_str());
    ASSERT_NE(b, nullptr) << Message();
    WaveFormat f{};
    b->GetFormat(&f);
    EXPECT_EQ(f.channels, 2);
    EXPECT_EQ(f.blockAlign, 4);
    EXPECT_EQ(Contents(b, 1200), Pcm16(Ramp(300, 2)));
    b->Release();
}

TEST_F(SoundFX, DamagedFilesAreRefusedWithTheReadersMessage) {
    struct Case {
        std::vector<uint8_t> bytes;
        const char* message;
    };
    gamedata::WavDesc good = Pcm(2, 44100, 16, Ramp(100, 2));
    std::vector<Case> cases;
    gamedata::WavDesc d = good;
    d.dataSize = 100000;
    cases.push_back({BuildWav(d), "Unable to descend chunk in WAV file!"});
    d = good;
    d.riffSize = 100000;
    cases.push_back({BuildWav(d), "Unable to find WAVE chunk in WAV file!"});
    d = good;
    d.formatSize = 8;
    cases.push_back({BuildWav(d), "Unable to read wav format information!"});
    d = good;
    d.formatSize = 4000; // past the form
    cases.push_back({BuildWav(d), "Unable to find fmt chunk in WAV file!"});
    std::vector<uint8_t> cut = BuildWav(good);
    cut.resize(30);
    cases.push_back({cut, "Unable to find WAVE chunk in WAV file!"});
    cases.push_back({{'R', 'I', 'F', 'F'}, "Unable to find WAVE chunk in WAV file!"});
    for (const Case& c : cases) {
        ASSERT_TRUE(Write(dir_ + "/bad.wav", c.bytes));
        record_ = {};
        EXPECT_EQ(SoundFXGetBuffer((dir_ + "/bad.wav").c_str()), nullptr);
        EXPECT_EQ(Message(), c.message);
    }
    record_ = {};
    EXPECT_EQ(SoundFXGetBuffer("no\\such.wav"), nullptr);
    EXPECT_EQ(Message(), "Unable to open file: no\\such.wav!");
    // Nothing refused was cached: the good file under the same name loads.
    ASSERT_TRUE(Write(dir_ + "/bad.wav", BuildWav(good)));
    SoundBuffer* b = SoundFXGetBuffer((dir_ + "/bad.wav").c_str());
    ASSERT_NE(b, nullptr);
    b->Release();
}

TEST_F(SoundFX, LongNamesAreRefusedAndCutToTheMessage) {
    std::string name(259, 'a');
    record_ = {};
    EXPECT_EQ(SoundFXGetBuffer(name.c_str()), nullptr);
    EXPECT_EQ(Message(), "Unable to open file: " + name.substr(0, 255 - 21));
    name += 'b';
    record_ = {};
    EXPECT_EQ(SoundFXGetBuffer(name.c_str()), nullptr);
    EXPECT_EQ(Location(), "SoundFXGetBuffer()");
    EXPECT_EQ(Message().rfind("Unable to use a file name this long: aaa", 0), 0u);
    EXPECT_EQ(Message().size(), 255u);
}

TEST_F(SoundFX, TheCacheReadsEachNameOnceAndHandsOutIndependentDuplicates) {
    std::string path = Wav("hit.wav", Pcm(2, 44100, 16, Ramp(44100, 2)));
    SoundBuffer* a = SoundFXGetBuffer(path.c_str());
    ASSERT_NE(a, nullptr);
    // Gone from the disk: only a cached name can still be served.
    std::filesystem::rename(path, path + ".away");
    SoundBuffer* b = SoundFXGetBuffer(path.c_str());
    ASSERT_NE(b, nullptr) << Message();
    EXPECT_NE(a, b);
    EXPECT_EQ(Contents(b, 400), Pcm16(Ramp(100, 2)));

    // A name that differs only in case is another key, read again.
    std::string upper = dir_ + "/HIT.wav";
    record_ = {};
    EXPECT_EQ(SoundFXGetBuffer(upper.c_str()), nullptr);
    EXPECT_EQ(Message(), "Unable to open file: " + upper + "!");

    // Duplicates play on their own.
    ASSERT_EQ(a->Play(0), kOk);
    ASSERT_EQ(b->Play(0), kOk);
    ASSERT_EQ(a->Stop(), kOk);
    EXPECT_FALSE(Status(a) & DSBSTATUS_PLAYING);
    EXPECT_TRUE(Status(b) & DSBSTATUS_PLAYING);

    // After the clear the name is read again; the duplicates stay playable.
    EXPECT_EQ(SoundFXClearCache(), 1);
    record_ = {};
    EXPECT_EQ(SoundFXGetBuffer(path.c_str()), nullptr);
    EXPECT_EQ(Message(), "Unable to open file: " + path + "!");
    EXPECT_TRUE(Status(b) & DSBSTATUS_PLAYING);
    EXPECT_EQ(a->Play(0), kOk);
    std::filesystem::rename(path + ".away", path);
    SoundBuffer* c = SoundFXGetBuffer(path.c_str());
    EXPECT_NE(c, nullptr);
    for (SoundBuffer* x : {a, b, c}) {
        x->Stop();
        x->Release();
    }
}

TEST_F(SoundFX, NoCacheBuffersAreReadEachTimeAndNeverListed) {
    std::string path = Wav("once.wav", Pcm(2, 44100, 16, Ramp(100, 2)));
    SoundBuffer* a = SoundFXGetBufferNoCache(path.c_str());
    ASSERT_NE(a, nullptr);
    std::filesystem::remove(path);
    EXPECT_EQ(SoundFXGetBufferNoCache(path.c_str()), nullptr);
    EXPECT_EQ(SoundFXGetBuffer(path.c_str()), nullptr); // not in the cache either
    a->Release();
}

TEST_F(SoundFX, BufferFailuresCarryTheirTablesMessages) {
    std::string path = Wav("x.wav", Pcm(2, 44100, 16, Ramp(100, 2)));
    struct Case {
        const char* faults;
        const char* location;
        const char* message;
    } cases[] = {
        {"CreateSoundBuffer=bad_format", "GetBufferFromWav()",
         "Unable to create secondary DSound buffer: Specified wav format not supported!"},
        {"CreateSoundBuffer=allocated", "GetBufferFromWav()",
         "Unable to create secondary DSound buffer: resources unavailable!"},
        {"CreateSoundBuffer=uninitialized", "GetBufferFromWav()",
         "Unable to create secondary DSound buffer: Not yet initialized!"},
        {"CreateSoundBuffer=access_denied", "GetBufferFromWav()",
         "Unable to create secondary DSound buffer: Unknown error!"},
        {"Lock=fail", "GetBufferFromWav()", "Unable to lock secondary DSound buffer!"},
        {"Unlock=fail", "GetBufferFromWav()", "Unable to unlock secondary DSound buffer!"},
        {"mmioRead=fail@2", "GetBufferFromWav()", "Unable to read wav file data!"},
        {"DuplicateSoundBuffer=out_of_memory", "SoundFXGetBuffer()",
         "Unable to duplicate DirectSound buffer: DSERR_OUTOFMEMORY!"},
        {"DuplicateSoundBuffer=invalid_call", "SoundFXGetBuffer()",
         "Unable to duplicate DirectSound buffer: DSERR_INVALIDCALL!"},
        {"DuplicateSoundBuffer=fail", "SoundFXGetBuffer()",
         "Unable to duplicate DirectSound buffer: unknown error!"},
    };
    for (const Case& c : cases) {
        SoundFXClearCache();
        ASSERT_TRUE(SetFaults(c.faults));
        record_ = {};
        EXPECT_EQ(SoundFXGetBuffer(path.c_str()), nullptr) << c.faults;
        EXPECT_EQ(Location(), c.location) << c.faults;
        EXPECT_EQ(Message(), c.message);
        SetFaults(nullptr);
    }
}

// ---- sprite sounds

class SpriteSound : public SoundFX {
  protected:
    void SetUp() override {
        SoundFX::SetUp();
        layer_ = {};
        player_ = {};
        you_ = {};
        source_ = {};
        layer_.players.ptr = &player_;
        player_.instances.ptr = &you_;
        you_.x = 5000;
        you_.y = 3000;
        path_ = Wav("s.wav", Pcm(2, 44100, 16, Ramp(44100, 2)));
        buffer_ = SoundFXGetBuffer(path_.c_str());
        ASSERT_NE(buffer_, nullptr);
    }
    void TearDown() override {
        buffer_->Stop();
        buffer_->Release();
        SoundFX::TearDown();
    }
    // Plays from (dx, dy) off the player; pan and volume after the call.
    int Play(int dx, int dy, int32_t* pan, int32_t* volume, int32_t loop = 0) {
        buffer_->Stop();
        buffer_->SetCurrentPosition(0);
        buffer_->SetPan(12);
        buffer_->SetVolume(-12);
        source_.x = you_.x + dx;
        source_.y = you_.y + dy;
        int r = SoundFXPlaySpriteSound(&layer_, &source_, buffer_, loop);
        buffer_->GetPan(pan);
        buffer_->GetVolume(volume);
        return r;
    }

    Layer layer_;
    Sprite player_;
    SpriteInstance you_, source_;
    std::string path_;
    SoundBuffer* buffer_ = nullptr;
};

TEST_F(SpriteSound, PanAndVolumeFollowTheDistanceFromThePlayer) {
    struct Case {
        int dx, dy;
        uint16_t global;
        int32_t pan, volume;
    } cases[] = {
        {0, 0, 100, 0, 0},
        {0, 0, 50, 0, -1500},
        {-1500, 0, 100, -3000, -2100},
        {212, 0, 100, 424, -300},
        {211, 0, 100, 422, 0},
        {0, 423, 50, 0, -1650},
        {1500, 1500, 100, 3000, -3000},
        {-1500, -1500, 37, -3000, -3000},
        {1908, 0, 100, 0, 0}, // out of range: untouched below
    };
    for (const Case& c : cases) {
        if (c.dx > 1500)
            continue;
        SoundFXSetGlobalVolume(c.global);
        int32_t pan = 0, volume = 0;
        EXPECT_EQ(Play(c.dx, c.dy, &pan, &volume), 1);
        EXPECT_EQ(pan, c.pan) << c.dx << "," << c.dy;
        EXPECT_EQ(volume, c.volume) << c.dx << "," << c.dy << " at " << c.global;
        EXPECT_TRUE(Status(buffer_) & DSBSTATUS_PLAYING);
    }
}

TEST_F(SpriteSound, FarSourcesAndSilenceAreSkippedWithSuccess) {
    int32_t pan = 0, volume = 0;
    for (auto [dx, dy] : {std::pair{1501, 0}, {-1501, 0}, {0, 1501}, {0, -1501}}) {
        EXPECT_EQ(Play(dx, dy, &pan, &volume), 1);
        EXPECT_FALSE(Status(buffer_) & DSBSTATUS_PLAYING);
    }
    EXPECT_EQ(volume, -12);
    SoundFXSetGlobalVolume(0);
    EXPECT_EQ(Play(0, 0, &pan, &volume), 1);
    EXPECT_FALSE(Status(buffer_) & DSBSTATUS_PLAYING);
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &source_, nullptr, 0), 0);
    // Extreme positions do not overflow into range.
    SoundFXSetGlobalVolume(100);
    source_.x = INT32_MIN;
    you_.x = INT32_MAX;
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &source_, buffer_, 0), 1);
    EXPECT_FALSE(Status(buffer_) & DSBSTATUS_PLAYING);
    EXPECT_EQ(record_.code, 0);
}

TEST_F(SpriteSound, LoopOnlyOnOneAndALoudVolumeKeepsThePreviousOne) {
    int32_t pan = 0, volume = 0;
    EXPECT_EQ(Play(0, 0, &pan, &volume, 2), 1);
    EXPECT_EQ(Status(buffer_), DSBSTATUS_PLAYING);
    EXPECT_EQ(Play(0, 0, &pan, &volume, 1), 1);
    EXPECT_EQ(Status(buffer_), DSBSTATUS_PLAYING | DSBSTATUS_LOOPING);
    SoundFXSetGlobalVolume(250); // +4500: refused, the sound plays as it was
    EXPECT_EQ(Play(0, 0, &pan, &volume), 1);
    EXPECT_EQ(volume, -12);
    EXPECT_TRUE(Status(buffer_) & DSBSTATUS_PLAYING);
    // Playing again does not restart it.
    SoundFXSetGlobalVolume(100);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    uint32_t before = 0, after = 0;
    buffer_->GetCurrentPosition(&before, nullptr);
    source_.x = you_.x;
    source_.y = you_.y;
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &source_, buffer_, 0), 1);
    buffer_->GetCurrentPosition(&after, nullptr);
    EXPECT_GE(after, before);
}

TEST_F(SpriteSound, ALostDuplicateIsRestoredAndReloadedThenPlays) {
    std::vector<uint8_t> samples = Pcm16(Ramp(1000, 2));
    LoseSoundBuffers();
    int32_t pan, volume;
    EXPECT_EQ(Play(0, 0, &pan, &volume), 1);
    EXPECT_FALSE(Status(buffer_) & DSBSTATUS_PLAYING);
    EXPECT_EQ(Contents(buffer_, 4000), samples);
    EXPECT_EQ(Play(0, 0, &pan, &volume), 1);
    EXPECT_TRUE(Status(buffer_) & DSBSTATUS_PLAYING);
    EXPECT_EQ(record_.code, 0);

    // The file changed on disk since: the reload reads it as it is now.
    std::filesystem::remove(path_);
    LoseSoundBuffers();
    EXPECT_EQ(Play(0, 0, &pan, &volume), 0);
    EXPECT_EQ(Location(), "ReloadBuffer()");
    EXPECT_EQ(Message(), "Unable to open file: " + path_ + "!");
}

TEST_F(SpriteSound, OnlyCachedDuplicatesCanBeRestored) {
    SoundBuffer* own = SoundFXGetBufferNoCache(path_.c_str());
    ASSERT_NE(own, nullptr);
    LoseSoundBuffers();
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &you_, own, 0), 0);
    EXPECT_EQ(Location(), "RestoreSound()");
    EXPECT_EQ(Message(), "Unable to find duplicate sound buffer!");
    own->Release();

    ASSERT_TRUE(SetFaults("Restore=fail@2"));
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &you_, buffer_, 0), 0);
    EXPECT_EQ(Message(), "Unable to restore original sound buffer!");
    ASSERT_TRUE(SetFaults("Play=fail"));
    record_ = {};
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &you_, buffer_, 0), 0);
    EXPECT_EQ(Location(), "SoundFXPlaySpriteSound()");
    EXPECT_EQ(Message(), "Unable to play sprite sound!");
    SetFaults(nullptr);
    // After the clear the duplicate is no longer known: its cached buffer is gone.
    SoundFXClearCache();
    LoseSoundBuffers();
    EXPECT_EQ(SoundFXPlaySpriteSound(&layer_, &you_, buffer_, 0), 0);
    EXPECT_EQ(Message(), "Unable to find duplicate sound buffer!");
}

} // namespace
