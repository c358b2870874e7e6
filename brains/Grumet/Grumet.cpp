// The walking foe: patrols its layer a pixel a frame, follows slopes by the
// tile masks, turns at walls and ledges, grunts now and then, and once struck
// rises on its last frame and fades out.
#include "brains/BrainKit.h"
#include "platform/Clock.h"
#include "platform/Random.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"

#include <array>

using namespace brainkit;

namespace {
Layer* gLayer;
Sprite* gSprite;
ErrorInfo* gError;
int32_t gLayerWidth, gLayerHeight;
WalkBoxTable gTable;
platform::SoundBuffer* gGrunts[3];

constexpr const char* kGruntFiles[3] = {"data\\QEXDSW.006", "data\\QEXDSW.007", "data\\QEXDSW.008"};
constexpr int32_t kRight = 0x02, kLeft = 0x01;

bool IsFloor(uint32_t cell) {
    return CellClass(cell) == 1 || CellClass(cell) == 4;
}
bool IsLadder(uint32_t cell) {
    return CellClass(cell) == 5 || CellClass(cell) == 6;
}

void Drop() {
    for (auto*& grunt : gGrunts)
        DropSound(&grunt);
    gTable.Free();
}

bool Playing(platform::SoundBuffer* buffer) {
    uint32_t status = 0;
    return buffer && buffer->GetStatus(&status) == platform::kOk &&
           (status & platform::DSBSTATUS_PLAYING);
}

void Advance(SpriteInstance* i, uint32_t first) {
    if (++i->tick > 5) {
        i->tick = 0;
        ++i->frame;
        if (i->frame > first + 7 || i->frame < first)
            i->frame = first;
    }
}

void Animate(SpriteInstance* i, int32_t bit, uint32_t first) {
    if (!(i->lastButtons & bit)) {
        i->frame = first;
        i->tick = 0;
    }
    Advance(i, first);
}

void Rise(SpriteInstance* i) {
    if (i->y > 0)
        --i->y;
}

// Down a pixel unless the frame would reach into the layer's last step.
void Sink(SpriteInstance* i) {
    if (!gLayer)
        return;
    ++i->y;
    if (int64_t(i->y) + gSprite->frameHeight > int64_t(gLayerHeight) - gLayer->stepY)
        --i->y;
}

// Keeps the feet on the tiles under the centre column.
void Settle(SpriteInstance* i, const WalkBox& box, int32_t bit) {
    uint32_t first = bit == kRight ? 0 : 8;
    int32_t cx = i->x + box.halfWidth;
    int32_t bottom = i->y + box.bottom;
    int32_t column = Cell16(cx);
    uint32_t above = CellAt(gLayer, Cell16(bottom - 1), column);
    uint32_t feet = CellAt(gLayer, Cell16(bottom), column);
    uint32_t below = CellAt(gLayer, Cell16(bottom + 1), column);
    bool a = IsFloor(above), f = IsFloor(feet), b = IsFloor(below);
    if (a && f && b) {
        Animate(i, bit, first);
        if (PixelSolid(gLayer, above, cx, bottom - 1))
            Rise(i);
        else if (!PixelSolid(gLayer, below, cx, bottom + 1))
            Sink(i);
    } else if (a && f) {
        Animate(i, bit, first);
        if (PixelSolid(gLayer, above, cx, bottom - 1))
            Rise(i);
    } else if (f && b) {
        Animate(i, bit, first);
        if (!PixelSolid(gLayer, below, cx, bottom + 1))
            Sink(i);
    } else if (IsLadder(feet)) {
        Advance(i, first);
    } else {
        Animate(i, bit, first);
        Sink(i); // a fall stops at the layer's bottom rather than leaving it
    }
}

bool AnyClass(const std::array<uint32_t, 3>& cells, uint32_t c1, uint32_t c2) {
    for (uint32_t cell : cells)
        if (CellClass(cell) == c1 || CellClass(cell) == c2)
            return true;
    return false;
}

void Turn(SpriteInstance* i, int32_t* bits) {
    if (i->heading == 0) {
        i->heading = 1;
        *bits = kLeft;
        i->frame = 8;
    } else {
        i->heading = 0;
        *bits = kRight;
        i->frame = 0;
    }
}

void Step(SpriteInstance* i) {
    if (i->alive != 0 && gGrunts[0]) {
        int r = platform::Rand();
        if (r >= 5 && r <= 10) {
            platform::SoundBuffer* grunt = gGrunts[platform::Rand() % 3];
            if (!Playing(grunt))
                SoundFXPlaySpriteSound(gLayer, i, grunt, 0);
        }
    }

    const WalkBox& box = gTable.At(i->frame);
    int32_t left = i->x + box.left, right = i->x + box.right;
    int32_t top = i->y + box.top, bottom = i->y + box.bottom;
    int32_t middle = i->y + box.halfHeight; // as the player's body is measured
    int32_t bits = i->heading == 0 ? kRight : kLeft;
    auto side = [&](int32_t x) {
        int32_t column = Cell16(x);
        return std::array<uint32_t, 3>{CellAt(gLayer, Cell16(top), column),
                                       CellAt(gLayer, Cell16(middle), column),
                                       CellAt(gLayer, Cell16(bottom), column)};
    };

    if (i->health == 0)
        i->alive = 0;
    if (i->alive == 0) {
        if (i->timer < 100) {
            ++i->timer;
            i->frame = gSprite->frameCount > 0 ? gSprite->frameCount - 1 : 0;
            Rise(i);
        } else {
            i->visible = 0;
        }
        return;
    }

    // A menu page has no tiles to walk on: the walker marks time where it stands.
    if (!gLayer) {
        Animate(i, bits, bits == kRight ? 0 : 8);
        i->lastButtons = bits;
        return;
    }

    if (bits == kRight) {
        if (!AnyClass(side(right), 3, 4)) {
            i->heading = 0;
            ++i->x;
            if (int64_t(i->x) + gSprite->frameWidth > int64_t(gLayerWidth) - 1)
                --i->x;
            if (i->jumping == 0)
                Settle(i, box, kRight);
        } else {
            Turn(i, &bits);
        }
    } else {
        if (!AnyClass(side(left), 2, 4)) {
            i->heading = 1;
            --i->x;
            if (i->x < 0)
                ++i->x;
            if (i->jumping == 0)
                Settle(i, box, kLeft);
        } else {
            Turn(i, &bits);
        }
    }

    // Turn before a gap rather than walk into it.
    int32_t cx = i->x + box.halfWidth;
    int32_t feet = i->y + box.bottom;
    int32_t column = Cell16(i->heading == 0 ? cx + 1 : cx - 1);
    bool ground = false;
    for (int32_t row : {Cell16(feet - 16), Cell16(feet), Cell16(feet + 16)}) {
        uint32_t c = CellClass(CellAt(gLayer, row, column));
        ground = ground || c == 1 || c == 5;
    }
    if (!ground)
        Turn(i, &bits);
    i->lastButtons = bits;
}
} // namespace

