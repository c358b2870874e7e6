// Movies of cutscene pages: the movie decodes into an off-screen surface that
// is copied to a primary surface of its own, at its size, doubled or centred.
// A skip key fades picture and sound out over 60 frames.
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Movie.h"

#include <cstring>
#include <new>

using namespace platform;

namespace {

constexpr char kUnit[] = "CutsceneEngine";
constexpr uint32_t kFadeFrames = 60;

void Fail(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, kUnit, location, message);
}

template <typename T> void Drop(T*& object) {
    if (object) {
        object->Release();
        object = nullptr;
    }
}

// Everything one playback holds, released in the reverse order of making.
struct Playback {
    MediaStream* video = nullptr;
    DirectDrawMediaStream* frames = nullptr;
    Surface* primary = nullptr;
    Surface* offscreen = nullptr;
    DirectDrawStreamSample* sample = nullptr;
    GammaControl* gamma = nullptr;
    GammaRamp base{};
    GammaRamp restore{};
    GammaRamp* fade = nullptr; // kFadeFrames ramps
    bool faded = false;        // a fade ramp was set
    FilterGraph* graph = nullptr;
    BasicAudio* audio = nullptr;

    ~Playback() {
        // The screen must not stay dark behind a failure.
        if (faded && gamma)
            gamma->SetGammaRamp(0, &restore);
        Drop(audio);
        Drop(graph);
        delete[] fade;
        Drop(gamma);
        Drop(sample);
        Drop(offscreen);
        Drop(primary);
        Drop(frames);
        Drop(video);
    }
};

// The effects volume (0 to 100) in hundredths of a decibel.
int32_t MovieVolume() {
    uint32_t v = gMenuControl.effectsVolume & 0xFFFF;
    if (v == 0)
        return -10000; // silence
    if (v >= 100)
        return 0;
    return int32_t(30 * v) - 3000;
}

bool KeyDown(uint32_t scanCode) {
    return scanCode < sizeof(gInputState.keysNow) && (gInputState.keysNow[scanCode] & 0x80);
}

} // namespace

Result RenderFileToMMStream(const char* fileName, MultiMediaStream** streamOut,
                            Display* directDraw) {
    static const char kLocation[] = "RenderFileToMMStream()";
    *streamOut = nullptr;
    MultiMediaStream* stream = nullptr;
    if (CreateMultiMediaStream(&stream) != kOk) {
        Fail(kLocation, "Unable to create a CLSID_MultiMediaStream object.\n Check you have run "
                        "regsvr32 amstream.dll");
        return kFail;
    }
    const char* failure = nullptr;
    if (stream->Initialize(STREAMTYPE_READ, 0, nullptr) != kOk)
        failure = "Unable to initialize stream!";
    else if (stream->AddMediaStream(directDraw, MSPID_PrimaryVideo, 0) != kOk)
        failure = "Unable to add primary video stream!";
    else if (stream->AddMediaStream(nullptr, MSPID_PrimaryAudio, AMMSF_ADDDEFAULTRENDERER) != kOk)
        failure = "Unable to add primary audio stream!";
    else if (stream->OpenFile(fileName, 0) != kOk)
        failure = "File format not supported!";
    if (failure) {
        stream->Release();
        Fail(kLocation, failure);
        return kFail;
    }
    *streamOut = stream;
    return kOk;
}

