// The CD audio library over the platform's CD device, mixer and timers, on
// the virtual clock.
#include "cdaudio/CDAudio.h"
#include "cdaudio/CDAudioInternal.h"
#include "platform/Clock.h"
#include "platform/Faults.h"
#include "platform/Mci.h"
#include "tests/cdaudio/CdTestUtil.h"

#include <gtest/gtest.h>

#include <string>

using namespace platform;
using discal::gState;

namespace {

class CDAudio : public testing::Test {
  protected:
    void SetUp() override {
        SetFaults(nullptr);
        setenv("VRASK_AUDIO", "null", 1);
    }
    void TearDown() override {
        SetFaults(nullptr);
        if (open_) {
            EXPECT_EQ(CDAudioCleanup(), 1) << record_.message;
        }
    }
    int Init() {
        open_ = true;
        return CDAudioInit(nullptr, &record_);
    }
    std::string Message() const { return record_.message; }

    cdtest::Scratch dir_;
    ErrorInfo record_{};
    bool open_ = false;
};

TEST_F(CDAudio, ALongTrackLoopsInFourPartsAndRestartsOnTheFirstRefreshAfterTheLast) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 200000));
    ASSERT_EQ(Init(), 1) << Message();
    ASSERT_EQ(CDAudioPlay(2), 1) << Message();
    EXPECT_EQ(gState.trackLength, 200000u);
    EXPECT_EQ(gState.partLength, 50000);
    EXPECT_EQ(gState.partsLeft, 3);
    EXPECT_EQ(gState.stopped, 0u);
    uint32_t firstTimer = gState.timer;
    EXPECT_NE(firstTimer, 0u);

    // Not yet due: nothing changes.
    Sleep(49990);
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.partsLeft, 3);
    EXPECT_EQ(gState.timer, firstTimer);

    for (int part = 2; part >= 0; --part) {
        Sleep(50000);
        EXPECT_EQ(CDAudioRefresh(), 1) << Message();
        EXPECT_EQ(gState.partsLeft, part);
        EXPECT_NE(gState.timer, 0u);
        // A second refresh within the part does nothing more.
        EXPECT_EQ(CDAudioRefresh(), 1);
        EXPECT_EQ(gState.partsLeft, part);
    }
    // The fourth part runs out: the next refresh starts the track again.
    Sleep(50000);
    EXPECT_EQ(gState.partsLeft, 0);
    EXPECT_EQ(CDAudioRefresh(), 1) << Message();
    EXPECT_EQ(gState.partsLeft, 3);
    EXPECT_EQ(gState.partLength, 50000);
    EXPECT_EQ(gState.currentTrack, 2u);

    MciStatusParms status{};
    status.item = MCI_STATUS_CURRENT_TRACK;
    ASSERT_EQ(mciSendCommand(gState.device, MCI_STATUS, MCI_STATUS_ITEM, &status), 0u);
    EXPECT_EQ(status.returnValue, 2u);
    status.item = MCI_STATUS_MODE;
    ASSERT_EQ(mciSendCommand(gState.device, MCI_STATUS, MCI_STATUS_ITEM, &status), 0u);
    EXPECT_EQ(status.returnValue, MCI_MODE_PLAY);
}

TEST_F(CDAudio, AShortTrackIsOnePartAndRestartsWhenItRunsOut) {
    ASSERT_TRUE(cdtest::LongTrack("data/CDAudio/Track05.WAV", 30000));
    ASSERT_EQ(Init(), 1) << Message();
    ASSERT_EQ(CDAudioPlay(5), 1) << Message();
    EXPECT_EQ(gState.partLength, 30000);
    EXPECT_EQ(gState.partsLeft, 0);
    uint32_t timer = gState.timer;
    Sleep(29999);
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.timer, timer);
    Sleep(1);
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_NE(gState.timer, 0u);
    EXPECT_EQ(gState.partsLeft, 0);
    EXPECT_EQ(gState.trackLength, 30000u);
}

