// The health pickup: cycles its frames until the player takes it, then hides.
#include "brains/BrainKit.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isHealth, "Medrin"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        i->lastButtons = 0;
        i->direction = 1;
        i->phase = 1;
        i->alive = 1;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        if (i->alive == 1)
            Cycle(i, 10, gModule.sprite->frameCount);
        else
            i->visible = 0;
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    gModule.table.Free();
    return 1;
}
