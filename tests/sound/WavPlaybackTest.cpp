// Streamed music: the stream file reader with its ADPCM conversion, and the
// looping stream with its service thread.
#include "platform/Faults.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"
#include "soundfx/SoundFXInternal.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

using namespace platform;
using namespace soundtest;

namespace {

constexpr uint32_t kPcmChunkBytes = 4096 * 4; // the chunk of a 16-bit stereo stream

class Stream : public ::testing::Test {
  protected:
    void SetUp() override { Init(""); }
    void TearDown() override {
        sonork::gServiceStallMs = 0;
        sonork::gRefillStallMs = 0;
        sonork::gAnswerMs = 4000;
        SetFaults(nullptr);
        SoundFXWavStop();
        SoundFXCleanup();
    }
    void Init(const std::string& audio) {
        // Empty: the backend's own output.
        if (audio.empty())
            unsetenv("VRASK_AUDIO");
        else
            setenv("VRASK_AUDIO", audio.c_str(), 1);
        record_ = {};
        ASSERT_EQ(SoundFXInit(nullptr, &record_, 2, 44100, 16), 1);
        dir_ = ScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    }
    std::string Wav(const std::string& name, const gamedata::WavDesc& d) {
        std::string path = dir_ + "/" + name;
        EXPECT_TRUE(Write(path, BuildWav(d)));
        return path;
    }
    // The reader alone, as SoundFXWavPlay sets it up.
    int Open(const std::string& path) {
        uint32_t size = 0;
        acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &size);
        sonork::gMaxFormatSize = size;
        std::free(sonork::gSourceFormat);
        std::free(sonork::gTargetFormat);
        sonork::gSourceFormat = static_cast<uint8_t*>(std::calloc(1, size));
        sonork::gTargetFormat = static_cast<uint8_t*>(std::calloc(1, size));
        if (!sonork::wavFileOpen(path.c_str()))
            return 0;
        return sonork::gIsAdpcm ? sonork::wavConversionInit() : 1;
    }
    void Close() {
        EXPECT_EQ(sonork::wavFileClose(), 1);
        if (sonork::gIsAdpcm) {
            EXPECT_EQ(sonork::wavConversionCleanup(), 1);
        }
        sonork::gIsAdpcm = 0;
    }
    // Reads everything left, `step` bytes at a time.
    std::vector<uint8_t> ReadAll(uint32_t step) {
        std::vector<uint8_t> out, piece(step);
        for (;;) {
            uint32_t got = 0;
            EXPECT_EQ(sonork::wavFileRead(step, piece.data(), &got), 1) << record_.message;
            out.insert(out.end(), piece.begin(), piece.begin() + got);
            if (got < step)
                return out;
        }
    }
    std::string Message() const { return record_.message; }

    ErrorInfo record_{};
    std::string dir_;
};

// ---- the reader

