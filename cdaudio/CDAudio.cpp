// The CD audio library: one track played and kept looping, its volume on the
// mixer's compact-disc line.
//
// Looping does not wait for the device to say a track ended: the track is
// measured when it starts and a one-shot timer tells when its time is up.
// Timer delays stay within 16 bits, so a long track is waited out in equal
// parts; CDAudioRefresh, polled once a frame, arms the next part or starts
// the track again.
#include "cdaudio/CDAudio.h"
#include "cdaudio/CDAudioInternal.h"
#include "platform/Debug.h"
#include "platform/Timer.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace platform;

namespace discal {

State gState{};

namespace {

constexpr const char* kUnit = "Discal";
constexpr uint16_t kVolumeScale = 655;

void Fail(const char* location, const char* message) {
    FillError(gState.record, kErrorFatal, kUnit, location, message);
}

void FailMci(const char* location, MCIERROR error) {
    char text[256];
    if (!mciGetErrorString(error, text, sizeof(text)))
        std::snprintf(text, sizeof(text), "Unknown CD audio device error %u.", error);
    Fail(location, text);
}

void FailMixer(const char* location, const char* prefix, const char* reason) {
    char text[256];
    std::snprintf(text, sizeof(text), "%s%s!", prefix, reason);
    Fail(location, text);
}

// Called on the timer service's thread: it only raises the event, which
// the game thread sees in CDAudioRefresh.
void TimerCallback(uint32_t, uint32_t, uintptr_t, uintptr_t, uintptr_t) {
    SetEvent(gState.timerEvent);
}

MCIERROR SetTimeFormat(uint32_t format) {
    MciSetParms set{};
    set.timeFormat = format;
    return mciSendCommand(gState.device, MCI_SET, MCI_WAIT | MCI_SET_TIME_FORMAT, &set);
}

} // namespace

const char* MixerReason(MMRESULT result, bool openCodes, bool lineCodes, bool controlCodes) {
    switch (result) {
    case MMSYSERR_BADDEVICEID:
        return "MMSYSERR_BADDEVICEID";
    case MMSYSERR_INVALHANDLE:
        return "MMSYSERR_INVALHANDLE";
    case MMSYSERR_NODRIVER:
        return "MMSYSERR_NODRIVER";
    case MMSYSERR_INVALFLAG:
        return "MMSYSERR_INVALFLAG";
    case MMSYSERR_INVALPARAM:
        return "MMSYSERR_INVALPARAM";
    case MMSYSERR_ALLOCATED:
        return openCodes ? "MMSYSERR_ALLOCATED" : "unspecified error";
    case MMSYSERR_NOMEM:
        return openCodes ? "MMSYSERR_NOMEM" : "unspecified error";
    case MIXERR_INVALLINE:
        return lineCodes ? "MIXERR_INVALLINE" : "unspecified error";
    case MIXERR_INVALCONTROL:
        return controlCodes ? "MIXERR_INVALCONTROL" : "unspecified error";
    default:
        return "unspecified error";
    }
}

int MixerInit() {
    MMRESULT r = mixerOpen(&gState.mixer, 0, 0, 0, MIXER_OBJECTF_MIXER);
    if (r != MMSYSERR_NOERROR) {
        gState.mixer = nullptr;
        FailMixer("MixerInit()", "Couldn't open mixer: ", MixerReason(r, true, false, false));
        return 0;
    }
    MixerLine line{};
    line.componentType = MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC;
    r = mixerGetLineInfo(gState.mixer, &line, MIXER_GETLINEINFOF_COMPONENTTYPE);
    if (r != MMSYSERR_NOERROR) {
        FailMixer("MixerInit()",
                  "Couldn't get CD mixer line: ", MixerReason(r, false, true, false));
        return 0;
    }
    MixerControl control{};
    MixerLineControls controls{};
    controls.lineId = line.lineId;
    controls.controlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    controls.controls = 1;
    controls.control = &control;
    r = mixerGetLineControls(gState.mixer, &controls, MIXER_GETLINECONTROLSF_ONEBYTYPE);
    if (r != MMSYSERR_NOERROR) {
        FailMixer("MixerInit()",
                  "Couldn't get cd mixer line control: ", MixerReason(r, false, true, true));
        return 0;
    }
    gState.volumeControl = control.controlId;
    return 1;
}

int MMTimerInit() {
    TimeCaps caps{};
    MMRESULT r = timeGetDevCaps(&caps, sizeof(caps));
    if (r != TIMERR_NOERROR) {
        Fail("MMTimerInit()", r == TIMERR_STRUCT
                                  ? "Unable to get timer resolution: TIMERR_STRUCT!"
                                  : "Unable to get timer resolution: unknown error!");
        return 0;
    }
    gState.timerPeriod = uint16_t(std::min(std::max(caps.periodMin, 100u), caps.periodMax));
    r = timeBeginPeriod(gState.timerPeriod);
    if (r != TIMERR_NOERROR) {
        gState.timerPeriod = 0;
        Fail("MMTimerInit()", r == TIMERR_NOCANDO
                                  ? "Unable to set MM timer resolution: NOCANDO!"
                                  : "Unable to set MM timer resolution: unknown error!");
        return 0;
    }
    gState.timerEvent = CreateEvent(true, false);
    if (!gState.timerEvent) {
        Fail("MMTimerInit()", "Unable to create event for MM timer!");
        return 0;
    }
    return 1;
}

int MMTimerStart(uint16_t delay) {
    gState.timer = timeSetEvent(delay, 100, TimerCallback, 0, TIME_ONESHOT);
    if (gState.timer == 0) {
        Fail("MMTimerStart()", "Unable to set MM timer event!");
        return 0;
    }
    return 1;
}

uint32_t GetTrackLength(uint32_t track) {
    MCIERROR e = SetTimeFormat(MCI_FORMAT_MILLISECONDS);
    if (e) {
        FailMci("GetTrackLength()", e);
        return 0;
    }
    MciStatusParms status{};
    status.item = MCI_STATUS_LENGTH;
    status.track = track;
    e = mciSendCommand(gState.device, MCI_STATUS, MCI_WAIT | MCI_STATUS_ITEM | MCI_TRACK, &status);
    if (e) {
        // The device goes back to tracks even when the length was refused.
        SetTimeFormat(MCI_FORMAT_TMSF);
        FailMci("GetTrackLength()", e);
        return 0;
    }
    e = SetTimeFormat(MCI_FORMAT_TMSF);
    if (e) {
        FailMci("GetTrackLength()", e);
        return 0;
    }
    return uint32_t(status.returnValue);
}

} // namespace discal

