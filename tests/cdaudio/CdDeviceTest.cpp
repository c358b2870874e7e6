// The platform's CD device, its playback through the mixer, and the
// multimedia timers.
#include "platform/AudioMixer.h"
#include "platform/Clock.h"
#include "platform/Faults.h"
#include "platform/Mci.h"
#include "platform/Timer.h"
#include "tests/cdaudio/CdTestUtil.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

using namespace platform;

namespace {

MCIDEVICEID OpenCd() {
    MciOpenParms open{};
    open.deviceType = "CDAudio";
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_WAIT, &open), 0u);
    return open.deviceId;
}

uintptr_t Status(MCIDEVICEID id, uint32_t item, uint32_t track = 0, MCIERROR* error = nullptr) {
    MciStatusParms status{};
    status.item = item;
    status.track = track;
    MCIERROR e = mciSendCommand(id, MCI_STATUS, MCI_STATUS_ITEM | (track ? MCI_TRACK : 0), &status);
    if (error)
        *error = e;
    else
        EXPECT_EQ(e, 0u) << "item " << item;
    return status.returnValue;
}

void SetFormat(MCIDEVICEID id, uint32_t format) {
    MciSetParms set{};
    set.timeFormat = format;
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT, &set), 0u);
}

TEST(CdDevice, TracksAreFoundWithoutRegardToCaseAndMeasuredInEitherFormat) {
    cdtest::Scratch dir;
    ASSERT_TRUE(cdtest::LongTrack("Data/CDAUDIO/TRACK02.WAV", 61500));
    ASSERT_TRUE(cdtest::LongTrack("Data/CDAUDIO/Track03.wav", 2000));
    ASSERT_TRUE(cdtest::Write("Data/CDAUDIO/track04.txt", {1, 2, 3}));
    MCIDEVICEID id = OpenCd();
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 1u);
    EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 3u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    SetFormat(id, MCI_FORMAT_MILLISECONDS);
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, 2), 61500u);
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH), 63500u); // the whole disc
    SetFormat(id, MCI_FORMAT_TMSF);
    EXPECT_EQ(Status(id, MCI_STATUS_LENGTH, 2),
              MCI_MAKE_MSF(1, 1, 37)); // 61.5 s, 75 frames a second
    EXPECT_EQ(Status(id, MCI_STATUS_TIME_FORMAT), MCI_FORMAT_TMSF);
    MCIERROR e;
    Status(id, MCI_STATUS_LENGTH, 1, &e);
    EXPECT_EQ(e, MCIERR_FILE_NOT_FOUND);
    Status(id, MCI_STATUS_LENGTH, 4, &e);
    EXPECT_EQ(e, MCIERR_OUTOFRANGE);
    // A compressed rip measures as long as what it holds.
    if (cdtest::HaveSox() && cdtest::LevelTrack("plain.wav", 1500, 3000) &&
        std::system("sox plain.wav Data/CDAUDIO/track06.ogg 2> /dev/null") == 0) {
        SetFormat(id, MCI_FORMAT_MILLISECONDS);
        EXPECT_NEAR(double(Status(id, MCI_STATUS_LENGTH, 6)), 1500, 30);
        EXPECT_EQ(Status(id, MCI_STATUS_NUMBER_OF_TRACKS), 6u);
    }
    MciSetParms bad{};
    bad.timeFormat = 77;
    EXPECT_EQ(mciSendCommand(id, MCI_SET, MCI_SET_TIME_FORMAT, &bad), MCIERR_BAD_TIME_FORMAT);
    EXPECT_EQ(mciSendCommand(id, MCI_CLOSE, MCI_WAIT, nullptr), 0u);
    EXPECT_EQ(mciSendCommand(id, MCI_STOP, MCI_WAIT, nullptr), MCIERR_INVALID_DEVICE_ID);
}

