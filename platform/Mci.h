// The media control commands for the CD audio device. The drive plays the
// ripped tracks of the game folder, data/cdaudio/trackNN.<ext> (NN the track
// number in two digits; names found without regard to case), through the
// sound output; a folder without tracks is a drive without a disc.
#pragma once

#include <cstdint>

namespace platform {

using MCIERROR = uint32_t;
using MCIDEVICEID = uint32_t;

// Commands.
constexpr uint32_t MCI_OPEN = 0x0803;
constexpr uint32_t MCI_CLOSE = 0x0804;
constexpr uint32_t MCI_PLAY = 0x0806;
constexpr uint32_t MCI_STOP = 0x0808;
constexpr uint32_t MCI_SET = 0x080D;
constexpr uint32_t MCI_STATUS = 0x0814;

// Flags. Every command completes before it returns; MCI_WAIT only says so.
constexpr uint32_t MCI_NOTIFY = 0x1;
constexpr uint32_t MCI_WAIT = 0x2;
constexpr uint32_t MCI_FROM = 0x4;
constexpr uint32_t MCI_TO = 0x8;
constexpr uint32_t MCI_TRACK = 0x10;
constexpr uint32_t MCI_OPEN_SHAREABLE = 0x100;
constexpr uint32_t MCI_OPEN_TYPE_ID = 0x1000;
constexpr uint32_t MCI_OPEN_TYPE = 0x2000;
constexpr uint32_t MCI_STATUS_ITEM = 0x100;
constexpr uint32_t MCI_SET_TIME_FORMAT = 0x400;

constexpr uint32_t MCI_DEVTYPE_CD_AUDIO = 516;

// Time formats. MSF and TMSF count 75 frames to the second.
constexpr uint32_t MCI_FORMAT_MILLISECONDS = 0;
constexpr uint32_t MCI_FORMAT_MSF = 2;
constexpr uint32_t MCI_FORMAT_TMSF = 10;

constexpr uint32_t MCI_MAKE_MSF(uint32_t m, uint32_t s, uint32_t f) {
    return (m & 0xFF) | (s & 0xFF) << 8 | (f & 0xFF) << 16;
}
constexpr uint32_t MCI_MAKE_TMSF(uint32_t t, uint32_t m, uint32_t s, uint32_t f) {
    return (t & 0xFF) | (m & 0xFF) << 8 | (s & 0xFF) << 16 | (f & 0xFF) << 24;
}
constexpr uint32_t MCI_MSF_MINUTE(uint32_t msf) {
    return msf & 0xFF;
}
constexpr uint32_t MCI_MSF_SECOND(uint32_t msf) {
    return (msf >> 8) & 0xFF;
}
constexpr uint32_t MCI_MSF_FRAME(uint32_t msf) {
    return (msf >> 16) & 0xFF;
}
constexpr uint32_t MCI_TMSF_TRACK(uint32_t tmsf) {
    return tmsf & 0xFF;
}
constexpr uint32_t MCI_TMSF_MINUTE(uint32_t tmsf) {
    return (tmsf >> 8) & 0xFF;
}
constexpr uint32_t MCI_TMSF_SECOND(uint32_t tmsf) {
    return (tmsf >> 16) & 0xFF;
}
constexpr uint32_t MCI_TMSF_FRAME(uint32_t tmsf) {
    return (tmsf >> 24) & 0xFF;
}

// Status items.
constexpr uint32_t MCI_STATUS_LENGTH = 0x1;
constexpr uint32_t MCI_STATUS_POSITION = 0x2;
constexpr uint32_t MCI_STATUS_NUMBER_OF_TRACKS = 0x3;
constexpr uint32_t MCI_STATUS_MODE = 0x4;
constexpr uint32_t MCI_STATUS_MEDIA_PRESENT = 0x5;
constexpr uint32_t MCI_STATUS_TIME_FORMAT = 0x6;
constexpr uint32_t MCI_STATUS_READY = 0x7;
constexpr uint32_t MCI_STATUS_CURRENT_TRACK = 0x8;

constexpr uint32_t MCI_MODE_NOT_READY = 524;
constexpr uint32_t MCI_MODE_STOP = 525;
constexpr uint32_t MCI_MODE_PLAY = 526;

// Errors.
constexpr MCIERROR MCIERR_INVALID_DEVICE_ID = 257;
constexpr MCIERROR MCIERR_UNRECOGNIZED_COMMAND = 261;
constexpr MCIERROR MCIERR_HARDWARE = 262;
constexpr MCIERROR MCIERR_INVALID_DEVICE_NAME = 263;
constexpr MCIERROR MCIERR_OUT_OF_MEMORY = 264;
constexpr MCIERROR MCIERR_DEVICE_OPEN = 265;
constexpr MCIERROR MCIERR_CANNOT_LOAD_DRIVER = 266;
constexpr MCIERROR MCIERR_MISSING_PARAMETER = 273;
constexpr MCIERROR MCIERR_UNSUPPORTED_FUNCTION = 274;
constexpr MCIERROR MCIERR_FILE_NOT_FOUND = 275;
constexpr MCIERROR MCIERR_DEVICE_NOT_READY = 276;
constexpr MCIERROR MCIERR_OUTOFRANGE = 282;
constexpr MCIERROR MCIERR_FLAGS_NOT_COMPATIBLE = 284;
constexpr MCIERROR MCIERR_BAD_TIME_FORMAT = 293;
constexpr MCIERROR MCIERR_INVALID_FILE = 296;
constexpr MCIERROR MCIERR_NULL_PARAMETER_BLOCK = 297;

struct MciGenericParms {
    uintptr_t callback;
};

struct MciOpenParms {
    uintptr_t callback;
    MCIDEVICEID deviceId;    // out
    const char* deviceType;  // with MCI_OPEN_TYPE: "cdaudio"
    uint32_t deviceTypeId;   // with MCI_OPEN_TYPE | MCI_OPEN_TYPE_ID
    const char* elementName; // not used by the CD device
};

struct MciSetParms {
    uintptr_t callback;
    uint32_t timeFormat;
};

struct MciStatusParms {
    uintptr_t callback;
    uintptr_t returnValue; // out
    uint32_t item;
    uint32_t track; // with MCI_TRACK
};

struct MciPlayParms {
    uintptr_t callback;
    uint32_t from; // in the device's time format
    uint32_t to;
};

// 0 on success, else an MCIERR_ code whose text mciGetErrorString gives.
MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uint32_t flags, void* parms);
// False for a code it does not know (the text is then left empty).
bool mciGetErrorString(MCIERROR error, char* text, uint32_t size);

} // namespace platform
