// The teleporter: an animation that never ends; the player brain does the rest.
#include "brains/BrainKit.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isTeleporter, "Portavo"))
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
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr)
        if (i->alive == 1)
            Cycle(i, 6, gModule.sprite->frameCount);
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    gModule.table.Free();
    return 1;
}
