// The extra-life pickup: swings through its frames and back until taken.
#include "brains/BrainKit.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isExtraLife, "Vitrel"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        i->lastButtons = 0;
        i->direction = 1;
        i->phase = 0;
        i->alive = 1;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    int64_t count = gModule.sprite->frameCount;
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        if (i->alive != 1) {
            i->visible = 0;
            continue;
        }
        if (++i->tick <= 5)
            continue;
        i->tick = 0;
        if (i->direction == 1) {
            if (int64_t(++i->frame) >= count) {
                i->direction = 0;
                i->frame = count > 0 ? uint32_t(count - 1) : 0;
            }
        } else if (i->frame == 0) {
            i->direction = 1; // the step below 0 turns forward
        } else {
            --i->frame;
        }
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    gModule.table.Free();
    return 1;
}
