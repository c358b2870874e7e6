// The cutscene player over real movie files on the headless display.
#include "cutscene/MovieFixture.h"
#include "platform/Clock.h"

#include <algorithm>
#include <fstream>

using namespace cutscenetest;

namespace {

constexpr uint32_t kRed565 = 0xF800;
constexpr uint32_t kSpace = 57;
constexpr uint32_t kEscape = 1;

// Full-scale entry 255 of ramp i of the fade from the identity ramp.
uint16_t FadeTop(int i) {
    return uint16_t(65535 - (65535 / 60) * i);
}

} // namespace

TEST_F(CutsceneTest, MoviePlaysToItsEndOnceAndLeavesTheScreenBlack) {
    ASSERT_TRUE(MakeMovie("data/intro.avi", "red", 32, 24, 10));
    gInputState.keysBefore[5] = 0;
    uint32_t seen = 0;
    keyboard_->onRead = [&](int read, uint8_t*) {
        if (read == 1)
            seen = Pixel(Screen(), 0, 0);
    };
    ASSERT_EQ(CutsceneEngine("data\\INTRO.avi", 0, 160, 120, 16, kEscape, kSpace), 1) << Message();
    // Ten frames, each followed by a read, and one more read at the end.
    EXPECT_EQ(keyboard_->reads, 11);
    EXPECT_EQ(seen, kRed565);
    ASSERT_EQ(display_->modes.size(), 1u);
    EXPECT_EQ(display_->modes[0].width, 160u);
    EXPECT_EQ(display_->modes[0].bits, 16u);
    EXPECT_EQ(Pixel(Screen(), 0, 0), 0u);
    EXPECT_EQ(Ramp(Screen()).red[255], 65535);
    EXPECT_EQ(gDisplay.primary, nullptr);
    for (uint8_t k : gInputState.keysBefore)
        ASSERT_EQ(k, 0x80);
    EXPECT_EQ(gErrorInfo.code, 0);
}

// A damaged movie whose third frame is stamped a day later: the frame waits
// a second at most, so the player is never frozen.
TEST_F(CutsceneTest, AFrameStampedFarAheadWaitsASecondAtMost) {
    ASSERT_EQ(std::system("ffmpeg -hide_banner -loglevel error -y -f lavfi "
                          "-i color=c=red:s=16x12:r=30 -frames:v 3 "
                          "-vf \"setpts='if(eq(N,2),PTS+100000/TB,PTS)'\" -c:v ffv1 "
                          "-pix_fmt bgr0 -f matroska data/gap.mkv >/dev/null 2>&1"),
              0);
    uint32_t start = platform::TimeGetTime();
    ASSERT_EQ(CutsceneEngine("data\\gap.mkv", 0, 160, 120, 16, kEscape, kSpace), 1) << Message();
    EXPECT_EQ(keyboard_->reads, 4);
    EXPECT_LT(platform::TimeGetTime() - start, 2000u);
}

TEST_F(CutsceneTest, ThirtyTwoBitModeGetsXrgbPixels) {
    ASSERT_TRUE(MakeMovie("data/blue.avi", "blue", 16, 16, 3, false));
    uint32_t seen = 0;
    keyboard_->onRead = [&](int read, uint8_t*) {
        if (read == 1)
            seen = Pixel(Screen(), 15, 15) & 0xFFFFFF;
    };
    ASSERT_EQ(CutsceneEngine("data\\blue.avi", 0, 64, 48, 32, kEscape, kSpace), 1) << Message();
    // Blue through the encoder's own rounding: no red or green at all.
    EXPECT_EQ(seen & 0xFFFF00, 0u);
    EXPECT_GE(seen & 0xFF, 0xF0u);
    EXPECT_EQ(keyboard_->reads, 4);
}

struct Placement {
    uint32_t flags;
    int left, top, right, bottom; // the red area, inclusive-exclusive
};

void PrintTo(const Placement& p, std::ostream* out) {
    *out << "flags " << p.flags;
}