TEST_F(CDAudio, NothingExpiresAfterAStopNotEvenAnExpirySignalledBeforeIt) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 30000));
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(CDAudioRefresh(), 1); // nothing pending at all
    ASSERT_EQ(CDAudioPlay(2), 1) << Message();
    ASSERT_EQ(CDAudioStop(), 1) << Message();
    EXPECT_EQ(gState.stopped, 1u);
    EXPECT_EQ(gState.timer, 0u);
    Sleep(120000);
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.timer, 0u);
    EXPECT_EQ(gState.stopped, 1u);

    // Expired, then stopped before any refresh saw it: the track stays
    // stopped (it used to start again, looping with nothing to stop it).
    ASSERT_EQ(CDAudioPlay(2), 1) << Message();
    Sleep(30000);
    ASSERT_EQ(CDAudioStop(), 1);
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.stopped, 1u);
    EXPECT_EQ(gState.timer, 0u);
    MciStatusParms status{};
    status.item = MCI_STATUS_MODE;
    ASSERT_EQ(mciSendCommand(gState.device, MCI_STATUS, MCI_STATUS_ITEM, &status), 0u);
    EXPECT_NE(status.returnValue, MCI_MODE_PLAY);
}

TEST_F(CDAudio, AThreadTheSystemCannotGiveFailsThePlayWithItsDeviceText) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 1000));
    ASSERT_EQ(Init(), 1) << Message();
    ASSERT_TRUE(SetFaults("CreateThread=fail"));
    EXPECT_EQ(CDAudioPlay(2), 0);
    EXPECT_STREQ(record_.location, "CDAudioPlay()");
    char text[256];
    mciGetErrorString(MCIERR_OUT_OF_MEMORY, text, sizeof(text));
    EXPECT_EQ(Message(), text);
    ASSERT_TRUE(SetFaults(nullptr));
    EXPECT_EQ(CDAudioPlay(2), 1) << Message();
}

TEST_F(CDAudio, ANewTrackCancelsThePendingTimerOfTheOldOne) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 10000));
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track03.wav", 60000));
    ASSERT_EQ(Init(), 1) << Message();
    ASSERT_EQ(CDAudioPlay(2), 1);
    Sleep(5000);
    ASSERT_EQ(CDAudioPlay(3), 1);
    uint32_t timer = gState.timer;
    Sleep(10000); // where the first track's timer would have run out
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.timer, timer);
}

// The timer must be gone with its event, or its callback sets a freed one.
TEST_F(CDAudio, CleanupWithAPendingTimerLeavesNothingToFire) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 30000));
    ASSERT_EQ(Init(), 1) << Message();
    ASSERT_EQ(CDAudioPlay(2), 1) << Message();
    ASSERT_NE(gState.timer, 0u);
    ASSERT_EQ(CDAudioCleanup(), 1) << Message();
    open_ = false;
    EXPECT_EQ(gState.timer, 0u);
    EXPECT_EQ(gState.timerEvent, nullptr);
    Sleep(60000);
    // Once more, and the library starts clean.
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(CDAudioRefresh(), 1);
    EXPECT_EQ(gState.timer, 0u);
}

TEST_F(CDAudio, VolumeGoesToTheCompactDiscLineScaledBy655) {
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(CDAudioMixerAvailable(), 1);
    ASSERT_EQ(CDAudioSetVolume(100), 1) << Message();
    uint32_t value = 0;
    MixerControlDetails details{gState.volumeControl, 1, &value};
    ASSERT_EQ(mixerGetControlDetails(gState.mixer, &details, MIXER_GETCONTROLDETAILSF_VALUE),
              MMSYSERR_NOERROR);
    EXPECT_EQ(value, 65500u);
    EXPECT_EQ(CDAudioGetVolume(), 100);
    ASSERT_EQ(CDAudioSetVolume(37), 1);
    EXPECT_EQ(CDAudioGetVolume(), 37);
    ASSERT_EQ(CDAudioSetVolume(0), 1);
    EXPECT_EQ(CDAudioGetVolume(), 0);
}

