// Display surfaces and bitmap utilities: the flip chain, bitmap copies onto
// surfaces, screenshots and the shell.
#include "common/ByteIO.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/SheetFiles.h"
#include "engine/VraskUtils.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Gdi.h"
#include "platform/Shell.h"
#include "platform/UserFiles.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void UtilsError(uint16_t code, const char* location, const char* message) {
    FillError(&gErrorInfo, code, "VraskUtils", location, message);
}

uint32_t gScreenshotCount;

void ReleaseChain() {
    if (gDisplay.primary)
        gDisplay.primary->Release(); // the back buffers go with it
    gDisplay.primary = nullptr;
    gDisplay.back = nullptr;
}

} // namespace

int GetDXSurfaces(int32_t width, int32_t height, int32_t bitsPerPixel) {
    const char* kLocation = "GetDXSurfaces()";
    if (!gDisplay.display) {
        UtilsError(kErrorFatal, kLocation, "Unable to obtain surfaces: No DirectDraw object!");
        return 0;
    }
    if (gDisplay.primary) {
        platform::SurfaceDesc desc{};
        desc.size = sizeof(desc);
        if (gDisplay.primary->GetSurfaceDesc(&desc) != platform::kOk) {
            UtilsError(kErrorWarning, kLocation, "Unable to get surface description!");
            return 0;
        }
        if (int64_t(desc.width) == width && int64_t(desc.height) == height &&
            int64_t(desc.pixelFormat.rgbBitCount) == bitsPerPixel)
            return 1;
        ReleaseChain();
    }
    if (gDisplay.display->SetDisplayMode(uint32_t(width), uint32_t(height), uint32_t(bitsPerPixel),
                                         0, 0) != platform::kOk) {
        UtilsError(kErrorFatal, kLocation, "Unable to set display mode!");
        return 0;
    }
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_BACKBUFFERCOUNT;
    desc.caps =
        platform::DDSCAPS_PRIMARYSURFACE | platform::DDSCAPS_FLIP | platform::DDSCAPS_COMPLEX;
    desc.backBufferCount = 2;
    if (gDisplay.display->CreateSurface(&desc, &gDisplay.primary, nullptr) != platform::kOk) {
        gDisplay.primary = nullptr;
        UtilsError(kErrorFatal, kLocation, "Unable to create primary surface!");
        return 0;
    }
    if (gDisplay.primary->GetAttachedSurface(platform::DDSCAPS_BACKBUFFER, &gDisplay.back) !=
        platform::kOk) {
        // A chain without its back surface would pass the mode check next
        // time and leave the screens drawing through a null handle.
        ReleaseChain();
        UtilsError(kErrorFatal, kLocation, "Unable to create back surface!");
        return 0;
    }
    return 1;
}

int CopyBitmapToSurface(platform::Surface* surface, platform::Bitmap* bitmap, int32_t sourceX,
                        int32_t sourceY, int32_t sourceWidth, int32_t sourceHeight) {
    const char* kLocation = "CopyBitmapToSurface()";
    if (!surface || !bitmap) {
        UtilsError(kErrorFatal, kLocation, "Unable to copy: no surface or bitmap!");
        return 0;
    }
    surface->Restore();
    platform::DeviceContext* memory = platform::CreateCompatibleDC(nullptr);
    if (!memory) {
        UtilsError(kErrorFatal, kLocation, "CreatCompatibleDC failed!");
        return 0;
    }
    platform::Bitmap* previous = platform::SelectObject(memory, bitmap);
    platform::BitmapDesc bm{};
    platform::GetObject(bitmap, sizeof(bm), &bm);
    if (sourceWidth == 0)
        sourceWidth = bm.width;
    if (sourceHeight == 0)
        sourceHeight = bm.height;
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    surface->GetSurfaceDesc(&desc);
    platform::DeviceContext* target = nullptr;
    if (surface->GetDC(&target) != platform::kOk) {
        if (previous)
            platform::SelectObject(memory, previous);
        platform::DeleteDC(memory);
        UtilsError(kErrorFatal, kLocation, "Unable to obtain surface DC!");
        return 0;
    }
    platform::StretchBlt(target, 0, 0, int(desc.width), int(desc.height), memory, sourceX, sourceY,
                         sourceWidth, sourceHeight, platform::SRCCOPY);
    surface->ReleaseDC(target);
    if (previous)
        platform::SelectObject(memory, previous);
    platform::DeleteDC(memory);
    return 1;
}