TEST(CdDevice, WithoutTracksItOpensAsADriveWithoutADisc) {
    cdtest::Scratch dir;
    MCIDEVICEID id = OpenCd();
    EXPECT_EQ(Status(id, MCI_STATUS_MEDIA_PRESENT), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_NOT_READY);
    SetFormat(id, MCI_FORMAT_TMSF);
    MCIERROR e;
    Status(id, MCI_STATUS_LENGTH, 1, &e);
    EXPECT_EQ(e, MCIERR_DEVICE_NOT_READY);
    MciPlayParms play{};
    play.from = MCI_MAKE_TMSF(1, 0, 0, 0);
    EXPECT_EQ(mciSendCommand(id, MCI_PLAY, MCI_FROM, &play), MCIERR_DEVICE_NOT_READY);
    EXPECT_EQ(mciSendCommand(id, MCI_STOP, MCI_WAIT, nullptr), 0u);
    EXPECT_EQ(mciSendCommand(id, MCI_CLOSE, MCI_WAIT, nullptr), 0u);

    MciOpenParms other{};
    other.deviceType = "waveaudio";
    EXPECT_EQ(mciSendCommand(0, MCI_OPEN, MCI_OPEN_TYPE, &other), MCIERR_INVALID_DEVICE_NAME);
    // Every code the device gives has a text.
    for (MCIERROR code :
         {MCIERR_INVALID_DEVICE_ID, MCIERR_UNRECOGNIZED_COMMAND, MCIERR_HARDWARE,
          MCIERR_INVALID_DEVICE_NAME, MCIERR_OUT_OF_MEMORY, MCIERR_DEVICE_OPEN,
          MCIERR_CANNOT_LOAD_DRIVER, MCIERR_MISSING_PARAMETER, MCIERR_UNSUPPORTED_FUNCTION,
          MCIERR_FILE_NOT_FOUND, MCIERR_DEVICE_NOT_READY, MCIERR_OUTOFRANGE,
          MCIERR_FLAGS_NOT_COMPATIBLE, MCIERR_BAD_TIME_FORMAT, MCIERR_INVALID_FILE,
          MCIERR_NULL_PARAMETER_BLOCK}) {
        char text[256];
        EXPECT_TRUE(mciGetErrorString(code, text, sizeof(text))) << code;
        EXPECT_GT(std::strlen(text), 10u) << code;
    }
    char text[8] = "x";
    EXPECT_FALSE(mciGetErrorString(12345, text, sizeof(text)));
    EXPECT_STREQ(text, "");
}