TEST_F(Stream, ReaderAcceptsStereoPcmAndAdpcmAndRefusesTheRest) {
    struct Case {
        gamedata::WavDesc desc;
        const char* message;
    } cases[] = {
        {Pcm(1, 44100, 16, Ramp(10, 1)), "Wav file data has wrong number of channels!"},
        {gamedata::AdpcmWav(1, 22050, 512, std::vector<uint8_t>(512)),
         "Wav file data has wrong number of channels!"},
        {Pcm(2, 44100, 8, Ramp(10, 2)), "Wav bit depth unsupported!"},
        {Pcm(2, 11025, 16, Ramp(10, 2)), "Wav file data is not correct sample rate!"},
        {[] {
             auto d = gamedata::AdpcmWav(2, 22050, 1024, std::vector<uint8_t>(1024));
             d.formatTag = 17;
             return d;
         }(),
         "Wav format unsupported!"},
        {[] {
             auto d = Pcm(2, 44100, 16, Ramp(10, 2));
             d.formatExtra.resize(300);
             return d;
         }(),
         "Fmt chunk too large!"},
        {[] {
             auto d = Pcm(2, 44100, 16, Ramp(10, 2));
             d.formatSize = 12;
             return d;
         }(),
         "Unable to read wav format information!"},
        {[] {
             auto d = Pcm(2, 44100, 16, Ramp(10, 2));
             d.dataSize = 1000;
             return d;
         }(),
         "Unable to descend chunk in WAV file!"},
    };
    for (Case& c : cases) {
        record_ = {};
        EXPECT_EQ(Open(Wav("r.wav", c.desc)), 0);
        EXPECT_EQ(Message(), c.message);
        EXPECT_STREQ(record_.location, "wavFileOpen()");
        EXPECT_STREQ(record_.sourceFile, "WavPlayback");
        EXPECT_EQ(sonork::gStreamFile, nullptr);
    }
    record_ = {};
    EXPECT_EQ(Open(dir_ + "/none.wav"), 0);
    EXPECT_EQ(Message(), "Unable to open WAV file!");

    // Stereo 16-bit PCM: the target format is its own.
    ASSERT_EQ(Open(Wav("p.wav", Pcm(2, 44100, 16, Ramp(10, 2)))), 1);
    EXPECT_EQ(std::memcmp(sonork::gTargetFormat, sonork::gSourceFormat, 18), 0);
    Close();
    // Stereo ADPCM at 22050: 16-bit stereo PCM at 22050.
    ASSERT_EQ(Open(Wav("a.wav", gamedata::AdpcmWav(2, 22050, 1024, std::vector<uint8_t>(2048)))),
              1);
    const uint8_t* t = sonork::gTargetFormat;
    EXPECT_EQ(t[0] | t[1] << 8, 1);
    EXPECT_EQ(t[2], 2);
    EXPECT_EQ(t[4] | t[5] << 8, 22050);
    EXPECT_EQ(t[12], 4);
    EXPECT_EQ(t[14], 16);
    EXPECT_EQ(sonork::gTargetChunkSize, 8u * 1012 * 4);
    Close();
    // After a close the blocks hold zeros and are still there; a second close is a no-op.
    ASSERT_EQ(Open(Wav("p.wav", Pcm(2, 44100, 16, Ramp(10, 2)))), 1);
    Close();
    EXPECT_EQ(sonork::gSourceFormat[2], 0);
    EXPECT_EQ(sonork::wavFileClose(), 1);
}

TEST_F(Stream, PcmReadsStopAtTheDataAndResetReturnsToItsStart) {
    gamedata::WavDesc d = Pcm(2, 44100, 16, Ramp(1000, 2));
    d.afterData.push_back({"LIST", std::vector<uint8_t>(200, 0x77)});
    ASSERT_EQ(Open(Wav("p.wav", d)), 1);
    std::vector<uint8_t> all = ReadAll(1024);
    EXPECT_EQ(all, Pcm16(Ramp(1000, 2)));
    uint32_t got = 5;
    std::vector<uint8_t> piece(64);
    EXPECT_EQ(sonork::wavFileRead(64, piece.data(), &got), 1);
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(sonork::wavFileReset(), 1);
    EXPECT_EQ(sonork::wavFileRead(64, piece.data(), &got), 1);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(std::vector<uint8_t>(all.begin(), all.begin() + 64), piece);
    // A read that fails is reported with the file's name, not taken as the end.
    ASSERT_TRUE(SetFaults("mmioRead=fail"));
    EXPECT_EQ(sonork::wavFileRead(64, piece.data(), &got), 0);
    EXPECT_EQ(Message(), "Unable to read wav file: " + dir_ + "/p.wav");
    SetFaults(nullptr);
    Close();
}