int ReLoadBitmap(platform::Surface* surface, const char* fileName) {
    // No resources are built in, so the first attempt always falls through
    // to the file.
    platform::Bitmap* bitmap = platform::LoadImage(gInstance, fileName, platform::IMAGE_BITMAP, 0,
                                                   0, platform::LR_CREATEDIBSECTION);
    if (!bitmap)
        bitmap = platform::LoadImage(nullptr, fileName, platform::IMAGE_BITMAP, 0, 0,
                                     platform::LR_LOADFROMFILE | platform::LR_CREATEDIBSECTION);
    if (!bitmap) {
        FillError2(&gErrorInfo, kErrorFatal, "VraskUtils", "ReLoadBitmap()",
                   "Unable to load bitmap:", fileName);
        return 0;
    }
    int ok = CopyBitmapToSurface(surface, bitmap, 0, 0, 0, 0);
    platform::DeleteObject(bitmap);
    return ok;
}

int ReLoadSprite(Sprite* sprite) {
    static const SheetMessages kSay = {"VraskUtils",
                                       "ReLoadSprite()",
                                       "sprite sheet",
                                       "Unable to allocate sprite buffer memory!",
                                       nullptr,
                                       "Unable to allocate memory for bitmap info!",
                                       "Unable to create sprite DIBSection!"};
    SheetFile sheet;
    sprite->bitmap = LoadSheetBitmap(sprite->sheetFile, SheetKind::kSprite, kSay, nullptr, &sheet);
    if (!sprite->bitmap)
        return 0;
    if (!CopyBitmapToSurface(sprite->surface, sprite->bitmap, 0, 0, 0, 0))
        return 0; // the bitmap stays with the sprite until it is freed
    platform::DeleteObject(sprite->bitmap);
    sprite->bitmap = nullptr;
    return 1;
}