TEST_F(CDAudio, WithoutACdLineInitSucceedsAndVolumeCallsFailWithTheirMessages) {
    ASSERT_TRUE(SetFaults("mixerGetLineInfo=1024"));
    ASSERT_EQ(Init(), 1) << Message();
    // The missing line is not left behind as a pending error.
    EXPECT_EQ(record_.code, 0);
    EXPECT_EQ(CDAudioMixerAvailable(), 0);
    EXPECT_EQ(CDAudioSetVolume(100), 0);
    EXPECT_EQ(Message(), "Couldn't set CD Volume: MIXERR_INVALCONTROL!");
    EXPECT_STREQ(record_.location, "CDAudioSetVolume()");
    EXPECT_STREQ(record_.sourceFile, "Discal");
    EXPECT_EQ(record_.code, kErrorFatal);
    EXPECT_EQ(CDAudioGetVolume(), 0);
    EXPECT_EQ(Message(), "Couldn't get CD Volume: MIXERR_INVALCONTROL!");
}

TEST_F(CDAudio, WithoutAMixerTheVolumeCallsNameTheHandle) {
    ASSERT_TRUE(SetFaults("mixerOpen=no_driver"));
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(CDAudioMixerAvailable(), 0);
    EXPECT_EQ(CDAudioSetVolume(10), 0);
    EXPECT_EQ(Message(), "Couldn't set CD Volume: MMSYSERR_INVALHANDLE!");
}