// Hand-made blocks: whole blocks convert, a partial block at the end is
// pushed back and then ends the data, and reset starts again at the top.
TEST_F(Stream, AdpcmKeepsPartialBlocksBackAndResets) {
    const uint16_t align = 64;
    std::vector<uint8_t> blocks(align * 3 + 20, 0x12);
    for (size_t b = 0; b * align < blocks.size(); ++b) {
        blocks[b * align] = blocks[b * align + 1] = uint8_t(b % 7);
        for (int i = 2; i < 6; ++i)
            blocks[b * align + size_t(i)] = i == 2 || i == 4 ? 20 : 0; // deltas 20
    }
    ASSERT_EQ(Open(Wav("a.wav", gamedata::AdpcmWav(2, 44100, align, blocks))), 1);
    uint32_t perBlock = 4u * gamedata::AdpcmSamplesPerBlock(2, align);
    ASSERT_EQ(sonork::gTargetChunkSize, 8 * perBlock);
    std::vector<uint8_t> all = ReadAll(sonork::gTargetChunkSize);
    EXPECT_EQ(all.size(), 3 * perBlock);
    EXPECT_EQ(sonork::gDataConsumed, sonork::gDataChunk.cksize);
    uint32_t got = 1;
    std::vector<uint8_t> again(sonork::gTargetChunkSize);
    EXPECT_EQ(sonork::wavFileRead(uint32_t(again.size()), again.data(), &got), 1);
    EXPECT_EQ(got, 0u);
    ASSERT_EQ(sonork::wavFileReset(), 1);
    EXPECT_EQ(sonork::wavFileRead(uint32_t(again.size()), again.data(), &got), 1);
    ASSERT_EQ(got, all.size());
    again.resize(got);
    EXPECT_EQ(again, all);

    // A block naming a predictor past the table is refused.
    blocks[align] = 9;
    Close();
    ASSERT_EQ(Open(Wav("b.wav", gamedata::AdpcmWav(2, 44100, align, blocks))), 1);
    EXPECT_EQ(sonork::wavFileRead(sonork::gTargetChunkSize, again.data(), &got), 0);
    EXPECT_EQ(Message(), "Unable to convert ADPCM stream: MMSYSERR_INVALPARAM!");
    Close();
}

TEST_F(Stream, ConversionFailuresNameTheirReason) {
    std::string path = Wav("a.wav", gamedata::AdpcmWav(2, 22050, 1024, std::vector<uint8_t>(1024)));
    struct Case {
        const char* faults;
        const char* message;
    } cases[] = {
        {"acmStreamOpen=11", "Unable to open ACM conversion stream: MMSYSERR_INVALPARAM!"},
        {"acmStreamOpen=512", "Unable to open ACM conversion stream: ACMERR_NOTPOSSIBLE!"},
        {"acmStreamOpen=513", "Unable to open ACM conversion stream: UNKNOWN ERROR!"},
        {"acmStreamSize=10", "Unable to query ACM stream size: MMSYSERR_INVALFLAG!"},
        {"acmStreamPrepareHeader=7", "Unable to prepare ACM header: MMSYSERR_NOMEM!"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetFaults(c.faults));
        record_ = {};
        EXPECT_EQ(Open(path), 0) << c.faults;
        EXPECT_EQ(Message(), c.message);
        EXPECT_STREQ(record_.location, "wavConversionInit()");
        SetFaults(nullptr);
        Close();
    }
    ASSERT_TRUE(SetFaults("acmMetrics=8"));
    record_ = {};
    EXPECT_EQ(SoundFXWavPlay(path.c_str()), 0);
    EXPECT_EQ(Message(), "Unable to get ACM metrics: MMSYSERR_NOTSUPPORTED!");
    EXPECT_STREQ(record_.location, "SoundFXWavPlay()");
}

// Files encoded by sox decode to exactly what sox decodes them to.
TEST_F(Stream, AdpcmMatchesSoxBitForBit) {
    if (!HaveSox())
        GTEST_SKIP() << "sox is not installed";
    for (int rate : {22050, 44100}) {
        std::string base = dir_ + "/" + std::to_string(rate);
        ASSERT_TRUE(Sox("-n -r " + std::to_string(rate) + " -c 2 -b 16 " + base +
                        "src.wav synth 0.7 pinknoise vol 0.8 : synth 0.3 sine 300-3000 vol 0.9"));
        ASSERT_TRUE(Sox(base + "src.wav -e ms-adpcm " + base + "ms.wav"));
        ASSERT_TRUE(Sox(base + "ms.wav -e signed-integer -b 16 " + base + "dec.wav"));
        std::vector<uint8_t> bytes;
        gamedata::WavInfo expected;
        ASSERT_TRUE(gamedata::ReadFileBytes(base + "dec.wav", &bytes));
        ASSERT_TRUE(gamedata::ReadWav(bytes, &expected));

        ASSERT_EQ(Open(base + "ms.wav"), 1) << Message();
        std::vector<uint8_t> ours = ReadAll(sonork::gTargetChunkSize);
        Close();
        // sox stops at the sample count it wrote; the last block may be padded.
        ASSERT_GE(ours.size(), expected.data.size());
        ASSERT_LE(ours.size() - expected.data.size(), 4u * 2048);
        ours.resize(expected.data.size());
        EXPECT_TRUE(ours == expected.data) << "differs at " << rate;
        size_t negative = 0;
        for (int16_t s : Samples16(ours))
            negative += s < 0;
        EXPECT_GT(negative, ours.size() / 8); // the rounding that matters was exercised
    }
}