using namespace discal;

extern "C" int32_t CDAudioInit(platform::Window*, ErrorInfo* record) {
    gState = State{};
    gState.record = record;
    gState.stopped = 1;

    MciOpenParms open{};
    open.deviceTypeId = MCI_DEVTYPE_CD_AUDIO;
    MCIERROR e = mciSendCommand(0, MCI_OPEN, MCI_WAIT | MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID, &open);
    if (e) {
        FailMci("CDAudioInit()", e);
        return 0;
    }
    gState.device = open.deviceId;
    if ((e = SetTimeFormat(MCI_FORMAT_TMSF)) != 0) {
        FailMci("CDAudioInit()", e);
        return 0;
    }
    // A missing volume control is no reason to stop the game, nor an error
    // for it to find pending at shut-down: the reason goes to the debug
    // output and the record is left as it was.
    ErrorInfo before = record ? *record : ErrorInfo{};
    if (!MixerInit()) {
        OutputDebugString("CDAudioInit: Could not get the CD audio volume control\n");
        if (record) {
            DebugPrintf("%s\n", record->message);
            *record = before;
        }
    }
    if (!MMTimerInit())
        return 0;
    if (!CDAudioStop() && record)
        *record = before;
    return 1;
}

extern "C" int32_t CDAudioCleanup() {
    if (gState.device) {
        MCIERROR e = mciSendCommand(gState.device, MCI_CLOSE, MCI_WAIT, nullptr);
        if (e) {
            FailMci("CDAudioCleanup()", e);
            return 0;
        }
        gState.device = 0;
    }
    if (gState.timer) {
        timeKillEvent(gState.timer);
        gState.timer = 0;
    }
    if (gState.mixer) {
        MMRESULT r = mixerClose(gState.mixer);
        if (r != MMSYSERR_NOERROR) {
            Fail("MixerCleanup()", r == MMSYSERR_INVALHANDLE
                                       ? "Couldn't close mixer: MMSYSERR_INVALHANDLE!"
                                       : "Couldn't close mixer: unspecified error!");
            return 0;
        }
        gState.mixer = nullptr;
        gState.volumeControl = 0;
    }
    if (gState.timerPeriod) {
        timeEndPeriod(gState.timerPeriod);
        gState.timerPeriod = 0;
    }
    if (gState.timerEvent) {
        CloseEvent(gState.timerEvent);
        gState.timerEvent = nullptr;
    }
    return 1;
}