int TakeScreenshot() {
    const char* kLocation = "TakeScreenshot()";
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    if (!gDisplay.primary || gDisplay.primary->GetSurfaceDesc(&desc) != platform::kOk) {
        UtilsError(kErrorWarning, kLocation, "Unable to get surface description!");
        return 0;
    }
    platform::BitmapInfo info{};
    info.header.size = sizeof(platform::BitmapInfoHeader);
    info.header.width = int32_t(desc.width);
    info.header.height = int32_t(desc.height);
    info.header.planes = 1;
    info.header.bitCount = uint16_t(desc.pixelFormat.rgbBitCount);
    info.header.compression = platform::BI_RGB;

    platform::DeviceContext* memory = platform::CreateCompatibleDC(nullptr);
    if (!memory) {
        UtilsError(kErrorWarning, kLocation, "Unable to create memory DC!");
        return 0;
    }
    void* bits = nullptr;
    platform::Bitmap* section =
        platform::CreateDIBSection(memory, &info, platform::DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!section) {
        platform::DeleteDC(memory);
        UtilsError(kErrorWarning, kLocation, "Unable to create DIBSection!");
        return 0;
    }
    platform::Bitmap* previous = platform::SelectObject(memory, section);
    auto cleanUp = [&] {
        if (previous)
            platform::SelectObject(memory, previous);
        platform::DeleteObject(section);
        platform::DeleteDC(memory);
    };
    platform::DeviceContext* screen = nullptr;
    if (gDisplay.primary->GetDC(&screen) != platform::kOk) {
        cleanUp();
        UtilsError(kErrorWarning, kLocation, "Unable to get DC from surface!");
        return 0;
    }
    platform::BitBlt(memory, 0, 0, int(desc.width), int(desc.height), screen, 0, 0,
                     platform::SRCCOPY);
    gDisplay.primary->ReleaseDC(screen);

    char name[32];
    std::snprintf(name, sizeof(name), "Tolwick%03u.bmp", gScreenshotCount++);
    std::string path = platform::UserFileToWrite(name, platform::UserFolder::Data);
    platform::File* file = platform::FileCreate(path.c_str());
    if (!file) {
        cleanUp();
        UtilsError(kErrorWarning, kLocation, "Unable to create .bmp file!");
        return 0;
    }
    // Rows are written as the section holds them, padded to 4 bytes, so a
    // mode whose rows are not a multiple of 4 bytes still reads back right.
    platform::BitmapDesc bm{};
    platform::GetObject(section, sizeof(bm), &bm);
    uint32_t pixelBytes = uint32_t(bm.widthBytes) * desc.height;
    ByteWriter out;
    out.U16(0x4D42).U32(pixelBytes + 54).U16(0).U16(0).U32(54);
    out.U32(40).S32(info.header.width).S32(info.header.height).U16(1);
    out.U16(info.header.bitCount).U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    out.Bytes(bits, pixelBytes);
    platform::FileWrite(file, out.Data().data(), out.Size());
    platform::FileClose(file);
    platform::DebugPrintf("Screenshot saved as %s\n", path.c_str());
    cleanUp();
    return 1;
}

int OpenBrowser(const char* target) {
    if (!target)
        return 0;
    intptr_t result =
        platform::ShellExecute(nullptr, "open", target, nullptr, nullptr, platform::SW_SHOWNORMAL);
    if (result > 32)
        return 1;
    static const struct {
        intptr_t code;
        const char* message;
    } kMessages[] = {
        {platform::SE_ERR_FNF, "Unable to open browser: SE_ERR_FNF!"},
        {platform::SE_ERR_PNF, "Unable to open browser: SE_ERR_PNF!"},
        {platform::SE_ERR_ACCESSDENIED, "Unable to open browser: SE_ERR_ACCESSDENIED!"},
        {platform::SE_ERR_OOM, "Unable to open browser: SE_ERR_OOM!"},
        {platform::ERROR_BAD_FORMAT, "Unable to open browser: ERROR_BAD_FORMAT!"},
        {platform::SE_ERR_SHARE, "Unable to open browser: SE_ERR_SHARE!"},
        {platform::SE_ERR_ASSOCINCOMPLETE, "Unable to open browser: SE_ERR_ASSOCINCOMPLETE!"},
        {platform::SE_ERR_DDETIMEOUT, "Unable to open browser: SE_ERR_DDETIMEOUT!"},
        {platform::SE_ERR_DDEFAIL, "Unable to open browser: SE_ERR_DDEFAIL!"},
        {platform::SE_ERR_DDEBUSY, "Unable to open browser: SE_ERR_DDEBUSY!"},
        {platform::SE_ERR_NOASSOC, "Unable to open browser: SE_ERR_NOASSOC!"},
        {platform::SE_ERR_DLLNOTFOUND, "Unable to open browser: SE_ERR_DLLNOTFOUND!"},
    };
    const char* message = nullptr;
    for (const auto& entry : kMessages)
        if (entry.code == result)
            message = entry.message;
    if (message) {
        UtilsError(kErrorWarning, "OpenBrowser()", message);
    } else {
        // Other codes set no text: whatever message was there stays.
        gErrorInfo.code = kErrorWarning;
        CopyField(gErrorInfo.sourceFile, "VraskUtils");
        CopyField(gErrorInfo.location, "OpenBrowser()");
        CopyField(gErrorInfo.contact, VRASK_SUPPORT_CONTACT);
    }
    return 0;
}