// ---- the stream

TEST_F(Stream, PlayChecksComeFirstAndStopIsAlwaysFine) {
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(SoundFXWavPlay(""), 0);
    EXPECT_EQ(record_.code, 0);
    EXPECT_EQ(SoundFXWavSetVolume(50), 1); // nothing to set yet
    SoundFXCleanup();
    EXPECT_EQ(SoundFXWavPlay("x.wav"), 0);
    EXPECT_EQ(record_.code, 0);
    Init("");
    std::string name(260, 'm');
    EXPECT_EQ(SoundFXWavPlay(name.c_str()), 0);
    EXPECT_STREQ(record_.location, "SoundFXWavPlay()");
    EXPECT_EQ(Message().rfind("Unable to use a file name this long: mmm", 0), 0u);
    record_ = {};
    EXPECT_EQ(SoundFXWavPlay((dir_ + "/none.wav").c_str()), 0);
    EXPECT_EQ(Message(), "Unable to open WAV file!");
    EXPECT_EQ(SoundFXWavStop(), 1);
}

TEST_F(Stream, VolumeMapsToAttenuationAndRefusesAbove100) {
    ASSERT_EQ(SoundFXWavPlay(Wav("m.wav", Pcm(2, 44100, 16, Ramp(44100, 2))).c_str()), 1)
        << Message();
    SoundBuffer* b = sonork::StreamBuffer();
    ASSERT_NE(b, nullptr);
    for (auto [v, want] : {std::pair{0, -10000}, {1, -2970}, {50, -1500}, {99, -30}, {100, 0}}) {
        EXPECT_EQ(SoundFXWavSetVolume(uint16_t(v)), 1);
        int32_t got = 1;
        b->GetVolume(&got);
        EXPECT_EQ(got, want) << v;
    }
    EXPECT_EQ(SoundFXWavSetVolume(101), 0);
    EXPECT_EQ(record_.code, kErrorWarning);
    EXPECT_STREQ(record_.location, "SoundFXWavSetVolume()");
    EXPECT_EQ(Message(), "Invalid volume specified (must be between 0 and 100)!");
    int32_t got = 1;
    b->GetVolume(&got);
    EXPECT_EQ(got, 0);
}

