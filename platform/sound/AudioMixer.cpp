// The mixer device's lines and controls. Values live for the process, as a
// sound card's settings do.
#include "platform/AudioMixer.h"
#include "platform/sound/MixSource.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <set>

namespace platform {

struct MixerDevice {
    int unused;
};

namespace {

constexpr uint32_t kSpeakersLine = 0xFFFF0000;
constexpr uint32_t kWaveLine = 0x00000000;
constexpr uint32_t kCdLine = 0x00000001;
constexpr uint32_t kCdVolumeControl = 0x00000011;

std::atomic<uint32_t> gCdVolume{65535};

std::mutex gHandlesLock;
std::set<MixerDevice*> gHandles;

bool Valid(HMIXER mixer) {
    std::lock_guard<std::mutex> guard(gHandlesLock);
    return mixer && gHandles.count(mixer);
}

struct LineDesc {
    uint32_t destination, source, lineId, componentType, connections, controls;
    const char* name;
};

constexpr LineDesc kLines[] = {
    {0, 0, kSpeakersLine, MIXERLINE_COMPONENTTYPE_DST_SPEAKERS, 2, 0, "Speakers"},
    {0, 0, kWaveLine, MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT, 0, 0, "Wave"},
    {0, 1, kCdLine, MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC, 0, 1, "CD Audio"},
};

} // namespace

uint32_t CdLineVolume() {
    return gCdVolume.load();
}

MMRESULT mixerOpen(HMIXER* out, uint32_t deviceId, uintptr_t, uintptr_t, uint32_t flags) {
    if (MMRESULT injected = InjectedMmResult("mixerOpen"))
        return injected;
    if (!out)
        return MMSYSERR_INVALPARAM;
    *out = nullptr;
    if (flags != MIXER_OBJECTF_MIXER)
        return MMSYSERR_INVALFLAG;
    if (deviceId != 0)
        return MMSYSERR_BADDEVICEID;
    auto* mixer = new MixerDevice{0};
    std::lock_guard<std::mutex> guard(gHandlesLock);
    gHandles.insert(mixer);
    *out = mixer;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerClose(HMIXER mixer) {
    if (MMRESULT injected = InjectedMmResult("mixerClose"))
        return injected;
    std::lock_guard<std::mutex> guard(gHandlesLock);
    if (!mixer || !gHandles.erase(mixer))
        return MMSYSERR_INVALHANDLE;
    delete mixer;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineInfo(HMIXER mixer, MixerLine* line, uint32_t flags) {
    if (MMRESULT injected = InjectedMmResult("mixerGetLineInfo"))
        return injected;
    if (!Valid(mixer))
        return MMSYSERR_INVALHANDLE;
    if (!line)
        return MMSYSERR_INVALPARAM;
    const LineDesc* found = nullptr;
    for (const LineDesc& d : kLines) {
        bool destination = d.lineId == kSpeakersLine;
        switch (flags) {
        case MIXER_GETLINEINFOF_DESTINATION:
            found = destination && d.destination == line->destination ? &d : found;
            break;
        case MIXER_GETLINEINFOF_SOURCE:
            found = !destination && d.destination == line->destination && d.source == line->source
                        ? &d
                        : found;
            break;
        case MIXER_GETLINEINFOF_LINEID:
            found = d.lineId == line->lineId ? &d : found;
            break;
        case MIXER_GETLINEINFOF_COMPONENTTYPE:
            found = !found && d.componentType == line->componentType ? &d : found;
            break;
        default:
            return MMSYSERR_INVALFLAG;
        }
    }
    if (!found)
        return MIXERR_INVALLINE;
    line->destination = found->destination;
    line->source = found->source;
    line->lineId = found->lineId;
    line->componentType = found->componentType;
    line->channels = 2;
    line->connections = found->connections;
    line->controls = found->controls;
    std::strncpy(line->name, found->name, sizeof(line->name) - 1);
    line->name[sizeof(line->name) - 1] = 0;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetLineControls(HMIXER mixer, MixerLineControls* controls, uint32_t flags) {
    if (MMRESULT injected = InjectedMmResult("mixerGetLineControls"))
        return injected;
    if (!Valid(mixer))
        return MMSYSERR_INVALHANDLE;
    if (!controls || !controls->control || controls->controls < 1)
        return MMSYSERR_INVALPARAM;
    bool match;
    if (flags == MIXER_GETLINECONTROLSF_ONEBYTYPE) {
        bool known = false;
        for (const LineDesc& d : kLines)
            known |= d.lineId == controls->lineId;
        if (!known)
            return MIXERR_INVALLINE;
        match =
            controls->lineId == kCdLine && controls->controlType == MIXERCONTROL_CONTROLTYPE_VOLUME;
    } else if (flags == MIXER_GETLINECONTROLSF_ONEBYID) {
        match = controls->controlId == kCdVolumeControl;
    } else {
        return MMSYSERR_INVALFLAG;
    }
    if (!match)
        return MIXERR_INVALCONTROL;
    MixerControl* c = controls->control;
    *c = MixerControl{};
    c->controlId = kCdVolumeControl;
    c->controlType = MIXERCONTROL_CONTROLTYPE_VOLUME;
    c->minimum = 0;
    c->maximum = 65535;
    c->steps = 65536;
    std::strcpy(c->name, "CD Volume");
    controls->lineId = kCdLine;
    return MMSYSERR_NOERROR;
}

MMRESULT mixerGetControlDetails(HMIXER mixer, MixerControlDetails* details, uint32_t flags) {
    if (MMRESULT injected = InjectedMmResult("mixerGetControlDetails"))
        return injected;
    if (!Valid(mixer))
        return MMSYSERR_INVALHANDLE;
    if (flags != MIXER_GETCONTROLDETAILSF_VALUE)
        return MMSYSERR_INVALFLAG;
    if (!details || !details->values || details->channels < 1 || details->channels > 2)
        return MMSYSERR_INVALPARAM;
    if (details->controlId != kCdVolumeControl)
        return MIXERR_INVALCONTROL;
    for (uint32_t i = 0; i < details->channels; ++i)
        details->values[i] = gCdVolume.load();
    return MMSYSERR_NOERROR;
}

MMRESULT mixerSetControlDetails(HMIXER mixer, const MixerControlDetails* details, uint32_t flags) {
    if (MMRESULT injected = InjectedMmResult("mixerSetControlDetails"))
        return injected;
    if (!Valid(mixer))
        return MMSYSERR_INVALHANDLE;
    if (flags != MIXER_SETCONTROLDETAILSF_VALUE)
        return MMSYSERR_INVALFLAG;
    if (!details || !details->values || details->channels < 1 || details->channels > 2)
        return MMSYSERR_INVALPARAM;
    if (details->controlId != kCdVolumeControl)
        return MIXERR_INVALCONTROL;
    // Both channels move together; with two the louder one counts.
    uint32_t value = details->values[0];
    if (details->channels == 2)
        value = std::max(value, details->values[1]);
    gCdVolume.store(std::min<uint32_t>(value, 65535));
    return MMSYSERR_NOERROR;
}

} // namespace platform