class CutscenePlacement : public CutsceneTest, public ::testing::WithParamInterface<Placement> {};

TEST_P(CutscenePlacement, PictureLandsWhereTheFlagsSay) {
    const Placement& p = GetParam();
    ASSERT_TRUE(MakeMovie("data/box.avi", "red", 32, 24, 2, false));
    std::vector<std::pair<int, int>> wrong;
    keyboard_->onRead = [&](int read, uint8_t*) {
        if (read != 1)
            return;
        platform::Surface* s = Screen();
        // The corners of the area and the pixels just outside them.
        const int xs[] = {p.left - 1, p.left, p.right - 1, p.right};
        const int ys[] = {p.top - 1, p.top, p.bottom - 1, p.bottom};
        for (int x : xs)
            for (int y : ys) {
                if (x < 0 || y < 0 || x >= 160 || y >= 120)
                    continue;
                bool inside = x >= p.left && x < p.right && y >= p.top && y < p.bottom;
                if (Pixel(s, x, y) != (inside ? kRed565 : 0u))
                    wrong.push_back({x, y});
            }
    };
    ASSERT_EQ(CutsceneEngine("data\\box.avi", p.flags, 160, 120, 16, kEscape, kSpace), 1)
        << Message();
    EXPECT_TRUE(wrong.empty()) << "first wrong pixel at " << wrong[0].first << ","
                               << wrong[0].second;
}

INSTANTIATE_TEST_SUITE_P(
    Flags, CutscenePlacement,
    ::testing::Values(Placement{0, 0, 0, 32, 24}, Placement{kCutsceneDouble, 0, 0, 64, 48},
                      Placement{kCutsceneCentre, 64, 48, 96, 72},
                      Placement{kCutsceneDouble | kCutsceneCentre, 48, 36, 112, 84}));

TEST_F(CutsceneTest, LoopingMovieRestartsUntilSkippedThenFadesOverSixtyFrames) {
    ASSERT_TRUE(MakeMovie("data/loop.avi", "red", 32, 24, 80));
    gMenuControl.effectsVolume = 70;
    std::vector<uint16_t> tops;
    keyboard_->onRead = [&](int read, uint8_t* keys) {
        tops.push_back(Ramp(Screen()).red[255]);
        // Eighty-one reads a pass: the fifth frame of the second pass.
        if (read == 86)
            keys[kSpace] = 0x80;
    };
    RecordingStream* recorder = nullptr;
    ASSERT_EQ(PlayRecorded("loop.avi", kCutsceneLoop, &recorder), 1) << Message();
    EXPECT_EQ(recorder->seeks, 2);
    EXPECT_EQ(keyboard_->reads, 81 + 65);
    // Frames 6 to 65 of the second pass show the sixty ramps in turn.
    std::vector<uint16_t> fade(tops.begin() + 86, tops.end());
    ASSERT_EQ(fade.size(), 60u);
    for (int i = 0; i < 60; ++i)
        EXPECT_EQ(fade[size_t(i)], FadeTop(i)) << i;
    EXPECT_EQ(Ramp(Screen()).red[255], 65535);
    // Volume 70: -900, then 85 less on every faded frame.
    ASSERT_EQ(recorder->volumes.size(), 61u);
    EXPECT_EQ(recorder->volumes[0], -900);
    for (size_t i = 1; i < recorder->volumes.size(); ++i)
        EXPECT_EQ(recorder->volumes[i], -900 - 85 * int32_t(i));
    recorder->Release();
}

