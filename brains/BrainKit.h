// What every brain shares: the exports, failure reports, the walk-box table,
// tile cells and mask pixels, and finding sprites and layers by name. Header
// only: each brain is one unit and carries its own copy of all of this.
#pragma once

#include "common/AllocAligned.h"
#include "common/ErrorInfo.h"
#include "common/Level.h"
#include "platform/Sound.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#define BRAIN_EXPORT extern "C" __attribute__((visibility("default")))
// A player brain says so (see kPlayerBrainMark).
#define PLAYER_BRAIN_MARK BRAIN_EXPORT const int32_t PlayerBrain = 1

namespace brainkit {

// Fills the record the way every brain does and gives the failure result.
inline int32_t Fail(ErrorInfo* info, const char* source, const Sprite* sprite,
                    const char* message) {
    char location[sizeof(info->location)];
    const char* prefix = "Initialize() of ";
    size_t n = 0;
    for (const char* p = prefix; *p && n + 1 < sizeof(location); ++p)
        location[n++] = *p;
    for (const char* p = sprite ? sprite->name : ""; *p && n + 1 < sizeof(location); ++p)
        location[n++] = *p;
    location[n] = '\0';
    FillError(info, kErrorFatal, source, location, message);
    return 0;
}

// One entry per frame, from box 0 of the frame record.
struct WalkBox {
    int32_t right, left, halfWidth, top, bottom, halfHeight;
    int32_t widthProbes, widthStep, heightProbes, heightStep;
};
static_assert(sizeof(WalkBox) == 40);

struct WalkBoxTable {
    void* block = nullptr;
    WalkBox* boxes = nullptr;
    uint32_t count = 0;