TEST_F(Stream, PauseTwiceThenResumeGoesOnFromWhereItStopped) {
    ASSERT_EQ(SoundFXWavPlay(Wav("m.wav", Pcm(2, 44100, 16, Ramp(44100 * 3, 2))).c_str()), 1);
    SoundBuffer* b = sonork::StreamBuffer();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(SoundFXWavPause(), 1);
    uint32_t paused = 0, later = 0;
    b->GetCurrentPosition(&paused, nullptr);
    EXPECT_EQ(SoundFXWavPause(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    b->GetCurrentPosition(&later, nullptr);
    EXPECT_EQ(later, paused);
    EXPECT_FALSE(b->GetStatus(&later) == kOk && (later & DSBSTATUS_PLAYING));
    EXPECT_EQ(SoundFXWavResume(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(40));
    b->GetCurrentPosition(&later, nullptr);
    EXPECT_GT(later, paused);
    EXPECT_LT(later - paused, 4u * 44100 / 4); // on from there, not from the top
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(sonork::StreamBuffer(), nullptr);
    EXPECT_EQ(SoundFXWavPause(), 0); // nothing to pause any more
    EXPECT_EQ(Message(), "Wait failed!: 6");
}

TEST_F(Stream, AnUnresponsiveServiceThreadIsReported) {
    ASSERT_EQ(SoundFXWavPlay(Wav("m.wav", Pcm(2, 44100, 16, Ramp(44100, 2))).c_str()), 1);
    sonork::gServiceStallMs = 4600;
    EXPECT_EQ(SoundFXWavPause(), 0);
    EXPECT_STREQ(record_.location, "wavPlayBuffer()");
    EXPECT_EQ(Message(), "Player thread is unresponsive!");
    sonork::gServiceStallMs = 0;
    // The stop still ends the thread and takes everything down.
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(sonork::StreamBuffer(), nullptr);
    EXPECT_EQ(sonork::gStreamFile, nullptr);
}

// A stop that gives up on a thread stuck in a refill still waits for that
// refill before it frees the file and buffers the refill reads and writes.
TEST_F(Stream, AStopThatTimesOutNeverFreesWhatARefillStillUses) {
    std::vector<uint8_t> blocks(1024 * 40);
    for (size_t b = 0; b < 40; ++b)
        blocks[b * 1024 + 2] = blocks[b * 1024 + 4] = 16;
    ASSERT_EQ(SoundFXWavPlay(Wav("a.wav", gamedata::AdpcmWav(2, 22050, 1024, blocks)).c_str()), 1)
        << Message();
    sonork::gAnswerMs = 50;
    sonork::gRefillStallMs = 400;
    std::this_thread::sleep_for(std::chrono::milliseconds(250)); // a refill is under way
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(sonork::StreamBuffer(), nullptr);
    EXPECT_EQ(sonork::gStreamFile, nullptr);
    EXPECT_EQ(sonork::gIsAdpcm, 0);
    sonork::gRefillStallMs = 0;
    sonork::gAnswerMs = 4000;
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the thread ends
}

TEST_F(Stream, PlayFailuresOfTheBufferAndThreadSteps) {
    std::string path = Wav("m.wav", Pcm(2, 44100, 16, Ramp(44100, 2)));
    struct Case {
        const char* faults;
        const char* location;
        const char* message;
    } cases[] = {
        {"CreateSoundBuffer=out_of_memory", "wavCreateStreamBuffer()",
         "Unable to create secondary DSound buffer: Out of memory!"},
        {"Lock=fail", "wavFillBuffer()", "Unable to lock DS buffer!"},
        {"QueryNotify=fail", "wavPlayBuffer()", "Unable to obtain notification interface!"},
        {"SetNotificationPositions=fail", "wavPlayBuffer()", "Unable to set DSound notifications!"},
        {"Play=fail", "wavPlayBuffer()", "Problem with wav player thread!"},
        {"CreateThread=fail", "wavPlayBuffer()", "Unable to create service thread!"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetFaults(c.faults));
        record_ = {};
        EXPECT_EQ(SoundFXWavPlay(path.c_str()), 0) << c.faults;
        EXPECT_STREQ(record_.location, c.location) << c.faults;
        EXPECT_EQ(Message(), c.message);
        SetFaults(nullptr);
        EXPECT_EQ(SoundFXWavStop(), 1);
        EXPECT_EQ(sonork::gStreamFile, nullptr);
    }
    // And it plays once nothing is in the way.
    EXPECT_EQ(SoundFXWavPlay(path.c_str()), 1);
}

// A failed refill is not silent: the next command reports it.
TEST_F(Stream, AReadFailureDuringPlayIsReportedAtTheNextCommand) {
    ASSERT_EQ(SoundFXWavPlay(Wav("m.wav", Pcm(2, 44100, 16, Ramp(44100 * 2, 2))).c_str()), 1);
    ASSERT_TRUE(SetFaults("mmioRead=fail"));
    // Several refills (a chunk plays in 93 ms). The record is not watched
    // meanwhile: the service thread writes it, and only the next command's
    // answer makes that safe to read.
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    SetFaults(nullptr);
    EXPECT_EQ(SoundFXWavPause(), 0);
    EXPECT_EQ(Message(), "Problem reading wav data!");
    EXPECT_EQ(SoundFXWavResume(), 1);
}

// Replacing an ADPCM stream without a stop takes the old converter down.
TEST_F(Stream, ReplacingAStreamClosesTheOldOneFirst) {
    std::vector<uint8_t> blocks(1024 * 20);
    for (size_t b = 0; b < 20; ++b)
        blocks[b * 1024 + 2] = blocks[b * 1024 + 4] = 16;
    std::string adpcm = Wav("a.wav", gamedata::AdpcmWav(2, 22050, 1024, blocks));
    std::string pcm = Wav("p.wav", Pcm(2, 44100, 16, Ramp(44100, 2)));
    ASSERT_EQ(SoundFXWavPlay(adpcm.c_str()), 1) << Message();
    ASSERT_EQ(SoundFXWavPlay(adpcm.c_str()), 1) << Message();
    ASSERT_EQ(SoundFXWavPlay(pcm.c_str()), 1) << Message();
    EXPECT_EQ(sonork::gIsAdpcm, 0);
    EXPECT_EQ(sonork::gTargetChunkSize, kPcmChunkBytes);
    ASSERT_EQ(SoundFXWavPlay(adpcm.c_str()), 1) << Message();
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(sonork::gSourceFormat, nullptr);
    // A play that failed half-way leaves its converter to the next play.
    ASSERT_TRUE(SetFaults("Play=fail"));
    EXPECT_EQ(SoundFXWavPlay(adpcm.c_str()), 0);
    SetFaults(nullptr);
    ASSERT_EQ(SoundFXWavPlay(adpcm.c_str()), 1) << Message();
    // A converter that will not close is reported and kept for the next stop.
    ASSERT_TRUE(SetFaults("acmStreamUnprepareHeader=513"));
    record_ = {};
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(Message(), "Unable to unprepare ACM header: ACMERR_BUSY!");
    EXPECT_STREQ(record_.location, "wavConversionCleanup()");
    EXPECT_EQ(sonork::gIsAdpcm, 1);
    SetFaults(nullptr);
    EXPECT_EQ(SoundFXWavStop(), 1);
    EXPECT_EQ(sonork::gIsAdpcm, 0);
    ASSERT_TRUE(SetFaults("acmStreamClose=5"));
    ASSERT_EQ(SoundFXWavPlay(adpcm.c_str()), 1) << Message();
    EXPECT_EQ(SoundFXWavPlay(pcm.c_str()), 0);
    EXPECT_EQ(Message(), "Unable to cloase ACM: MMSYSERR_INVALHANDLE!");
    SetFaults(nullptr);
    ASSERT_EQ(SoundFXWavPlay(pcm.c_str()), 1) << Message();
}

// What the WAV-file output heard: the file, silence to the end of its last
// chunk, the file again from its start.
TEST_F(Stream, AShortFileLoopsWithItsSilentGap) {
    SoundFXCleanup();
    std::string dir = ScratchDir("stream_output");
    std::string out = dir + "/out.wav";
    Init("wav:" + out);
    const size_t frames = 4096 * 3 + 1000; // three chunks and a part
    std::vector<int16_t> music = Ramp(frames, 2, 3);
    ASSERT_EQ(SoundFXWavPlay(Wav("short.wav", Pcm(2, 44100, 16, music)).c_str()), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(1200));
    EXPECT_EQ(SoundFXWavStop(), 1);
    SoundFXCleanup();

    std::vector<uint8_t> bytes;
    gamedata::WavInfo info;
    ASSERT_TRUE(gamedata::ReadFileBytes(out, &bytes));
    ASSERT_TRUE(gamedata::ReadWav(bytes, &info));
    std::vector<int16_t> heard = Samples16(info.data);
    size_t start = 0;
    while (start < heard.size() && heard[start] == 0)
        ++start;
    const size_t gap = 4096 - 1000;
    ASSERT_GE(heard.size(), start + 2 * (frames + gap) * 2 + 2 * 2);
    for (int round = 0; round < 2; ++round) {
        size_t at = start + size_t(round) * (frames + gap) * 2;
        ASSERT_TRUE(std::equal(music.begin(), music.end(), heard.begin() + long(at)))
            << "round " << round;
        at += music.size();
        for (size_t i = 0; i < gap * 2; ++i)
            ASSERT_EQ(heard[at + i], 0) << "round " << round << " gap sample " << i;
    }
    size_t third = start + 2 * (frames + gap) * 2;
    EXPECT_EQ(heard[third], music[0]);
    EXPECT_EQ(heard[third + 1], music[1]);
}

} // namespace