// Each pass of a looping movie starts at its first frame, whatever the
// container: an MPEG program stream's rewind used to land past its start.
TEST_F(CutsceneTest, LoopingMpegProgramStreamRepeatsItsFirstFrames) {
    // Eight red frames, then blue: MPEG-1 video with B-frames and MPEG audio
    // that starts before the picture.
    std::string command =
        "ffmpeg -hide_banner -loglevel error -y -f lavfi -i color=c=red:s=64x48:r=25:d=0.32 "
        "-f lavfi -i color=c=blue:s=64x48:r=25:d=1.2 -f lavfi -i "
        "sine=frequency=440:sample_rate=44100:d=1.52 -filter_complex '[0:v][1:v]concat=n=2:v=1[v]' "
        "-map '[v]' -map 2:a -c:v mpeg1video -bf 2 -g 100 -c:a mp2 -f mpeg data/loop.mpg "
        ">/dev/null 2>&1";
    ASSERT_EQ(std::system(command.c_str()), 0);
    std::vector<bool> red;
    keyboard_->onRead = [&](int read, uint8_t* keys) {
        uint32_t p = Pixel(Screen(), 32, 24);
        red.push_back((p >> 11) > 20 && (p & 0x1F) < 10);
        if (read == 110)
            keys[kSpace] = 0x80;
    };
    RecordingStream* recorder = nullptr;
    ASSERT_EQ(PlayRecorded("loop.mpg", kCutsceneLoop, &recorder), 1) << Message();
    recorder->Release();
    // Runs of red frames: one per pass, each as long as the first.
    std::vector<int> runs;
    for (size_t i = 0; i < red.size(); ++i) {
        if (red[i] && i > 0 && red[i - 1])
            ++runs.back();
        else if (red[i])
            runs.push_back(1);
    }
    if (red.back())
        runs.pop_back(); // cut short by the end
    ASSERT_GE(runs.size(), 2u);
    EXPECT_GE(runs[0], 7);
    for (int run : runs)
        EXPECT_EQ(run, runs[0]);
}

TEST_F(CutsceneTest, KeyHeldDuringTheFadeDoesNotRestartIt) {
    ASSERT_TRUE(MakeMovie("data/long.avi", "red", 32, 24, 90, false));
    keyboard_->onRead = [&](int, uint8_t* keys) { keys[kEscape] = 0x80; };
    ASSERT_EQ(CutsceneEngine("data\\long.avi", kCutsceneLoop, 160, 120, 16, kEscape, kSpace), 1);
    // The key is seen on the first read; sixty faded frames follow.
    EXPECT_EQ(keyboard_->reads, 61);
    EXPECT_EQ(Ramp(Screen()).red[255], 65535);
}

TEST_F(CutsceneTest, MovieEndingDuringTheFadeStopsLoopingAndRestoresTheRamp) {
    ASSERT_TRUE(MakeMovie("data/short.avi", "red", 32, 24, 10));
    uint16_t lowest = 65535;
    keyboard_->onRead = [&](int read, uint8_t* keys) {
        lowest = std::min(lowest, Ramp(Screen()).red[255]);
        if (read == 3)
            keys[kSpace] = 0x80;
    };
    RecordingStream* recorder = nullptr;
    ASSERT_EQ(PlayRecorded("short.avi", kCutsceneLoop, &recorder), 1) << Message();
    EXPECT_EQ(recorder->seeks, 1);
    EXPECT_EQ(keyboard_->reads, 11);
    // Frames 4 to 10 show ramps 0 to 6.
    EXPECT_EQ(lowest, FadeTop(6));
    EXPECT_EQ(Ramp(Screen()).red[255], 65535);
    recorder->Release();
}

TEST_F(CutsceneTest, SilentEffectsVolumeGivesNoAudioFade) {
    ASSERT_TRUE(MakeMovie("data/quiet.avi", "red", 32, 24, 20));
    gMenuControl.effectsVolume = 0;
    keyboard_->onRead = [&](int, uint8_t* keys) { keys[kSpace] = 0x80; };
    RecordingStream* recorder = nullptr;
    ASSERT_EQ(PlayRecorded("quiet.avi", 0, &recorder), 1) << Message();
    EXPECT_EQ(recorder->volumes, std::vector<int32_t>{-10000});
    recorder->Release();
}

