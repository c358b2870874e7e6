// The shovel: a prop that digs straight up and down, 8 pixels a frame, through
// the cells of classes 2, 3 and 8 to 15, turning at any other.
#include "brains/BrainKit.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"

using namespace brainkit;

namespace {
PickupModule gModule;

bool Blocks(uint32_t cell) {
    switch (CellClass(cell)) {
    case 0:
    case 1:
    case 4:
    case 5:
    case 6:
    case 7:
        return true;
    default:
        return false;
    }
}
} // namespace

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    if (!StartPickup(&gModule, layer, sprite, error, nullptr, "TestBrain"))
        return 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        if (!TakeSound(&gModule, i, SoundFXGetBuffer("data\\QEXDSW.009"), "TestBrain")) {
            ReleasePickup(&gModule);
            return 0;
        }
        i->lastButtons = 0;
        i->direction = 1;
        i->phase = 1;
        i->alive = 2; // a foe that cannot be hit
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    int64_t count = gModule.sprite->frameCount;
    for (SpriteInstance* i = gModule.sprite->instances.ptr; i; i = i->next.ptr) {
        const WalkBox& box = gModule.table.At(i->frame);
        int32_t column = Cell16(i->x + box.halfWidth);
        int32_t top = i->y + box.top, bottom = i->y + box.bottom;

        if (++i->tick > 10) {
            i->tick = 0;
            if (i->direction == 1) {
                if (int64_t(++i->frame) >= count) {
                    i->direction = 0;
                    i->frame = count > 0 ? uint32_t(count - 1) : 0;
                }
            } else if (i->frame == 0) {
                SoundFXPlaySpriteSound(gModule.layer, i, i->sounds[0], 0);
                i->direction = 1;
            } else {
                --i->frame;
            }
        }

        if (i->phase == 1) {
            i->y += 8;
            // Below the layer reads as a blocking cell, so the descent ends there.
            if (Blocks(CellAt(gModule.layer, Cell16(bottom + 8), column))) {
                i->y -= 8;
                i->phase = 0;
            }
        } else {
            i->y -= 8;
            if (Blocks(CellAt(gModule.layer, Cell16(top - 8), column)) || i->y <= 0) {
                i->y += i->y < 0 ? 16 : 8;
                i->phase = 1;
            }
        }
    }
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    ReleasePickup(&gModule);
    return 1;
}
