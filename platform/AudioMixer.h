// The audio mixer device: one destination (the speakers) fed by the wave
// output and the compact-disc line. The compact-disc line's volume control
// (0 to 65535) scales CD playback in the software mixer.
#pragma once

#include "platform/MmSystem.h"

#include <cstdint>

namespace platform {

constexpr MMRESULT MIXERR_INVALLINE = 1024;
constexpr MMRESULT MIXERR_INVALCONTROL = 1025;
constexpr MMRESULT MIXERR_INVALVALUE = 1026;

struct MixerDevice;
using HMIXER = MixerDevice*;

constexpr uint32_t MIXER_OBJECTF_MIXER = 0x0;

constexpr uint32_t MIXERLINE_COMPONENTTYPE_DST_SPEAKERS = 0x4;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_COMPACTDISC = 0x1005;
constexpr uint32_t MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT = 0x1008;
constexpr uint32_t MIXERCONTROL_CONTROLTYPE_VOLUME = 0x50030001;

constexpr uint32_t MIXER_GETLINEINFOF_DESTINATION = 0x0;
constexpr uint32_t MIXER_GETLINEINFOF_SOURCE = 0x1;
constexpr uint32_t MIXER_GETLINEINFOF_LINEID = 0x2;
constexpr uint32_t MIXER_GETLINEINFOF_COMPONENTTYPE = 0x3;
constexpr uint32_t MIXER_GETLINECONTROLSF_ONEBYID = 0x1;
constexpr uint32_t MIXER_GETLINECONTROLSF_ONEBYTYPE = 0x2;
constexpr uint32_t MIXER_GETCONTROLDETAILSF_VALUE = 0x0;
constexpr uint32_t MIXER_SETCONTROLDETAILSF_VALUE = 0x0;

struct MixerLine {
    uint32_t destination;   // in: for MIXER_GETLINEINFOF_DESTINATION/SOURCE
    uint32_t source;        // in: for MIXER_GETLINEINFOF_SOURCE
    uint32_t lineId;        // in: for MIXER_GETLINEINFOF_LINEID
    uint32_t componentType; // in: for MIXER_GETLINEINFOF_COMPONENTTYPE
    uint32_t channels;
    uint32_t connections;
    uint32_t controls;
    char name[64];
};

struct MixerControl {
    uint32_t controlId;
    uint32_t controlType;
    int32_t minimum;
    int32_t maximum;
    uint32_t steps;
    char name[64];
};

struct MixerLineControls {
    uint32_t lineId;      // in: the line
    uint32_t controlType; // in: for MIXER_GETLINECONTROLSF_ONEBYTYPE
    uint32_t controlId;   // in: for MIXER_GETLINECONTROLSF_ONEBYID
    uint32_t controls;    // in: how many records `control` has room for
    MixerControl* control;
};

struct MixerControlDetails {
    uint32_t controlId;
    uint32_t channels; // 1 sets or reads every channel as one
    uint32_t* values;  // one unsigned value per channel
};

// Only mixer device 0 exists; it may be open more than once.
MMRESULT mixerOpen(HMIXER* out, uint32_t deviceId, uintptr_t callback, uintptr_t instance,
                   uint32_t flags);
MMRESULT mixerClose(HMIXER mixer);
MMRESULT mixerGetLineInfo(HMIXER mixer, MixerLine* line, uint32_t flags);
MMRESULT mixerGetLineControls(HMIXER mixer, MixerLineControls* controls, uint32_t flags);
// Values outside the control's range are brought into it.
MMRESULT mixerGetControlDetails(HMIXER mixer, MixerControlDetails* details, uint32_t flags);
MMRESULT mixerSetControlDetails(HMIXER mixer, const MixerControlDetails* details, uint32_t flags);

} // namespace platform