Result RenderStreamToSurface(MultiMediaStream* stream, uint32_t flags, uint32_t skipKey1,
                             uint32_t skipKey2, Display* directDraw) {
    static const char kLocation[] = "RenderStreamToSurface()";
    Playback p;

    if (stream->GetMediaStream(MSPID_PrimaryVideo, &p.video) != kOk) {
        Fail(kLocation, "Unable to get primary video stream!");
        return kFail;
    }
    if (p.video->QueryDirectDrawMediaStream(&p.frames) != kOk) {
        Fail(kLocation, "Unable to acquire IDirectDrawMediaStream interface!");
        return kFail;
    }
    SurfaceDesc movie{};
    movie.size = sizeof(movie);
    if (p.frames->GetFormat(&movie) != kOk) {
        Fail(kLocation, "Unable to acquire movie format!");
        return kFail;
    }
    const Rect source{0, 0, int32_t(movie.width), int32_t(movie.height)};

    // The movie draws on a primary surface of its own, without back buffers.
    Drop(gDisplay.primary);
    gDisplay.back = nullptr;
    SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = DDSD_CAPS;
    desc.caps = DDSCAPS_PRIMARYSURFACE;
    if (directDraw->CreateSurface(&desc, &p.primary, nullptr) != kOk) {
        p.primary = nullptr;
        Fail(kLocation, "Unable to create primary surface!");
        return kFail;
    }
    SurfaceDesc screen{};
    screen.size = sizeof(screen);
    if (p.primary->GetSurfaceDesc(&screen) != kOk) {
        Fail(kLocation, "Unable to acquire primary surface pixel format!");
        return kFail;
    }
    desc = SurfaceDesc{};
    desc.size = sizeof(desc);
    desc.flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
    desc.caps = DDSCAPS_OFFSCREENPLAIN;
    desc.width = screen.width;
    desc.height = screen.height;
    desc.pixelFormat = screen.pixelFormat;
    if (directDraw->CreateSurface(&desc, &p.offscreen, nullptr) != kOk) {
        p.offscreen = nullptr;
        Fail(kLocation, "Unable to create off-screen surface!");
        return kFail;
    }

    // Unsigned halving as the placement always had: a picture larger than
    // the screen lands off it, and the blit then draws nothing.
    const uint32_t W = screen.width, H = screen.height, w = movie.width, h = movie.height;
    Rect dest{0, 0, int32_t(w), int32_t(h)};
    if ((flags & kCutsceneDouble) && (flags & kCutsceneCentre)) {
        uint32_t left = (W - 2 * w) >> 1, top = (H - 2 * h) >> 1;
        dest = {int32_t(left), int32_t(top), int32_t(left + 2 * w), int32_t(top + 2 * h)};
    } else if (flags & kCutsceneDouble) {
        dest = {0, 0, int32_t(2 * w), int32_t(2 * h)};
    } else if (flags & kCutsceneCentre) {
        uint32_t left = (W - w) >> 1, top = (H - h) >> 1;
        dest = {int32_t(left), int32_t(top), int32_t(left + w), int32_t(top + h)};
    }

    if (p.frames->CreateSample(p.offscreen, &source, 0, &p.sample) != kOk) {
        p.sample = nullptr;
        Fail(kLocation, "Unable to create media stream sample!");
        return kFail;
    }
    if (p.primary->GetGammaControl(&p.gamma) != kOk) {
        p.gamma = nullptr;
        Fail(kLocation, "Unable to acquire DirectDraw GammaControl interface!");
        return kFail;
    }
    if (p.gamma->GetGammaRamp(0, &p.base) != kOk || p.gamma->GetGammaRamp(0, &p.restore) != kOk) {
        Fail(kLocation, "Unable to acquire Gamma Settings!");
        return kFail;
    }

    // All the fade's ramps are made now; a faded frame only picks the next.
    uint16_t stepRed[256], stepGreen[256], stepBlue[256];
    for (int e = 0; e < 256; ++e) {
        stepRed[e] = uint16_t(p.restore.red[e] / kFadeFrames);
        stepGreen[e] = uint16_t(p.restore.green[e] / kFadeFrames);
        stepBlue[e] = uint16_t(p.restore.blue[e] / kFadeFrames);
    }
    if (!FaultHit("HeapAlloc"))
        p.fade = new (std::nothrow) GammaRamp[kFadeFrames];
    if (!p.fade) {
        Fail(kLocation, "Unable to allocate memory for gamma ramp!");
        return kFail;
    }
    for (uint32_t i = 0; i < kFadeFrames; ++i)
        for (int e = 0; e < 256; ++e) {
            p.fade[i].red[e] = uint16_t(p.base.red[e] - stepRed[e] * i);
            p.fade[i].green[e] = uint16_t(p.base.green[e] - stepGreen[e] * i);
            p.fade[i].blue[e] = uint16_t(p.base.blue[e] - stepBlue[e] * i);
        }

    if (stream->GetFilterGraph(&p.graph) != kOk) {
        p.graph = nullptr;
        Fail(kLocation, "Unable to acquire Filter Graph!");
        return kFail;
    }
    int32_t volume = 0, volumeStep = 0;
    if (p.graph) {
        if (p.graph->QueryBasicAudio(&p.audio) != kOk) {
            p.audio = nullptr;
            Fail(kLocation, "Unable to acquire Basic Audio Interface!");
            return kFail;
        }
    }
    if (p.audio) {
        p.audio->put_Volume(MovieVolume());
        if (p.audio->get_Volume(&volume) != kOk) {
            Fail(kLocation, "Unable to get volume!");
            return kFail;
        }
        volumeStep = volume + 6000 > 0 ? (volume + 6000) / int32_t(kFadeFrames) : 0;
    }

    bool fading = false;
    uint32_t fadeFrame = 0;
    do {
        stream->Seek(0);
        stream->SetState(STREAMSTATE_RUN);
        bool done = false;
        bool shown = false;
        while (!done) {
            Result update = p.sample->Update(0);
            if (update != kOk) {
                done = true;
                // A movie that cannot be decoded, or shows nothing at all,
                // would otherwise loop without end.
                if (fading || update != kEndOfStream || !shown)
                    flags &= ~kCutsceneLoop;
            } else {
                shown = true;
                if (flags & kCutsceneDouble)
                    p.primary->Blt(&dest, p.offscreen, &source, DDBLT_WAIT, nullptr);
                else
                    p.primary->BltFast(dest.left, dest.top, p.offscreen, &source, DDBLTFAST_WAIT);
                if (fading) {
                    p.gamma->SetGammaRamp(0, &p.fade[fadeFrame]);
                    p.faded = true;
                    if (p.audio && volumeStep != 0) {
                        volume -= volumeStep;
                        p.audio->put_Volume(volume);
                    }
                    if (++fadeFrame == kFadeFrames) {
                        done = true;
                        flags &= ~kCutsceneLoop;
                    }
                }
            }
            InputReadDevices(kUnit);
            if ((KeyDown(skipKey1) || KeyDown(skipKey2)) && !fading) {
                fading = true;
                fadeFrame = 0;
            }
        }
    } while (flags & kCutsceneLoop);

    // A key still down from the skip must not count as a new press.
    std::memset(gInputState.keysBefore, 0x80, sizeof(gInputState.keysBefore));

    if (stream->SetState(STREAMSTATE_STOP) != kOk) {
        Fail(kLocation, "Unable to stop stream!");
        return kFail;
    }
    BltFx fx{sizeof(BltFx), 0};
    p.primary->Blt(nullptr, nullptr, nullptr, DDBLT_COLORFILL | DDBLT_WAIT, &fx);
    p.gamma->SetGammaRamp(0, &p.restore);
    p.gamma->SetGammaRamp(DDSGR_CALIBRATE, &p.restore);
    p.faded = false;
    return kOk;
}