TEST_F(CDAudio, MixerSetUpReportsEachReasonItKnows) {
    ASSERT_EQ(Init(), 1) << Message();
    CDAudioCleanup();
    open_ = false;
    struct Case {
        const char* faults;
        const char* message;
    } cases[] = {
        {"mixerOpen=2", "Couldn't open mixer: MMSYSERR_BADDEVICEID!"},
        {"mixerOpen=4", "Couldn't open mixer: MMSYSERR_ALLOCATED!"},
        {"mixerOpen=7", "Couldn't open mixer: MMSYSERR_NOMEM!"},
        {"mixerOpen=1024", "Couldn't open mixer: unspecified error!"},
        {"mixerGetLineInfo=10", "Couldn't get CD mixer line: MMSYSERR_INVALFLAG!"},
        {"mixerGetLineInfo=1024", "Couldn't get CD mixer line: MIXERR_INVALLINE!"},
        {"mixerGetLineInfo=7", "Couldn't get CD mixer line: unspecified error!"},
        {"mixerGetLineInfo=1025", "Couldn't get CD mixer line: unspecified error!"},
        {"mixerGetLineControls=1025", "Couldn't get cd mixer line control: MIXERR_INVALCONTROL!"},
        {"mixerGetLineControls=1024", "Couldn't get cd mixer line control: MIXERR_INVALLINE!"},
        {"mixerGetLineControls=4", "Couldn't get cd mixer line control: unspecified error!"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(SetFaults(c.faults));
        gState = discal::State{};
        gState.record = &record_;
        EXPECT_EQ(discal::MixerInit(), 0) << c.faults;
        EXPECT_EQ(Message(), c.message) << c.faults;
        EXPECT_STREQ(record_.location, "MixerInit()");
        if (gState.mixer)
            mixerClose(gState.mixer);
    }
    EXPECT_STREQ(discal::MixerReason(MMSYSERR_ALLOCATED, false, false, true), "unspecified error");
    EXPECT_STREQ(discal::MixerReason(MMSYSERR_NODRIVER, false, false, true), "MMSYSERR_NODRIVER");
}

TEST_F(CDAudio, ADriveWithoutADiscOpensButCannotPlay) {
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(record_.code, 0);
    EXPECT_EQ(CDAudioPlay(2), 0);
    EXPECT_STREQ(record_.location, "GetTrackLength()");
    char text[256];
    ASSERT_TRUE(mciGetErrorString(MCIERR_DEVICE_NOT_READY, text, sizeof(text)));
    EXPECT_EQ(Message(), text);
    EXPECT_EQ(CDAudioStop(), 1);
}

TEST_F(CDAudio, AMissingOrDamagedTrackGivesTheDeviceErrorText) {
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track03.wav", 1000));
    ASSERT_TRUE(cdtest::Write("data/cdaudio/track04.wav", {'R', 'I', 'F', 'F', 1, 2, 3}));
    ASSERT_EQ(Init(), 1) << Message();
    char text[256];
    EXPECT_EQ(CDAudioPlay(2), 0);
    mciGetErrorString(MCIERR_FILE_NOT_FOUND, text, sizeof(text));
    EXPECT_EQ(Message(), text);
    EXPECT_EQ(CDAudioPlay(4), 0);
    mciGetErrorString(MCIERR_INVALID_FILE, text, sizeof(text));
    EXPECT_EQ(Message(), text);
    EXPECT_EQ(CDAudioPlay(7), 0);
    mciGetErrorString(MCIERR_OUTOFRANGE, text, sizeof(text));
    EXPECT_EQ(Message(), text);
    // Only the low byte names the track.
    EXPECT_EQ(CDAudioPlay(0x0103), 1) << Message();
    EXPECT_EQ(gState.trackLength, 1000u);
}

TEST_F(CDAudio, DeviceAndTimerFailuresAreReported) {
    ASSERT_TRUE(SetFaults("mciOpen=not_found"));
    EXPECT_EQ(Init(), 0);
    EXPECT_STREQ(record_.location, "CDAudioInit()");
    char text[256];
    mciGetErrorString(MCIERR_FILE_NOT_FOUND, text, sizeof(text));
    EXPECT_EQ(Message(), text);
    CDAudioCleanup();

    ASSERT_TRUE(SetFaults("timeGetDevCaps=129"));
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(Message(), "Unable to get timer resolution: TIMERR_STRUCT!");
    CDAudioCleanup();
    ASSERT_TRUE(SetFaults("timeGetDevCaps=11"));
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(Message(), "Unable to get timer resolution: unknown error!");
    CDAudioCleanup();
    ASSERT_TRUE(SetFaults("timeBeginPeriod=97"));
    EXPECT_EQ(Init(), 0);
    EXPECT_EQ(Message(), "Unable to set MM timer resolution: NOCANDO!");
    EXPECT_STREQ(record_.location, "MMTimerInit()");
    CDAudioCleanup();

    ASSERT_TRUE(SetFaults(nullptr));
    ASSERT_TRUE(cdtest::LongTrack("data/cdaudio/track02.wav", 1000));
    ASSERT_EQ(Init(), 1) << Message();
    EXPECT_EQ(gState.timerPeriod, 100);
    ASSERT_TRUE(SetFaults("timeSetEvent=fail"));
    EXPECT_EQ(CDAudioPlay(2), 0);
    EXPECT_EQ(Message(), "Unable to set MM timer event!");
    EXPECT_STREQ(record_.location, "MMTimerStart()");
    ASSERT_TRUE(SetFaults("mciStop=262"));
    EXPECT_EQ(CDAudioStop(), 0);
    EXPECT_STREQ(record_.location, "CDAudioStop()");
    ASSERT_TRUE(SetFaults("mciPlay=262"));
    EXPECT_EQ(CDAudioPlay(2), 0);
    EXPECT_STREQ(record_.location, "CDAudioPlay()");
    ASSERT_TRUE(SetFaults("mixerClose=5"));
    EXPECT_EQ(CDAudioCleanup(), 0);
    EXPECT_STREQ(record_.location, "MixerCleanup()");
    EXPECT_EQ(Message(), "Couldn't close mixer: MMSYSERR_INVALHANDLE!");
    ASSERT_TRUE(SetFaults("mixerClose=6"));
    EXPECT_EQ(CDAudioCleanup(), 0);
    EXPECT_EQ(Message(), "Couldn't close mixer: unspecified error!");
    SetFaults(nullptr);
}

} // namespace
