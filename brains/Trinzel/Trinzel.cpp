// The goodie: cycles all but its last frame; once taken it sounds once, rises
// on its last frame for 100 frames and vanishes.
#include "brains/BrainKit.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isGoodie, "Trinzel"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        if (!TakeSound(&gModule, i, SoundFXGetBuffer("data\\QEXASW.016"), "Trinzel")) {
            ReleasePickup(&gModule);
            return 0;
        }
        i->lastButtons = 0;
        i->direction = 1;
        i->phase = 1;
        i->alive = 1;
        i->visible = 1;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    uint32_t count = gModule.sprite->frameCount;
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        if (i->alive == 1) {
            Cycle(i, 10, int64_t(count) - 1);
        } else if (i->timer < 100) {
            if (i->number != 1) {
                SoundFXPlaySpriteSound(gModule.layer, i, i->sounds[0], 0);
                i->number = 1;
            }
            ++i->timer;
            i->frame = count > 0 ? count - 1 : 0;
            if (i->y > 0)
                --i->y;
        } else {
            i->visible = 0;
        }
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    ReleasePickup(&gModule);
    return 1;
}
