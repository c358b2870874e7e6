// A brain for tests: it records the calls it receives and acts as its
// sprite's parameters tell it.
//   spriteParam1: 1 makes Initialize fail.
//   spriteParam2: request bits written every Think.
//   spriteParam3: Think number at which the level is ended (0 = never).
//   spriteParam4: pixels the first instance moves right every Think.
//   spriteParam5: Think number that fails (0 = none).
//   spriteParam6: Think number at which the first instance dies (0 = never).
//   spriteParam7: Thinks that write the spriteParam2 requests (0 = all).
//   spriteParam9: microseconds every Think keeps the processor busy, standing
//                 in for a level's own work when the frame pacing is measured.
// Initialize makes every instance alive; each Think records the buttons.
// PLAYER_BRAIN builds the player's seven-argument Initialize; NO_INITIALIZE,
// NO_THINK or NO_LABOTAMIZE leave that export out.
#include "brains/BrainLog.h"
#include "common/Level.h"

#include <chrono>
#include <string>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {
Sprite* gSprite;
FrameControl* gControl;
ErrorInfo* gError;
std::string gName;
int gThinks;

[[maybe_unused]] std::string Describe(Layer* layer, Sprite* sprite, uint32_t w, uint32_t h) {
    std::string text = std::string(layer ? layer->name : "(none)") + ":" + sprite->name + ":" +
                       std::to_string(w) + "x" + std::to_string(h);
    if (SpriteInstance* i = sprite->instances.ptr)
        text += ":" + std::to_string(i->x) + "," + std::to_string(i->y) +
                (i->visible ? ":shown" : ":hidden");
    return text;
}

[[maybe_unused]] int Start(Sprite* sprite, FrameControl* control, ErrorInfo* error,
                           const std::string& what) {
    gSprite = sprite;
    gControl = control;
    gError = error;
    gName = sprite->name;
    gThinks = 0;
    BrainLog().push_back(what);
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr)
        i->alive = 1;
    if (sprite->spriteParam1 == 1) {
        FillError(error, kErrorFatal, "TestBrain", "Initialize() of test", "Test brain refused!");
        return 0;
    }
    return 1;
}
} // namespace

#if defined(PLAYER_BRAIN)
EXPORT const int32_t PlayerBrain = 1;
EXPORT int32_t Initialize(PageRecord* page, Layer* mainLayer, Sprite* sprite, FrameControl* control,
                          uint32_t w, uint32_t h, ErrorInfo* error) {
    return Start(sprite, control, error,
                 "Init7:" + std::string(page == nullptr ? "(no page)" : "page") + ":" +
                     Describe(mainLayer, sprite, w, h));
}
#elif !defined(NO_INITIALIZE)
EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl* control, uint32_t w,
                          uint32_t h, ErrorInfo* error) {
    return Start(sprite, control, error, "Init6:" + Describe(layer, sprite, w, h));
}
#endif

#ifndef NO_THINK
EXPORT int32_t Think() {
    ++gThinks;
    BrainLog().push_back("Think:" + gName);
    ButtonLog().push_back(gControl->buttons);
    if (gSprite->spriteParam5 && gThinks == static_cast<int>(gSprite->spriteParam5)) {
        FillError(gError, kErrorFatal, "TestBrain", "Think()", "Test brain gave up!");
        return 0;
    }
    if (gSprite->spriteParam2 &&
        (gSprite->spriteParam7 == 0 || gThinks <= static_cast<int>(gSprite->spriteParam7)))
        gControl->requests |= gSprite->spriteParam2;
    if (gSprite->spriteParam6 && gThinks == static_cast<int>(gSprite->spriteParam6))
        if (SpriteInstance* i = gSprite->instances.ptr)
            i->alive = 0;
    if (gSprite->spriteParam3 && gThinks == static_cast<int>(gSprite->spriteParam3))
        gControl->requests |= kRequestEndLevel;
    if (SpriteInstance* i = gSprite->instances.ptr)
        i->x += gSprite->spriteParam4;
    if (gSprite->spriteParam9) {
        auto until =
            std::chrono::steady_clock::now() + std::chrono::microseconds(gSprite->spriteParam9);
        while (std::chrono::steady_clock::now() < until) {
        }
    }
    return 1;
}
#endif

#ifndef NO_LABOTAMIZE
EXPORT int32_t Labotamize() {
    BrainLog().push_back("Labotamize:" + gName +
                         (gSprite && gSprite->instances.ptr ? ":instances" : ":empty"));
    return 1;
}
#endif