TEST_F(CutsceneTest, MissingMovieIsReportedByName) {
    EXPECT_EQ(CutsceneEngine("data\\nothere.avi", 0, 160, 120, 16, kEscape, kSpace), 0);
    EXPECT_EQ(gErrorInfo.code, 2);
    EXPECT_STREQ(gErrorInfo.sourceFile, "CutsceneEngine");
    EXPECT_EQ(Location(), "CutsceneEngine()");
    EXPECT_EQ(Message(), "Unable to open data\\nothere.avi");
}

TEST_F(CutsceneTest, FileThatIsNoMovieIsReportedAsUnsupported) {
    {
        std::ofstream out("data/junk.avi", std::ios::binary);
        for (int i = 0; i < 4096; ++i)
            out.put(char((i * 7919) & 0xFF));
    }
    EXPECT_EQ(CutsceneEngine("data\\junk.avi", 0, 160, 120, 16, kEscape, kSpace), 0);
    EXPECT_EQ(Location(), "RenderFileToMMStream()");
    EXPECT_EQ(Message(), "File format not supported!");
    // An empty file too.
    std::ofstream("data/empty.avi").close();
    std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
    EXPECT_EQ(CutsceneEngine("data\\empty.avi", 0, 160, 120, 16, kEscape, kSpace), 0);
    EXPECT_EQ(Message(), "File format not supported!");
}

TEST_F(CutsceneTest, TruncatedMoviePlaysWhatItHolds) {
    ASSERT_TRUE(MakeMovie("data/cut.avi", "red", 32, 24, 30));
    std::filesystem::resize_file("data/cut.avi", std::filesystem::file_size("data/cut.avi") / 2);
    ASSERT_EQ(CutsceneEngine("data\\cut.avi", 0, 160, 120, 16, kEscape, kSpace), 1) << Message();
    EXPECT_GT(keyboard_->reads, 1);
    EXPECT_LT(keyboard_->reads, 31);
}

struct StreamFault {
    const char* faults;
    const char* location;
    const char* message;
};

void PrintTo(const StreamFault& f, std::ostream* out) {
    *out << f.faults;
}

class CutsceneFault : public CutsceneTest, public ::testing::WithParamInterface<StreamFault> {};