    // The entry of a frame; frames past the table read as an empty box.
    const WalkBox& At(uint32_t frame) const {
        static const WalkBox kNone{};
        return frame < count ? boxes[frame] : kNone;
    }
    void Free() {
        std::free(block);
        block = nullptr;
        boxes = nullptr;
        count = 0;
    }
};

inline int32_t Half(int32_t high, int32_t low) {
    int64_t d = int64_t(high) - low;
    return int32_t(d >= 0 ? d / 2 : -((-d + 1) / 2)); // rounded down
}

// Builds the table; probes are the walkers' (tile size less one pixel). A tile
// size of 0 or 1 gives no probes rather than a division by zero.
inline bool BuildWalkBoxes(WalkBoxTable* table, const Layer* layer, const Sprite* sprite,
                           bool probes, ErrorInfo* info, const char* source) {
    table->Free();
    uint32_t count = sprite->frames.ptr ? sprite->frameCount : 0;
    void* block = nullptr;
    auto* boxes = static_cast<WalkBox*>(
        AllocAlignedFor(info, &block, size_t(sprite->frameCount) * sizeof(WalkBox)));
    if (!boxes) {
        Fail(info, source, sprite, "Unable to get memory for walk box array!");
        return false;
    }
    int32_t stepW = probes && layer ? int32_t(layer->tileWidth) - 1 : 0;
    int32_t stepH = probes && layer ? int32_t(layer->tileHeight) - 1 : 0;
    for (uint32_t f = 0; f < count; ++f) {
        const FrameBox& b = sprite->frames.ptr[f].boxes[0];
        WalkBox& w = boxes[f];
        w.right = b.right;
        w.left = b.left;
        w.halfWidth = Half(b.right, b.left);
        w.top = b.top;
        w.bottom = b.bottom;
        w.halfHeight = Half(b.bottom, b.top);
        if (probes) {
            w.widthStep = stepW;
            w.heightStep = stepH;
            w.widthProbes = stepW > 0 ? w.halfWidth / stepW : 0;
            w.heightProbes = stepH > 0 ? w.halfHeight / stepH : 0;
        }
    }
    table->block = block;
    table->boxes = boxes;
    table->count = count;
    return true;
}

// Map rows and columns are pixels over 16 (the level art's tile size).
inline int32_t Cell16(int32_t pixel) {
    return pixel >= 0 ? pixel / 16 : -1;
}

// The mask cell at (row, column); outside the layer reads as 0 (no tile, class 0).
inline uint32_t CellAt(const Layer* layer, int32_t row, int32_t column) {
    if (!layer || !layer->maskData.ptr || row < 0 || column < 0 || uint32_t(row) >= layer->rows ||
        uint32_t(column) >= layer->columns)
        return 0;
    return layer->maskData.ptr[size_t(row) * layer->columns + size_t(column)];
}
inline uint32_t CellClass(uint32_t cell) {
    return (cell >> 17) & 15;
}
inline uint32_t CellTile(uint32_t cell) {
    return cell & 0x1FFFF;
}

// Whether the mask pixel at column (px mod 16), row (py mod 16) of the cell's
// tile is set. Rows are stored as in the picture, leftmost pixel first; rows
// past the mask bitmap read as clear.
inline bool PixelSolid(const Layer* layer, uint32_t cell, int32_t px, int32_t py) {
    if (!layer->maskBitmap.ptr || !layer->maskBits.ptr)
        return false;
    uint32_t tile = CellTile(cell);
    int64_t t = tile ? int64_t(tile) - 1 : 0;
    int64_t index = t + int64_t(((py % 16) + 16) % 16) * layer->maskStride;
    if (index < 0 || uint64_t(index) * 2 + 2 > layer->maskBytes)
        return false;
    const uint8_t* p = layer->maskBitmap.ptr + index * 2;
    uint16_t row = uint16_t((p[0] << 8) | p[1]);
    return (row & layer->maskBits.ptr[((px % 16) + 16) % 16]) != 0;
}

inline Sprite* FindSprite(Layer* layer, const char* name) {
    for (Sprite* s = layer ? layer->sprites.ptr : nullptr; s; s = s->next.ptr)
        if (std::strcmp(s->name, name) == 0)
            return s;
    return nullptr;
}

inline Layer* FindLayer(Layer* first, const char* name) {
    for (Layer* l = first; l; l = l->next.ptr)
        if (std::strcmp(l->name, name) == 0)
            return l;
    return nullptr;
}

// Stops and lets go of a buffer a brain holds, clearing its slot.
inline void DropSound(platform::SoundBuffer** slot) {
    if (*slot) {
        (*slot)->Stop();
        (*slot)->Release();
        *slot = nullptr;
    }
}

// The module state of the pickup and prop brains, and their shared set-up:
// keep the records, raise the kind flag, build the table.
struct PickupModule {
    Layer* layer = nullptr;
    Sprite* sprite = nullptr;
    ErrorInfo* error = nullptr;
    WalkBoxTable table;
    // Every sound handed to an instance, kept here too: the engine frees the
    // instances before Labotamize, which must still let the sounds go.
    platform::SoundBuffer** sounds = nullptr;
    uint32_t soundCount = 0;
};

// Gives an instance's first slot a sound the module keeps track of; false
// (slot empty, the record filled) when the sound cannot be had or kept.
inline bool TakeSound(PickupModule* m, SpriteInstance* i, platform::SoundBuffer* sound,
                      const char* source) {
    i->sounds[0] = nullptr;
    if (!sound)
        return false; // the sound library has filled the record
    void* grown =
        std::realloc(m->sounds, (size_t(m->soundCount) + 1) * sizeof(platform::SoundBuffer*));
    if (!grown) {
        sound->Release();
        Fail(m->error, source, m->sprite, "Unable to get memory for sound list!");
        return false;
    }
    m->sounds = static_cast<platform::SoundBuffer**>(grown);
    m->sounds[m->soundCount++] = sound;
    i->sounds[0] = sound;
    return true;
}

inline bool StartPickup(PickupModule* m, Layer* layer, Sprite* sprite, ErrorInfo* error,
                        int32_t Sprite::*kind, const char* source) {
    m->layer = layer;
    m->sprite = sprite;
    m->error = error;
    if (kind)
        sprite->*kind = 1;
    return BuildWalkBoxes(&m->table, layer, sprite, false, error, source);
}

// Lets go of every instance's sound and the table: what Labotamize does, and
// what a failed Initialize must do itself, since the host then unloads the
// brain without calling it.
inline void ReleasePickup(PickupModule* m) {
    // Instances still listed (a tear-down out of the engine's order) must not
    // name a released sound.
    if (m->sprite)
        for (SpriteInstance* i = m->sprite->instances.ptr; i; i = i->next.ptr)
            for (uint32_t n = 0; n < m->soundCount; ++n)
                if (i->sounds[0] == m->sounds[n])
                    i->sounds[0] = nullptr;
    for (uint32_t n = 0; n < m->soundCount; ++n)
        DropSound(&m->sounds[n]);
    std::free(m->sounds);
    m->sounds = nullptr;
    m->soundCount = 0;
    m->table.Free();
}

// One frame every `period` game frames, wrapping to 0 at `wrapAt`.
inline void Cycle(SpriteInstance* i, int32_t period, int64_t wrapAt) {
    if (++i->tick > period - 1) {
        i->tick = 0;
        if (int64_t(++i->frame) >= wrapAt)
            i->frame = 0;
    }
}

} // namespace brainkit