extern "C" int32_t CDAudioPlay(uint16_t track) {
    uint8_t number = uint8_t(track & 0xFF);
    uint32_t length = GetTrackLength(number);
    if (length == 0)
        return 0;
    gState.trackLength = length;
    gState.partsLeft = uint16_t(length / 65535 + 1);
    gState.partLength = uint16_t(length / gState.partsLeft);

    // A timer still pending from an earlier start would cut this one short.
    if (gState.timer) {
        timeKillEvent(gState.timer);
        gState.timer = 0;
    }
    ResetEvent(gState.timerEvent);

    MciPlayParms play{};
    play.from = MCI_MAKE_TMSF(number, 0, 0, 0);
    MCIERROR e = mciSendCommand(gState.device, MCI_PLAY, MCI_FROM, &play);
    if (e) {
        FailMci("CDAudioPlay()", e);
        return 0;
    }
    gState.stopped = 0;
    gState.currentTrack = track;
    if (!MMTimerStart(gState.partLength))
        return 0;
    --gState.partsLeft;
    return 1;
}

extern "C" int32_t CDAudioStop() {
    if (gState.timer) {
        timeKillEvent(gState.timer);
        gState.timer = 0;
    }
    // An expiry already signalled would otherwise start the track again at
    // the next refresh, with nothing left to stop it.
    if (gState.timerEvent)
        ResetEvent(gState.timerEvent);
    MCIERROR e = mciSendCommand(gState.device, MCI_STOP, MCI_WAIT, nullptr);
    if (e) {
        FailMci("CDAudioStop()", e);
        return 0;
    }
    gState.stopped = 1;
    return 1;
}

extern "C" int32_t CDAudioRefresh() {
    if (!gState.timerEvent || WaitForSingleObject(gState.timerEvent, 0) != WAIT_OBJECT_0)
        return 1;
    ResetEvent(gState.timerEvent);
    gState.timer = 0;
    if (gState.partsLeft != 0) {
        if (!MMTimerStart(gState.partLength))
            return 0;
        --gState.partsLeft;
        return 1;
    }
    return CDAudioPlay(uint16_t(gState.currentTrack)) == 1 ? 1 : 0;
}

extern "C" int32_t CDAudioSetVolume(uint16_t volume) {
    uint32_t value = uint32_t(volume) * kVolumeScale;
    MixerControlDetails details{gState.volumeControl, 1, &value};
    MMRESULT r = mixerSetControlDetails(gState.mixer, &details, MIXER_SETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) {
        FailMixer("CDAudioSetVolume()",
                  "Couldn't set CD Volume: ", MixerReason(r, false, false, true));
        return 0;
    }
    return 1;
}

extern "C" uint16_t CDAudioGetVolume() {
    uint32_t value = 0;
    MixerControlDetails details{gState.volumeControl, 1, &value};
    MMRESULT r = mixerGetControlDetails(gState.mixer, &details, MIXER_GETCONTROLDETAILSF_VALUE);
    if (r != MMSYSERR_NOERROR) {
        FailMixer("CDAudioGetVolume()",
                  "Couldn't get CD Volume: ", MixerReason(r, false, false, true));
        return 0;
    }
    return uint16_t(std::abs(int32_t(value)) / kVolumeScale);
}

extern "C" int32_t CDAudioMixerAvailable() {
    return gState.volumeControl != 0 ? 1 : 0;
}
