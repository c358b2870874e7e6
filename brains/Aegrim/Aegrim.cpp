// The invincibility pickup: once taken it stays hidden for about a thousand
// frames and then comes back.
#include "brains/BrainKit.h"

using namespace brainkit;

namespace {
PickupModule gModule;
}

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, &Sprite::isInvincibility, "Aegrim"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        i->lastButtons = 0;
        i->alive = 1;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    int64_t wrapAt = int64_t(gModule.sprite->frameCount) - 1;
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        ++i->tick;
        if (i->alive == 1) {
            if (i->tick > 9) {
                i->tick = 0;
                if (int64_t(++i->frame) >= wrapAt)
                    i->frame = 0;
            }
        } else if (i->tick > 1000) {
            i->visible = 1;
            i->alive = 1;
        } else {
            i->visible = 0;
        }
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    gModule.table.Free();
    return 1;
}