TEST_P(CutsceneFault, FailingCallGivesItsMessageAndReleasesEverything) {
    const StreamFault& f = GetParam();
    ASSERT_TRUE(MakeMovie("data/intro.avi", "red", 32, 24, 3));
    keyboard_->onRead = [&](int, uint8_t* keys) { keys[kSpace] = 0x80; };
    ASSERT_TRUE(platform::SetFaults(f.faults));
    EXPECT_EQ(CutsceneEngine("data\\intro.avi", kCutsceneLoop, 160, 120, 16, kEscape, kSpace), 0);
    platform::SetFaults(nullptr);
    EXPECT_EQ(gErrorInfo.code, 2);
    EXPECT_STREQ(gErrorInfo.sourceFile, "CutsceneEngine");
    EXPECT_EQ(Location(), f.location);
    EXPECT_EQ(Message(), f.message);
    // Whatever the playback made is gone: only the test's own reference to a
    // primary surface is left, and the screen is not left dark.
    for (platform::Surface* s : display_->primaries) {
        s->AddRef();
        EXPECT_EQ(s->Release(), 1u);
    }
    if (Screen()) {
        EXPECT_EQ(Ramp(Screen()).red[255], 65535);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, CutsceneFault,
    ::testing::Values(
        StreamFault{"QueryDirectDraw=fail", "CutsceneEngine()",
                    "Unable to get IDirectDraw interface!"},
        StreamFault{"SetCooperativeLevel=fail", "CutsceneEngine()",
                    "Unable to set cooperative level!"},
        StreamFault{"SetDisplayMode=unsupported_mode", "CutsceneEngine()",
                    "Unable to set display mode!"},
        StreamFault{"CreateMultiMediaStream=out_of_memory", "RenderFileToMMStream()",
                    "Unable to create a CLSID_MultiMediaStream object.\n Check you have run "
                    "regsvr32 amstream.dll"},
        StreamFault{"Initialize=fail", "RenderFileToMMStream()", "Unable to initialize stream!"},
        StreamFault{"AddMediaStream=fail@1", "RenderFileToMMStream()",
                    "Unable to add primary video stream!"},
        StreamFault{"AddMediaStream=fail@2", "RenderFileToMMStream()",
                    "Unable to add primary audio stream!"},
        StreamFault{"OpenFile=bad_format", "RenderFileToMMStream()", "File format not supported!"},
        StreamFault{"GetMediaStream=fail", "RenderStreamToSurface()",
                    "Unable to get primary video stream!"},
        StreamFault{"QueryDirectDrawMediaStream=fail", "RenderStreamToSurface()",
                    "Unable to acquire IDirectDrawMediaStream interface!"},
        StreamFault{"GetFormat=fail", "RenderStreamToSurface()", "Unable to acquire movie format!"},
        StreamFault{"CreateSurface=out_of_memory@1", "RenderStreamToSurface()",
                    "Unable to create primary surface!"},
        StreamFault{"GetSurfaceDesc=fail@1", "RenderStreamToSurface()",
                    "Unable to acquire primary surface pixel format!"},
        StreamFault{"CreateSurface=out_of_memory@2", "RenderStreamToSurface()",
                    "Unable to create off-screen surface!"},
        StreamFault{"CreateSample=fail", "RenderStreamToSurface()",
                    "Unable to create media stream sample!"},
        StreamFault{"GetGammaControl=unsupported", "RenderStreamToSurface()",
                    "Unable to acquire DirectDraw GammaControl interface!"},
        StreamFault{"GetGammaRamp=fail@1", "RenderStreamToSurface()",
                    "Unable to acquire Gamma Settings!"},
        StreamFault{"GetGammaRamp=fail@2", "RenderStreamToSurface()",
                    "Unable to acquire Gamma Settings!"},
        StreamFault{"HeapAlloc=out_of_memory", "RenderStreamToSurface()",
                    "Unable to allocate memory for gamma ramp!"},
        StreamFault{"GetFilterGraph=fail", "RenderStreamToSurface()",
                    "Unable to acquire Filter Graph!"},
        StreamFault{"QueryBasicAudio=fail", "RenderStreamToSurface()",
                    "Unable to acquire Basic Audio Interface!"},
        StreamFault{"get_Volume=fail", "RenderStreamToSurface()", "Unable to get volume!"},
        StreamFault{"SetState=fail@2", "RenderStreamToSurface()", "Unable to stop stream!"}));

TEST_F(CutsceneTest, StopFailureAfterAFadeStillRestoresTheRamp) {
    ASSERT_TRUE(MakeMovie("data/intro.avi", "red", 32, 24, 10));
    keyboard_->onRead = [&](int read, uint8_t* keys) {
        if (read == 2)
            keys[kSpace] = 0x80;
    };
    ASSERT_TRUE(platform::SetFaults("SetState=fail@2"));
    EXPECT_EQ(CutsceneEngine("data\\intro.avi", 0, 160, 120, 16, kEscape, kSpace), 0);
    EXPECT_EQ(Message(), "Unable to stop stream!");
    EXPECT_EQ(Ramp(Screen()).red[255], 65535);
}

TEST_F(CutsceneTest, FrameThatCannotBeShownEndsEvenALoopingMovie) {
    ASSERT_TRUE(MakeMovie("data/intro.avi", "red", 32, 24, 10));
    ASSERT_TRUE(platform::SetFaults("Update=fail@4"));
    ASSERT_EQ(CutsceneEngine("data\\intro.avi", kCutsceneLoop, 160, 120, 16, kEscape, kSpace), 1);
    EXPECT_EQ(keyboard_->reads, 4);
    EXPECT_EQ(gErrorInfo.code, 0);
}
