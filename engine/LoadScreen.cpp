// The loading screen: one sprite frame on black, shown while a page loads.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Gdi.h"

#include <cstdlib>

namespace {

void* gLoadScreenBlock;
Sprite* gLoadScreenSprite;

void FreeLoadScreenSprite(Sprite* sprite, void* block) {
    if (sprite->surface)
        sprite->surface->Release();
    sprite->surface = nullptr;
    if (sprite->bitmap)
        platform::DeleteObject(sprite->bitmap);
    sprite->bitmap = nullptr;
    std::free(sprite->frames.block);
    sprite->frames = {};
    std::free(block);
}

platform::Result BlitFrame(int32_t x, int32_t y, const platform::Rect& source) {
    platform::Result r;
    do {
        r = gDisplay.back->BltFast(x, y, gLoadScreenSprite->surface, &source,
                                   platform::DDBLTFAST_NOCOLORKEY);
    } while (r == platform::kWasStillDrawing);
    return r;
}

} // namespace

int LoadScreenInit() {
    gLoadScreenSprite = nullptr;
    void* block = nullptr;
    auto* sprite = static_cast<Sprite*>(AllocAligned(&block, sizeof(Sprite)));
    if (!sprite)
        return 0;
    CopyField(sprite->sheetFile, "qexags.012");
    if (LoadSprite(sprite, 0) != 1) {
        FreeLoadScreenSprite(sprite, block);
        return 0;
    }
    gLoadScreenBlock = block;
    gLoadScreenSprite = sprite;
    return 1;
}

int LoadScreen() {
    if (!GetDXSurfaces(640, 480, 16))
        return 0;
    platform::BltFx fx{};
    fx.size = sizeof(fx);
    fx.fillColor = 0;
    // Black into all three buffers of the chain.
    for (int i = 0; i < 3; ++i) {
        while (gDisplay.back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx) ==
               platform::kWasStillDrawing) {
        }
        gDisplay.primary->Flip(nullptr, platform::DDFLIP_WAIT);
    }
    Sprite* sprite = gLoadScreenSprite;
    if (sprite && sprite->surface) {
        uint32_t perRow = sprite->framesPerRow ? sprite->framesPerRow : 1;
        int32_t w = int32_t(sprite->frameWidth), h = int32_t(sprite->frameHeight);
        int32_t left = int32_t(0 % perRow) * w, top = int32_t(0 / perRow) * h;
        platform::Rect source{left, top, left + w, top + h};
        // The picture's bottom edge lies on the screen's middle line.
        int32_t x = 320 - w / 2, y = 240 - h;
        if (BlitFrame(x, y, source) == platform::kSurfaceLost) {
            platform::OutputDebugString("\nLost sprite surface in LoadScreen!\n");
            if (ReLoadSprite(sprite) != 1)
                return 0;
            BlitFrame(x, y, source);
        }
    }
    gDisplay.primary->Flip(nullptr, platform::DDFLIP_WAIT);
    return 1;
}

int LoadScreenDone() {
    return 1;
}

void LoadScreenCleanup() {
    if (!gLoadScreenSprite)
        return;
    FreeLoadScreenSprite(gLoadScreenSprite, gLoadScreenBlock);
    gLoadScreenBlock = nullptr;
    gLoadScreenSprite = nullptr;
}