int CutsceneEngine(const char* fileName, uint32_t flags, uint32_t width, uint32_t height,
                   uint32_t colourDepth, uint32_t skipKey1, uint32_t skipKey2) {
    static const char kLocation[] = "CutsceneEngine()";
    File* file = FileOpenRead(fileName);
    if (!file) {
        FillError2(&gErrorInfo, kErrorFatal, kUnit, kLocation, "Unable to open ", fileName);
        return 0;
    }
    FileClose(file);

    Display* directDraw = nullptr;
    if (!gDisplay.display || QueryDirectDraw(gDisplay.display, &directDraw) != kOk) {
        Fail(kLocation, "Unable to get IDirectDraw interface!");
        return 0;
    }
    if (directDraw->SetCooperativeLevel(gMainWindow, DDSCL_FULLSCREEN | DDSCL_EXCLUSIVE |
                                                         DDSCL_ALLOWREBOOT | DDSCL_ALLOWMODEX) !=
        kOk) {
        directDraw->Release();
        Fail(kLocation, "Unable to set cooperative level!");
        return 0;
    }
    if (directDraw->SetDisplayMode(width, height, colourDepth, 0, 0) != kOk) {
        directDraw->Release();
        Fail(kLocation, "Unable to set display mode!");
        return 0;
    }
    MultiMediaStream* stream = nullptr;
    if (RenderFileToMMStream(fileName, &stream, directDraw) != kOk) {
        directDraw->Release();
        return 0;
    }
    Result played = RenderStreamToSurface(stream, flags, skipKey1, skipKey2, directDraw);
    stream->Release();
    directDraw->Release();
    return played == kOk ? 1 : 0;
}
