// The player brain's shared state and the areas it is split into: set-up and
// tear-down (Setup), the frame step and life cycle (Pimbrel), contacts with
// hazards and sprites (Contacts), and movement on the tiles (Movement).
// Internal to the module; only Initialize, Think and Labotamize are exported.
#pragma once

#include "brains/BrainKit.h"
#include "platform/Sound.h"

#include <cstdint>

namespace pimbrel {

constexpr uint32_t kLeft = 0x01, kRight = 0x02, kUp = 0x04, kDown = 0x08, kJump = 0x10,
                   kAttack = 0x20, kToggle = 0x100;
constexpr uint32_t kScrollLeft = 0x01, kScrollRight = 0x02, kScrollUp = 0x04, kScrollDown = 0x08,
                   kRecentre = 0x40, kEndLevel = 0x80;

constexpr int kSoundSlots = 15;
enum Slot : int {
    kSlotDamage = 0,
    kSlotExtraLife = 1,
    kSlotHealth = 2,
    kSlotInvincible = 3,
    kSlotStepLeft = 4,
    kSlotStepRight = 5,
    kSlotEnemyHit = 7,
    kSlotSwing = 8,
    kSlotTeleport = 9,
    kSlotDash = 10,
    kSlotDeath = 11,
    kSlotJump = 12,
    kSlotBouncePad = 13,
};

constexpr int kTeleporters = 20;
constexpr int kHitListSize = 5;

// The player's walk box in world pixels.
struct Body {
    int32_t left, right, centreX, top, bottom, middleY;
    int32_t widthProbes, widthStep;
};

struct Brain {
    // Given at set-up.
    PageRecord* page;
    Layer* main;
    Sprite* player;
    FrameControl* control;
    ErrorInfo* error;
    uint32_t screenWidth, screenHeight;

    // Named sprites.
    Sprite *aura, *boss, *helper, *spirit;
    Sprite *healthMeter, *livesIcons, *digits, *toolIcon;
    SpriteInstance* digitCells[9];

    platform::SoundBuffer* sounds[kSoundSlots];
    platform::SoundBuffer* extraSound;
    // The helper's instance while its four slots hold what set-up obtained.
    SpriteInstance* helperVoice;

    int32_t teleportTable[kTeleporters][2];
    int32_t startX, startY, respawnX, respawnY, teleportX, teleportY;
    int32_t layerWidth, layerHeight;
    int32_t viewLeft, viewRight, viewTop, viewBottom;
    int32_t climbMargin, stepMarginX;
    int32_t stepX, stepY;
    brainkit::WalkBoxTable table;
    // The walk-box entry of the frame the player had when this frame began.
    brainkit::WalkBox entry;

    int32_t dying, levelOver, teleporting, introRunning, invincibleTicks, hurtCountdown;
    int32_t facingLeft, attacking, movedRight, movedLeft, accelerating, accelWait, accelCount;
    int32_t instantStart, onBouncePad, bouncing, bounceMode, enemyHitThisPress, dashPushTicks;
    int32_t checkpointHeld, animTick, fallGrace, auraTick, introCountdown, flyOutCountdown;
    int32_t bobbingDown;

    // Teleporters whose destination was found unusable, each named once.
    const SpriteInstance* refusedTeleporters[8];
    int refusedCount;
};

extern Brain gBrain;

inline SpriteInstance* First(Sprite* sprite) {
    return sprite ? sprite->instances.ptr : nullptr;
}
inline SpriteInstance* Player() {
    return First(gBrain.player);
}

// Cells of the main layer; everything outside reads as empty air.
uint32_t CellAt(int32_t row, int32_t column);
inline uint32_t CellAtPixel(int32_t x, int32_t y) {
    return CellAt(brainkit::Cell16(y), brainkit::Cell16(x));
}
inline uint32_t ClassOf(uint32_t cell) {
    return (cell >> 17) & 15;
}
inline uint32_t HazardOf(uint32_t cell) {
    return (cell >> 21) & 3;
}
inline uint32_t TileOf(uint32_t cell) {
    return cell & 0x1FFFF;
}

// The airborne strike's frames, facing right and facing left.
inline bool InStrike(uint32_t frame) {
    return (frame >= 39 && frame <= 44) || (frame >= 4 && frame <= 8);
}

bool Playing(platform::SoundBuffer* buffer);
void Play(platform::SoundBuffer* buffer, SpriteInstance* source, bool loop = false);
void PlaySlot(int slot, bool loop = false);
void StopSlot(int slot);

Body BodyAt(const SpriteInstance* player);

// The movement of one frame (Movement.cpp).
void Move(SpriteInstance* player);
// The contacts of one frame; returns the damage class (Contacts.cpp).
int32_t Contacts(SpriteInstance* player, const Body& body);
// Lets go of every sound and the table that set-up obtained (Setup.cpp).
void ReleaseAll();

} // namespace pimbrel
