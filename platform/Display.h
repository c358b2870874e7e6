// The display object and its surfaces: software pixel buffers in the display
// mode's format (RGB565 at 16 bits, XRGB8888 at 32), a primary surface that
// is a flip chain, off-screen plain surfaces, blits, colour keys, device
// contexts and the gamma ramp. The sdl backend presents the visible buffer in
// its window; the headless backend keeps the same buffers and shows nothing.
#pragma once

#include "platform/Object.h"
#include "platform/Result.h"

#include <cstdint>

namespace platform {

class Window;
class DeviceContext;

// Cooperative levels.
constexpr uint32_t DDSCL_FULLSCREEN = 0x01;
constexpr uint32_t DDSCL_ALLOWREBOOT = 0x02;
constexpr uint32_t DDSCL_NORMAL = 0x08;
constexpr uint32_t DDSCL_EXCLUSIVE = 0x10;
constexpr uint32_t DDSCL_ALLOWMODEX = 0x40;

// Which fields of a SurfaceDesc are valid.
constexpr uint32_t DDSD_CAPS = 0x1;
constexpr uint32_t DDSD_HEIGHT = 0x2;
constexpr uint32_t DDSD_WIDTH = 0x4;
constexpr uint32_t DDSD_PITCH = 0x8;
constexpr uint32_t DDSD_BACKBUFFERCOUNT = 0x20;
constexpr uint32_t DDSD_LPSURFACE = 0x800;
constexpr uint32_t DDSD_PIXELFORMAT = 0x1000;
constexpr uint32_t DDSD_CKSRCBLT = 0x10000;

// Surface capabilities.
constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4;
constexpr uint32_t DDSCAPS_COMPLEX = 0x8;
constexpr uint32_t DDSCAPS_FLIP = 0x10;
constexpr uint32_t DDSCAPS_FRONTBUFFER = 0x20;
constexpr uint32_t DDSCAPS_OFFSCREENPLAIN = 0x40;
constexpr uint32_t DDSCAPS_PRIMARYSURFACE = 0x200;
constexpr uint32_t DDSCAPS_SYSTEMMEMORY = 0x800;
constexpr uint32_t DDSCAPS_VIDEOMEMORY = 0x4000;

constexpr uint32_t DDPF_RGB = 0x40;

// Blt flags.
constexpr uint32_t DDBLT_COLORFILL = 0x400;
constexpr uint32_t DDBLT_WAIT = 0x1000000;
constexpr uint32_t DDBLT_KEYSRC = 0x8000;
// BltFast flags.
constexpr uint32_t DDBLTFAST_NOCOLORKEY = 0x0;
constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1;
constexpr uint32_t DDBLTFAST_WAIT = 0x10;
// Flip flags.
constexpr uint32_t DDFLIP_WAIT = 0x1;
// Colour keys.
constexpr uint32_t DDCKEY_SRCBLT = 0x8;
// Lock flags.
constexpr uint32_t DDLOCK_WAIT = 0x1;
constexpr uint32_t DDLOCK_READONLY = 0x10;
constexpr uint32_t DDLOCK_WRITEONLY = 0x20;
// Gamma ramps.
constexpr uint32_t DDSGR_CALIBRATE = 0x1;

struct Rect {
    int32_t left, top, right, bottom;
};

struct ColorKey {
    uint32_t low, high; // both ends of the transparent range, as pixel values
};

struct PixelFormat {
    uint32_t size;
    uint32_t flags; // DDPF_RGB
    uint32_t fourCC;
    uint32_t rgbBitCount;
    uint32_t rBitMask, gBitMask, bBitMask, alphaBitMask;
};

struct SurfaceDesc {
    uint32_t size;
    uint32_t flags; // DDSD_*
    uint32_t height;
    uint32_t width;
    int32_t pitch;
    uint32_t backBufferCount;
    void* surface; // the pixels, while locked
    ColorKey srcColorKey;
    PixelFormat pixelFormat;
    uint32_t caps; // DDSCAPS_*
};

struct BltFx {
    uint32_t size;
    uint32_t fillColor; // a pixel value of the destination's format
};

struct GammaRamp {
    uint16_t red[256];
    uint16_t green[256];
    uint16_t blue[256];
};

class Surface;

// A device-independent bitmap (platform/Gdi.h); DeleteObject is its Release.
class Bitmap : public Object {};

// The gamma-control interface of the primary surface: the ramp every
// presented pixel goes through.
class GammaControl : public Object {
  public:
    virtual Result GetGammaRamp(uint32_t flags, GammaRamp* ramp) = 0;
    // DDSGR_CALIBRATE is accepted; there is no calibrator, so it sets the
    // ramp as given.
    virtual Result SetGammaRamp(uint32_t flags, const GammaRamp* ramp) = 0;
};

class Surface : public Object {
  public:
    // Fills width, height, pitch, pixel format, caps, back-buffer count and
    // colour key; desc->size must be sizeof(SurfaceDesc).
    virtual Result GetSurfaceDesc(SurfaceDesc* desc) = 0;
    // Copies srcRect (null: the whole source) of src to (x, y), unclipped: a
    // rectangle outside either surface fails with kInvalidParam. With
    // DDBLTFAST_SRCCOLORKEY the source's colour-key range is transparent.
    virtual Result BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect,
                           uint32_t flags) = 0;
    // DDBLT_COLORFILL fills destRect (null: all) with fx->fillColor; otherwise
    // stretches srcRect of src over destRect (nearest pixel), keyed with
    // DDBLT_KEYSRC.
    virtual Result Blt(const Rect* destRect, Surface* src, const Rect* srcRect, uint32_t flags,
                       const BltFx* fx) = 0;
    // Primary surfaces with back buffers only: the first back buffer becomes
    // visible and the chain rotates; the window then shows it.
    virtual Result Flip(Surface* target, uint32_t flags) = 0;
    // Gives a lost surface its memory back (contents cleared).
    virtual Result Restore() = 0;
    virtual Result IsLost() = 0;
    // DDSCAPS_BACKBUFFER on a primary gives its first back buffer,
    // DDSCAPS_FLIP on a back buffer the next one. Attached surfaces live and
    // die with their primary: their AddRef and Release do nothing.
    virtual Result GetAttachedSurface(uint32_t caps, Surface** out) = 0;
    virtual Result SetColorKey(uint32_t flags, const ColorKey* key) = 0;
    virtual Result GetColorKey(uint32_t flags, ColorKey* key) = 0;
    virtual Result Lock(const Rect* rect, SurfaceDesc* desc, uint32_t flags, void* event) = 0;
    virtual Result Unlock(const Rect* rect) = 0;
    // A device context drawing into the surface, in its format.
    virtual Result GetDC(DeviceContext** dc) = 0;
    virtual Result ReleaseDC(DeviceContext* dc) = 0;
    // The primary surface only.
    virtual Result GetGammaControl(GammaControl** out) = 0;
};

class Display : public Object {
  public:
    virtual Result SetCooperativeLevel(Window* window, uint32_t flags) = 0;
    // Any width and height at 16 or 32 bits; another depth fails with
    // kUnsupportedMode. The window shows the mode scaled, aspect kept.
    virtual Result SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitsPerPixel,
                                  uint32_t refreshRate, uint32_t flags) = 0;
    virtual Result RestoreDisplayMode() = 0;
    virtual Result GetDisplayMode(SurfaceDesc* desc) = 0;
    virtual Result CreateSurface(SurfaceDesc* desc, Surface** out, void* outer) = 0;
};

// Creates the display object of the current backend.
Result CreateDisplay(Display** out);

} // namespace platform