// The output follows the virtual clock, the track's decoder real time: both
// move on.
void Wait(uint32_t ms) {
    Sleep(ms);
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// Playback reaches the sound output: a track plays on into the next, the
// compact-disc line's volume scales it, and FLAC decodes like WAV.
TEST(CdDevice, PlaysOnIntoTheNextTrackThroughTheMixerAtTheLinesVolume) {
    cdtest::Scratch dir;
    ASSERT_TRUE(cdtest::LevelTrack("data/cdaudio/track01.wav", 300, 6000));
    ASSERT_TRUE(cdtest::LevelTrack("data/cdaudio/track02.wav", 300, -9000));
    bool flac = cdtest::HaveSox() && cdtest::LevelTrack("plain03.wav", 300, 20000) &&
                std::system("sox plain03.wav data/cdaudio/track03.flac 2> /dev/null") == 0;
    std::string out = (dir.Path() / "out.wav").string();
    setenv("VRASK_AUDIO", ("wav:" + out).c_str(), 1);

    HMIXER mixer = nullptr;
    ASSERT_EQ(mixerOpen(&mixer, 0, 0, 0, MIXER_OBJECTF_MIXER), MMSYSERR_NOERROR);
    uint32_t half = 32767;
    MixerControlDetails details{0, 1, &half};
    MixerLine line{};
    line.componentType = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
    ASSERT_EQ(mixerGetLineInfo(mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE), MMSYSERR_NOERROR);
    MixerControl control{};
    MixerLineControls controls{line.lineId, MIXERCONTROL_CONTROLTYPE_VOLUME, 0, 1, &control};
    ASSERT_EQ(mixerGetLineControls(mixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE),
              MMSYSERR_NOERROR);
    details.controlId = control.controlId;
    uint32_t full = 65535;
    MixerControlDetails fullDetails{control.controlId, 1, &full};
    ASSERT_EQ(mixerSetControlDetails(mixer, &fullDetails, 0), MMSYSERR_NOERROR);

    MCIDEVICEID id = OpenCd();
    SetFormat(id, MCI_FORMAT_TMSF);
    MciPlayParms play{};
    play.from = MCI_MAKE_TMSF(1, 0, 0, 0);
    ASSERT_EQ(mciSendCommand(id, MCI_PLAY, MCI_FROM, &play), 0u);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_PLAY);
    // The second track at half volume, from when it is heard.
    for (int i = 0; i < 400 && Status(id, MCI_STATUS_CURRENT_TRACK) != 2; ++i)
        Wait(5);
    ASSERT_EQ(mixerSetControlDetails(mixer, &details, 0), MMSYSERR_NOERROR);
    for (int i = 0; i < 300 && Status(id, MCI_STATUS_MODE) == MCI_MODE_PLAY; ++i)
        Wait(10);
    EXPECT_EQ(Status(id, MCI_STATUS_MODE), MCI_MODE_STOP);
    EXPECT_EQ(Status(id, MCI_STATUS_CURRENT_TRACK), flac ? 3u : 2u);
    ASSERT_EQ(mciSendCommand(id, MCI_CLOSE, 0, nullptr), 0u);
    ASSERT_EQ(mixerSetControlDetails(mixer, &fullDetails, 0), MMSYSERR_NOERROR);
    ASSERT_EQ(mixerClose(mixer), MMSYSERR_NOERROR);
    EXPECT_EQ(mixerClose(mixer), MMSYSERR_INVALHANDLE);
    unsetenv("VRASK_AUDIO");

    std::vector<uint8_t> bytes;
    gamedata::WavInfo info;
    ASSERT_TRUE(gamedata::ReadFileBytes(out, &bytes));
    ASSERT_TRUE(gamedata::ReadWav(bytes, &info));
    std::vector<int16_t> s = cdtest::Samples16(info.data);
    size_t first = 0, secondFull = 0, secondHalf = 0, third = 0;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        first += s[i] == 6000 && s[i + 1] == 6000;
        secondFull += s[i] == -9000;
        secondHalf += s[i] == -9000 * 32767 / 65535;
        third += std::abs(s[i] - 20000 * 32767 / 65535) <= 2;
    }
    // 300 ms is 13230 frames; a few at each edge are shared with the next.
    EXPECT_NEAR(double(first), 13230, 20);
    EXPECT_NEAR(double(secondFull + secondHalf), 13230, 20);
    EXPECT_GT(secondHalf, 0u);
    if (flac) {
        EXPECT_NEAR(double(third), 13230, 200);
    }
}

std::atomic<int> gFired{0};
std::atomic<bool> gOtherThread{false};
std::thread::id gTestThread;

void Count(uint32_t, uint32_t, uintptr_t user, uintptr_t, uintptr_t) {
    gFired += int(user);
    gOtherThread = std::this_thread::get_id() != gTestThread;
}

TEST(MmTimer, OneShotEventsFireOnTheirOwnThreadWhenTheClockReachesThem) {
    gTestThread = std::this_thread::get_id();
    TimeCaps caps{};
    EXPECT_EQ(timeGetDevCaps(&caps, 3), TIMERR_STRUCT);
    ASSERT_EQ(timeGetDevCaps(&caps, sizeof(caps)), TIMERR_NOERROR);
    EXPECT_EQ(timeBeginPeriod(0), TIMERR_NOCANDO);
    ASSERT_EQ(timeBeginPeriod(100), TIMERR_NOERROR);
    EXPECT_EQ(timeSetEvent(0, 100, Count, 1, TIME_ONESHOT), 0u);
    EXPECT_EQ(timeSetEvent(10, 100, nullptr, 1, TIME_ONESHOT), 0u);

    gFired = 0;
    uint32_t a = timeSetEvent(500, 100, Count, 1, TIME_ONESHOT);
    uint32_t b = timeSetEvent(800, 100, Count, 10, TIME_ONESHOT);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    Sleep(499);
    EXPECT_EQ(gFired, 0);
    Sleep(1);
    EXPECT_EQ(gFired, 1); // seen as the clock call returns
    EXPECT_TRUE(gOtherThread);
    EXPECT_EQ(timeKillEvent(b), MMSYSERR_NOERROR);
    Sleep(10000);
    EXPECT_EQ(gFired, 1);
    EXPECT_EQ(timeKillEvent(a), MMSYSERR_INVALPARAM); // already gone
    EXPECT_EQ(timeEndPeriod(100), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(100), TIMERR_NOCANDO);
}

} // namespace
