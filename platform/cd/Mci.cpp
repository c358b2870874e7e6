// The media control commands of the CD audio device over the drive.
#include "platform/Mci.h"
#include "platform/Faults.h"
#include "platform/cd/CdDrive.h"
#include "platform/cd/TrackDecoder.h"

#include <cstring>
#include <map>
#include <mutex>
#include <strings.h>

namespace platform {
namespace {

struct OpenDevice {
    uint32_t timeFormat = MCI_FORMAT_MSF;
    CdDrive* drive = nullptr;
};

std::mutex gLock;
std::map<MCIDEVICEID, OpenDevice> gOpen;
MCIDEVICEID gNextId = 1;

struct ErrorText {
    MCIERROR code;
    const char* text;
};

constexpr ErrorText kTexts[] = {
    {0, "The command was carried out."},
    {MCIERR_INVALID_DEVICE_ID, "The device id is not that of an open device."},
    {MCIERR_UNRECOGNIZED_COMMAND, "The device does not know this command."},
    {MCIERR_HARDWARE, "The device reports a hardware failure."},
    {MCIERR_INVALID_DEVICE_NAME, "No device of that name or type is installed."},
    {MCIERR_OUT_OF_MEMORY, "There is not enough memory for this command."},
    {MCIERR_DEVICE_OPEN, "The device is already open."},
    {MCIERR_CANNOT_LOAD_DRIVER, "The device's driver could not be loaded."},
    {MCIERR_MISSING_PARAMETER, "The command lacks a parameter it needs."},
    {MCIERR_UNSUPPORTED_FUNCTION, "The device does not support this command."},
    {MCIERR_FILE_NOT_FOUND, "The file of this track cannot be found."},
    {MCIERR_DEVICE_NOT_READY,
     "The device is not ready: there is no disc (no track files in data/cdaudio)."},
    {MCIERR_OUTOFRANGE, "A parameter is out of range for this command."},
    {MCIERR_FLAGS_NOT_COMPATIBLE, "The flags given cannot be used together."},
    {MCIERR_BAD_TIME_FORMAT, "The time format is not valid."},
    {MCIERR_INVALID_FILE,
     "The file of this track cannot be played: it may be damaged or in an unknown format."},
    {MCIERR_NULL_PARAMETER_BLOCK, "The command was given no parameter block."},
};

// An injected fault as an MCI code: a number is the code itself.
MCIERROR Injected(const char* operation) {
    Result r;
    if (!FaultHit(operation, &r))
        return 0;
    switch (r) {
    case kNotFound:
        return MCIERR_FILE_NOT_FOUND;
    case kOutOfMemory:
        return MCIERR_OUT_OF_MEMORY;
    case kAllocated:
        return MCIERR_DEVICE_OPEN;
    case kNoDriver:
        return MCIERR_CANNOT_LOAD_DRIVER;
    default:
        return r > 0 ? MCIERROR(r) : MCIERR_HARDWARE;
    }
}

constexpr uint64_t kFramesPerCdFrame = kCdRate / 75; // 588

uint32_t ToMsf(uint64_t frames) {
    uint64_t cdFrames = frames / kFramesPerCdFrame;
    return MCI_MAKE_MSF(uint32_t(cdFrames / 75 / 60), uint32_t(cdFrames / 75 % 60),
                        uint32_t(cdFrames % 75));
}

uint32_t ToMs(uint64_t frames) {
    return uint32_t(frames * 1000 / kCdRate);
}

uint64_t MsfFrames(uint32_t m, uint32_t s, uint32_t f) {
    return (uint64_t(m) * 60 * 75 + uint64_t(s) * 75 + f) * kFramesPerCdFrame;
}

// Where a disc-wide position falls: the track and the frame in it.
MCIERROR Locate(CdDrive* drive, uint64_t discFrame, uint32_t* track, uint64_t* frame) {
    for (uint32_t t = 1; t <= drive->Tracks(); ++t) {
        uint64_t length = 0;
        MCIERROR e = drive->TrackFrames(t, &length);
        if (e == MCIERR_FILE_NOT_FOUND)
            continue;
        if (e)
            return e;
        if (discFrame < length) {
            *track = t;
            *frame = discFrame;
            return 0;
        }
        discFrame -= length;
    }
    return MCIERR_OUTOFRANGE;
}

// Frames of the disc before a track starts.
MCIERROR DiscFrames(CdDrive* drive, uint32_t before, uint64_t* frames) {
    *frames = 0;
    for (uint32_t t = 1; t < before; ++t) {
        uint64_t length = 0;
        MCIERROR e = drive->TrackFrames(t, &length);
        if (e == MCIERR_FILE_NOT_FOUND)
            continue;
        if (e)
            return e;
        *frames += length;
    }
    return 0;
}

// A position in the device's time format as a track and a frame in it.
MCIERROR Position(CdDrive* drive, uint32_t format, uint32_t value, uint32_t* track,
                  uint64_t* frame) {
    switch (format) {
    case MCI_FORMAT_TMSF:
        *track = MCI_TMSF_TRACK(value);
        *frame = MsfFrames(MCI_TMSF_MINUTE(value), MCI_TMSF_SECOND(value), MCI_TMSF_FRAME(value));
        return 0;
    case MCI_FORMAT_MSF:
        return Locate(drive,
                      MsfFrames(MCI_MSF_MINUTE(value), MCI_MSF_SECOND(value), MCI_MSF_FRAME(value)),
                      track, frame);
    default:
        return Locate(drive, uint64_t(value) * kCdRate / 1000, track, frame);
    }
}

MCIERROR Open(uint32_t flags, MciOpenParms* p) {
    if (!p)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_OPEN_TYPE))
        return MCIERR_MISSING_PARAMETER;
    bool cd = (flags & MCI_OPEN_TYPE_ID)
                  ? p->deviceTypeId == MCI_DEVTYPE_CD_AUDIO
                  : p->deviceType && strcasecmp(p->deviceType, "cdaudio") == 0;
    if (!cd)
        return MCIERR_INVALID_DEVICE_NAME;
    if (MCIERROR e = Injected("mciOpen"))
        return e;
    OpenDevice device;
    device.drive = AcquireCdDrive();
    device.drive->Scan();
    std::lock_guard<std::mutex> guard(gLock);
    p->deviceId = gNextId++;
    gOpen[p->deviceId] = device;
    return 0;
}