BRAIN_EXPORT int32_t Initialize(Layer* layer, Sprite* sprite, FrameControl*, uint32_t, uint32_t,
                                ErrorInfo* error) {
    gLayer = layer;
    gSprite = sprite;
    gError = error;
    // A menu page passes no layer.
    gLayerWidth = layer ? int32_t(layer->columns * layer->tileWidth) : 0;
    gLayerHeight = layer ? int32_t(layer->rows * layer->tileHeight) : 0;
    if (!BuildWalkBoxes(&gTable, layer, sprite, true, error, "Grumet"))
        return 0;
    platform::Srand(uint32_t(platform::TimeSeconds()));
    for (int n = 0; n < 3; ++n) {
        gGrunts[n] = SoundFXGetBuffer(kGruntFiles[n]);
        if (!gGrunts[n]) {
            Drop(); // the host unloads a brain that fails without asking it to clean up
            return 0;
        }
    }
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        i->heading = platform::Rand() % 2;
        i->frame = 0;
        i->alive = 1;
        i->health = 1;
        i->lastButtons = 0;
    }
    return 1;
}

BRAIN_EXPORT int32_t Think() {
    for (SpriteInstance* i = gSprite->instances.ptr; i; i = i->next.ptr)
        Step(i);
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    Drop();
    return 1;
}
