// The tool pickup: cycles its frames; once taken it hides and sounds once.
#include "brains/BrainKit.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isTool, "Trinzel"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        if (!TakeSound(&gModule, i, SoundFXGetBuffer("data\\QEXASW.019"), "Trinzel")) {
            ReleasePickup(&gModule);
            return 0;
        }
        i->alive = 1;
        i->visible = 1;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        if (i->alive == 1) {
            Cycle(i, 10, gModule.sprite->frameCount);
        } else if (i->timer == 0) {
            i->visible = 0;
            SoundFXPlaySpriteSound(gModule.layer, i, i->sounds[0], 0);
            i->timer = 1;
        }
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    ReleasePickup(&gModule);
    return 1;
}