MCIERROR Status(OpenDevice& d, uint32_t flags, MciStatusParms* p) {
    if (!p)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (!(flags & MCI_STATUS_ITEM))
        return MCIERR_MISSING_PARAMETER;
    if (MCIERROR e = Injected("mciStatus"))
        return e;
    CdDrive* drive = d.drive;
    switch (p->item) {
    case MCI_STATUS_TIME_FORMAT:
        p->returnValue = d.timeFormat;
        return 0;
    case MCI_STATUS_MEDIA_PRESENT:
    case MCI_STATUS_READY:
        drive->Scan();
        p->returnValue = drive->HasDisc() ? 1 : 0;
        return 0;
    case MCI_STATUS_MODE:
        p->returnValue = drive->Playing() ? MCI_MODE_PLAY
                                          : (drive->HasDisc() ? MCI_MODE_STOP : MCI_MODE_NOT_READY);
        return 0;
    default:
        break;
    }
    if (!drive->Playing())
        drive->Scan();
    if (!drive->HasDisc())
        return MCIERR_DEVICE_NOT_READY;
    switch (p->item) {
    case MCI_STATUS_NUMBER_OF_TRACKS:
        p->returnValue = drive->Tracks();
        return 0;
    case MCI_STATUS_CURRENT_TRACK: {
        uint32_t track;
        uint64_t frame;
        drive->Position(&track, &frame);
        p->returnValue = track;
        return 0;
    }
    case MCI_STATUS_LENGTH: {
        uint64_t frames = 0;
        if (flags & MCI_TRACK) {
            if (MCIERROR e = drive->TrackFrames(p->track, &frames))
                return e;
            p->returnValue = d.timeFormat == MCI_FORMAT_MILLISECONDS ? ToMs(frames) : ToMsf(frames);
            return 0;
        }
        if (MCIERROR e = DiscFrames(drive, drive->Tracks() + 1, &frames))
            return e;
        p->returnValue = d.timeFormat == MCI_FORMAT_MILLISECONDS ? ToMs(frames) : ToMsf(frames);
        return 0;
    }
    case MCI_STATUS_POSITION: {
        uint32_t track;
        uint64_t frame, before = 0;
        if (flags & MCI_TRACK) {
            track = p->track;
            frame = 0;
        } else {
            drive->Position(&track, &frame);
        }
        if (d.timeFormat == MCI_FORMAT_TMSF) {
            uint32_t msf = ToMsf(frame);
            p->returnValue =
                MCI_MAKE_TMSF(track, MCI_MSF_MINUTE(msf), MCI_MSF_SECOND(msf), MCI_MSF_FRAME(msf));
            return 0;
        }
        if (MCIERROR e = DiscFrames(drive, track, &before))
            return e;
        p->returnValue =
            d.timeFormat == MCI_FORMAT_MILLISECONDS ? ToMs(before + frame) : ToMsf(before + frame);
        return 0;
    }
    default:
        return MCIERR_OUTOFRANGE;
    }
}

