// Bitmaps and device contexts: device-independent bitmaps and sections with
// colour tables, memory device contexts, copies between bitmaps and surfaces
// with conversion into the destination's format, BMP files, and text in a
// small built-in font.
#pragma once

#include "platform/Display.h"

#include <cstdint>

namespace platform {

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t DIB_RGB_COLORS = 0;
constexpr uint32_t SRCCOPY = 0x00CC0020;

constexpr uint32_t IMAGE_BITMAP = 0;
constexpr uint32_t LR_LOADFROMFILE = 0x10;
constexpr uint32_t LR_CREATEDIBSECTION = 0x2000;

constexpr int TRANSPARENT = 1;
constexpr int OPAQUE = 2;

struct BitmapInfoHeader {
    uint32_t size; // 40
    int32_t width;
    int32_t height; // negative: rows top-down
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter, yPelsPerMeter;
    uint32_t clrUsed, clrImportant;
};

struct RgbQuad {
    uint8_t blue, green, red, reserved;
};

// A header with room for a full colour table (or the three masks of
// BI_BITFIELDS in the first three entries).
struct BitmapInfo {
    BitmapInfoHeader header;
    RgbQuad colors[256];
};

// What GetObject reports of a bitmap.
struct BitmapDesc {
    int32_t type;
    int32_t width;
    int32_t height;
    int32_t widthBytes; // bytes per row, a multiple of 4
    uint16_t planes;
    uint16_t bitsPixel;
    void* bits; // the rows as stored: bottom row first unless top-down
};

constexpr uint32_t RGB(uint8_t r, uint8_t g, uint8_t b) {
    return uint32_t(r) | (uint32_t(g) << 8) | (uint32_t(b) << 16);
}

// null `like` is the screen. A new memory context holds a 1 x 1 bitmap.
DeviceContext* CreateCompatibleDC(DeviceContext* like);
bool DeleteDC(DeviceContext* dc);
// Selects a bitmap into a memory context; returns the one it held, or null
// when the bitmap cannot be selected (another context holds it).
Bitmap* SelectObject(DeviceContext* dc, Bitmap* bitmap);
bool DeleteObject(Bitmap* bitmap);

// A section of the header's size and depth (1, 4, 8, 16, 24 or 32 bits;
// BI_RGB, or BI_BITFIELDS at 16 and 32), zero-filled. Colour-table entries the
// header does not count are zero.
Bitmap* CreateDIBSection(DeviceContext* dc, const BitmapInfo* info, uint32_t usage, void** bits,
                         void* section, uint32_t offset);
// Converts `lines` rows of `bits`, described by `info`, into the bitmap from
// row `start` (counted from the bottom). Returns the rows copied, 0 on error.
int SetDIBits(DeviceContext* dc, Bitmap* bitmap, uint32_t start, uint32_t lines, const void* bits,
              const BitmapInfo* info, uint32_t usage);
// Bytes written to out (sizeof(BitmapDesc)), 0 on error.
int GetObject(Bitmap* bitmap, int size, BitmapDesc* out);

// Copies between contexts (surfaces or selected bitmaps), converting colours
// into the destination's format. The rectangles are clipped to both sides.
bool BitBlt(DeviceContext* dst, int x, int y, int width, int height, DeviceContext* src, int srcX,
            int srcY, uint32_t rop);
bool StretchBlt(DeviceContext* dst, int x, int y, int width, int height, DeviceContext* src,
                int srcX, int srcY, int srcWidth, int srcHeight, uint32_t rop);

// With LR_LOADFROMFILE: a BMP file (1, 4, 8, 16, 24 or 32 bits, bottom-up or
// top-down; anything else is refused). The program has no resources, so a
// load without it fails. Why a load failed goes to the debug log.
Bitmap* LoadImage(void* instance, const char* name, uint32_t type, int width, int height,
                  uint32_t flags);

// Text in the built-in font (6 x 8 cells); GDI's defaults: black on an opaque white
// background.
bool TextOut(DeviceContext* dc, int x, int y, const char* text, int length);
uint32_t SetTextColor(DeviceContext* dc, uint32_t colour);
uint32_t SetBkColor(DeviceContext* dc, uint32_t colour);
int SetBkMode(DeviceContext* dc, int mode);

} // namespace platform