MCIERROR Play(OpenDevice& d, uint32_t flags, MciPlayParms* p) {
    if ((flags & (MCI_FROM | MCI_TO)) && !p)
        return MCIERR_NULL_PARAMETER_BLOCK;
    if (MCIERROR e = Injected("mciPlay"))
        return e;
    CdDrive* drive = d.drive;
    drive->Scan();
    if (!drive->HasDisc())
        return MCIERR_DEVICE_NOT_READY;
    uint32_t track = 1, endTrack = 0;
    uint64_t frame = 0, endFrame = 0;
    if (flags & MCI_FROM) {
        if (MCIERROR e = Position(drive, d.timeFormat, p->from, &track, &frame))
            return e;
    } else {
        drive->Position(&track, &frame);
    }
    if (flags & MCI_TO) {
        if (MCIERROR e = Position(drive, d.timeFormat, p->to, &endTrack, &endFrame))
            return e;
        if (endTrack < track || (endTrack == track && endFrame < frame))
            return MCIERR_OUTOFRANGE;
    }
    return drive->Play(track, frame, endTrack, endFrame);
}

} // namespace

MCIERROR mciSendCommand(MCIDEVICEID device, uint32_t message, uint32_t flags, void* parms) {
    if (message == MCI_OPEN)
        return Open(flags, static_cast<MciOpenParms*>(parms));
    OpenDevice d;
    {
        std::lock_guard<std::mutex> guard(gLock);
        auto it = gOpen.find(device);
        if (it == gOpen.end())
            return MCIERR_INVALID_DEVICE_ID;
        d = it->second;
    }
    switch (message) {
    case MCI_CLOSE: {
        if (MCIERROR e = Injected("mciClose"))
            return e;
        {
            std::lock_guard<std::mutex> guard(gLock);
            gOpen.erase(device);
        }
        ReleaseCdDrive();
        return 0;
    }
    case MCI_SET: {
        auto* p = static_cast<MciSetParms*>(parms);
        if (!p)
            return MCIERR_NULL_PARAMETER_BLOCK;
        if (MCIERROR e = Injected("mciSet"))
            return e;
        if (!(flags & MCI_SET_TIME_FORMAT))
            return MCIERR_MISSING_PARAMETER;
        if (p->timeFormat != MCI_FORMAT_MILLISECONDS && p->timeFormat != MCI_FORMAT_MSF &&
            p->timeFormat != MCI_FORMAT_TMSF)
            return MCIERR_BAD_TIME_FORMAT;
        std::lock_guard<std::mutex> guard(gLock);
        auto it = gOpen.find(device);
        if (it != gOpen.end())
            it->second.timeFormat = p->timeFormat;
        return 0;
    }
    case MCI_STATUS:
        return Status(d, flags, static_cast<MciStatusParms*>(parms));
    case MCI_PLAY:
        return Play(d, flags, static_cast<MciPlayParms*>(parms));
    case MCI_STOP:
        if (MCIERROR e = Injected("mciStop"))
            return e;
        d.drive->Stop();
        return 0;
    default:
        return MCIERR_UNRECOGNIZED_COMMAND;
    }
}

bool mciGetErrorString(MCIERROR error, char* text, uint32_t size) {
    if (!text || size == 0)
        return false;
    for (const ErrorText& e : kTexts) {
        if (e.code == error) {
            std::strncpy(text, e.text, size - 1);
            text[size - 1] = 0;
            return true;
        }
    }
    text[0] = 0;
    return false;
}

} // namespace platform
