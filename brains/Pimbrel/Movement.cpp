// The player's body: buttons turned into walking, accelerating, jumping,
// dashing, striking, climbing, falling and standing, against the main
// layer's collision classes, its tile masks and the platform sprites. Every
// move is one step of the main layer, so the view scrolls in lock-step.
#include "brains/Pimbrel/Pimbrel.h"

namespace pimbrel {
namespace {

uint32_t& Buttons() {
    return gBrain.control->buttons;
}
uint32_t& Requests() {
    return gBrain.control->requests;
}
bool AttackDown() {
    return Buttons() & kAttack;
}

bool IsFloor(uint32_t cell) {
    return ClassOf(cell) == 1 || ClassOf(cell) == 4;
}
bool IsLadder(uint32_t cell) {
    return ClassOf(cell) == 5 || ClassOf(cell) == 6;
}
bool IsGround(uint32_t cell) {
    return IsFloor(cell) || IsLadder(cell);
}

// The cells under the centre column: head, above the feet, feet, below.
struct Column {
    uint32_t head, above, feet, below;
};
Column ColumnAt(const Body& body) {
    int32_t cm = gBrain.climbMargin;
    return {CellAtPixel(body.centreX, body.top), CellAtPixel(body.centreX, body.bottom - cm),
            CellAtPixel(body.centreX, body.bottom), CellAtPixel(body.centreX, body.bottom + cm)};
}

// P: the mask pixel of the cell's tile under the centre column at row py.
bool Solid(const Body& body, uint32_t cell, int32_t py) {
    return brainkit::PixelSolid(gBrain.main, cell, body.centreX, py);
}

// Q: whether a point lies on a platform sprite, and how solid that is.
struct PlatformHit {
    bool on;
    int32_t solidity;
};
PlatformHit OnPlatform(int32_t px, int32_t py) {
    for (Sprite* s = gBrain.main->platforms.ptr; s; s = s->next.ptr) {
        if (!s->frames.ptr)
            continue;
        for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr) {
            if (i->frame >= s->frameCount)
                continue;
            const FrameRecord& f = s->frames.ptr[i->frame];
            uint32_t count = f.boxCount < 32 ? f.boxCount : 32;
            for (uint32_t n = 0; n < count; ++n) {
                const FrameBox& box = f.boxes[n];
                if (px >= i->x + box.left && px < i->x + box.right && py >= i->y + box.top &&
                    py < i->y + box.bottom)
                    return {true, i->tick == 0 ? 1 : 0};
            }
        }
    }
    return {false, 1};
}
bool Q(int32_t px, int32_t py) {
    return OnPlatform(px, py).on;
}

// One step each way, with the layer's edges and the view's band.
void MoveRight(SpriteInstance* p) {
    Brain& b = gBrain;
    p->x += b.stepX;
    if (b.layerWidth - b.stepX < p->x + int32_t(b.player->frameWidth)) {
        p->x -= b.stepX;
        b.movedRight = 0;
        return;
    }
    b.movedRight = 1;
    if (b.viewLeft + b.stepX < p->x && p->x < b.viewRight)
        Requests() |= kScrollRight;
}
void MoveLeft(SpriteInstance* p) {
    Brain& b = gBrain;
    p->x -= b.stepX;
    if (p->x < 0) {
        p->x += b.stepX;
        b.movedLeft = 0;
        return;
    }
    b.movedLeft = 1;
    if (b.viewLeft < p->x && p->x < b.viewRight - b.stepX)
        Requests() |= kScrollLeft;
}
void MoveUp(SpriteInstance* p) {
    Brain& b = gBrain;
    p->y -= b.stepY;
    if (p->y < 0) {
        p->y += b.stepY;
        return;
    }
    if (b.viewTop < p->y && p->y < b.viewBottom - b.stepY)
        Requests() |= kScrollUp;
}
void MoveDown(SpriteInstance* p) {
    Brain& b = gBrain;
    p->y += b.stepY;
    if (b.layerHeight - b.stepY < p->y + int32_t(b.player->frameHeight)) {
        p->y -= b.stepY;
        return;
    }
    if (b.viewTop + b.stepY < p->y && p->y < b.viewBottom)
        Requests() |= kScrollDown;
}
// The fall has no edge: a player falling out of the map loses the life.
void FallDown(SpriteInstance* p) {
    Brain& b = gBrain;
    p->y += b.stepY;
    if (b.viewTop < p->y && p->y < b.viewBottom - b.stepY)
        Requests() |= kScrollDown;
}
void StepAcross(SpriteInstance* p, bool right) {
    if (right)
        MoveRight(p);
    else
        MoveLeft(p);
}

bool InRange(uint32_t frame, uint32_t low, uint32_t high) {
    return frame >= low && frame <= high;
}

// Walking: 24 to 33 facing right, 23 down to 14 facing left, a frame every
// second game frame.
void WalkAnimation(SpriteInstance* p, bool right) {
    Brain& b = gBrain;
    uint32_t bit = right ? kRight : kLeft;
    bool inCycle = right ? InRange(p->frame, 24, 33) : InRange(p->frame, 14, 23);
    if (!(p->lastButtons & bit) || (p->lastButtons & (kUp | kDown)) || !inCycle) {
        p->frame = right ? 24 : 23;
        b.animTick = 0;
        return;
    }
    if (++b.animTick > 1) {
        b.animTick = 0;
        if (right)
            p->frame = p->frame >= 33 ? 24 : p->frame + 1;
        else
            p->frame = p->frame <= 14 ? 23 : p->frame - 1;
    }
}

// Landing from a strike walks on; a dash keeps its frames.
bool MayAnimate(const SpriteInstance* p) {
    return !AttackDown() || InStrike(p->frame);
}

void IdlePose(SpriteInstance* p) {
    if (MayAnimate(p))
        p->frame = gBrain.facingLeft ? 2 : 45;
}

void FallAnimation(SpriteInstance* p, bool fromWalk) {
    Brain& b = gBrain;
    bool attack = AttackDown();
    if (!b.facingLeft) {
        if (fromWalk && InRange(p->frame, 45, 47))
            return;
        if (p->frame >= 37) {
            if (attack) {
                if (++b.animTick > 1) {
                    b.animTick = 0;
                    if (InRange(p->frame, 39, 43)) {
                        ++p->frame;
                    } else {
                        p->frame = 39;
                        PlaySlot(kSlotSwing, true);
                    }
                }
            } else if (++b.animTick > 2) {
                b.animTick = 0;
                p->frame = InRange(p->frame, 37, 38) ? p->frame + 1 : 39;
            }
        } else if (attack) {
            PlaySlot(kSlotSwing, true);
            p->frame = 39;
        } else {
            p->frame = 37;
        }
        return;
    }
    if (fromWalk && p->frame <= 2)
        return;
    if (InRange(p->frame, 3, 10)) {
        if (attack) {
            if (++b.animTick > 1) {
                b.animTick = 0;
                if (InRange(p->frame, 5, 8)) {
                    --p->frame;
                } else {
                    p->frame = 8;
                    PlaySlot(kSlotSwing, true);
                }
            }
        } else if (++b.animTick > 2) {
            b.animTick = 0;
            p->frame = InRange(p->frame, 9, 10) ? p->frame - 1 : 8;
        }
    } else if (attack) {
        PlaySlot(kSlotSwing, true);
        p->frame = 8;
    } else {
        p->frame = 10;
    }
}

void ClimbUpAnimation(SpriteInstance* p) {
    Brain& b = gBrain;
    if (!InRange(p->frame, 48, 55)) {
        p->frame = 48;
        b.animTick = 0;
    } else if (++b.animTick > 1) {
        b.animTick = 0;
        p->frame = p->frame >= 55 ? 48 : p->frame + 1;
    }
}

void ClimbDownAnimation(SpriteInstance* p) {
    Brain& b = gBrain;
    if (!(p->lastButtons & kDown) || !InRange(p->frame, 48, 55)) {
        p->frame = 55;
        b.animTick = 0;
    } else if (++b.animTick > 1) {
        b.animTick = 0;
        p->frame = p->frame <= 48 ? 55 : p->frame - 1;
    }
}

bool CanClimbUp(const Column& c) {
    return IsLadder(c.head) || (IsLadder(c.feet) && IsLadder(c.above));
}

// A ladder tile numbered 2 or more is climbed only where its mask is solid
// just above the feet.
void ClimbUp(SpriteInstance* p) {
    if (p->jumping)
        return;
    ClimbUpAnimation(p);
    Body body = BodyAt(p);
    Column c = ColumnAt(body);
    if (IsLadder(c.feet) && TileOf(c.feet) >= 2) {
        if (Solid(body, c.above, body.bottom - gBrain.climbMargin))
            MoveUp(p);
    } else {
        MoveUp(p);
    }
}

void ClimbDown(SpriteInstance* p) {
    Brain& b = gBrain;
    Body body = BodyAt(p);
    Column c = ColumnAt(body);
    ClimbDownAnimation(p);
    if (IsLadder(c.feet) || !IsFloor(c.feet)) {
        MoveDown(p);
        return;
    }
    // Down through the floor at a ladder's top, where its mask lets through.
    uint32_t under = CellAtPixel(body.centreX, body.bottom + b.stepY);
    if (!Solid(body, under, body.bottom + b.climbMargin))
        MoveDown(p);
}

void ClimbInPlace(SpriteInstance* p) {
    Column c = ColumnAt(BodyAt(p));
    if (Buttons() & kUp) {
        if (CanClimbUp(c))
            ClimbUp(p);
        else
            Buttons() &= ~kUp;
    } else if (Buttons() & kDown) {
        if (IsLadder(c.feet) || IsLadder(c.head))
            ClimbDown(p);
        else
            Buttons() &= ~kDown;
    }
}

// Walking and blocked moves settle on floor by the masks; false: a fall.
bool WalkingRule(SpriteInstance* p, bool right) {
    Brain& b = gBrain;
    Body body = BodyAt(p);
    Column c = ColumnAt(body);
    bool a = IsFloor(c.above), f = IsFloor(c.feet), under = IsFloor(c.below);
    int32_t cm = b.climbMargin;
    if (f && (a || under)) {
        if (MayAnimate(p))
            WalkAnimation(p, right);
        if (a && Solid(body, c.above, body.bottom - cm))
            MoveUp(p);
        else if (under && !Solid(body, c.below, body.bottom + cm))
            MoveDown(p);
        return true;
    }
    if (IsLadder(c.feet)) {
        if (!AttackDown())
            WalkAnimation(p, right);
        return true;
    }
    return false;
}

// Standing still: tile numbers of 2 or more on ladders count as footing.
void IdleRule(SpriteInstance* p) {
    Brain& b = gBrain;
    Body body = BodyAt(p);
    Column c = ColumnAt(body);
    int32_t cm = b.climbMargin;
    auto high = [](uint32_t cell) { return IsGround(cell) && TileOf(cell) >= 2; };
    auto footing = [](uint32_t cell) {
        return IsFloor(cell) || (IsLadder(cell) && TileOf(cell) >= 2);
    };
    if (high(c.above) && high(c.feet) && high(c.below)) {
        IdlePose(p);
        if (Solid(body, c.above, body.bottom - cm))
            MoveUp(p);
        else if (!Solid(body, c.below, body.bottom + cm))
            MoveDown(p);
    } else if (footing(c.above) && footing(c.feet)) {
        IdlePose(p);
        if (Solid(body, c.above, body.bottom - cm))
            MoveUp(p);
    } else if (footing(c.feet) && footing(c.below)) {
        IdlePose(p);
        if (!Solid(body, c.below, body.bottom + cm))
            MoveDown(p);
    } else if (!IsLadder(c.feet)) {
        FallAnimation(p, false);
        if (AttackDown())
            b.attacking = 1;
        FallDown(p);
        return;
    } else if (!AttackDown() && !InRange(p->frame, 48, 55)) {
        p->frame = 48;
        b.animTick = 0;
    }
    b.fallGrace = 0;
}

void Walk(SpriteInstance* p, bool right, bool blocked) {
    Brain& b = gBrain;
    b.facingLeft = right ? 0 : 1;
    bool acceleratedMove = false;
    if (!blocked) {
        if (b.accelerating == 1) {
            if (++b.accelCount > b.accelWait) {
                b.accelCount = 0;
                if (b.accelWait <= 1) {
                    b.accelWait = 7;
                    b.accelerating = 0;
                } else {
                    --b.accelWait;
                }
                StepAcross(p, right);
                acceleratedMove = true;
            }
        } else {
            StepAcross(p, right);
        }
    }

    if (!p->jumping) {
        if (Buttons() & kUp) {
            if (CanClimbUp(ColumnAt(BodyAt(p))))
                ClimbUp(p);
            else
                Buttons() &= ~kUp;
        }
        if (Buttons() & kDown) {
            Column c = ColumnAt(BodyAt(p));
            if (IsLadder(c.feet) || (IsLadder(c.head) && !IsFloor(c.feet)))
                ClimbDown(p);
            else
                Buttons() &= ~kDown;
        }
    }
    if (p->jumping || (Buttons() & (kUp | kDown)))
        return; // no settling and no gravity while climbing

    Body body = BodyAt(p);
    int32_t cm = b.climbMargin;
    PlatformHit below = OnPlatform(body.centreX, body.bottom + cm);
    if (Q(body.centreX, body.bottom) || below.on) {
        if (!AttackDown())
            WalkAnimation(p, right);
        if (below.solidity != 1)
            return;
        if (Q(body.centreX, body.bottom - cm))
            MoveUp(p);
        else
            MoveDown(p);
        return;
    }

    if (WalkingRule(p, right)) {
        b.fallGrace = 0;
        return;
    }
    if (!blocked && b.accelerating == 1 && !acceleratedMove) {
        b.accelerating = 0; // no acceleration in the air
        StepAcross(p, right);
    }
    bool walking = right ? InRange(p->frame, 24, 33) : InRange(p->frame, 14, 23);
    if (!blocked && walking && b.fallGrace < 4)
        ++b.fallGrace;
    else
        FallAnimation(p, true);
    FallDown(p);
}

void Attack(SpriteInstance* p) {
    Brain& b = gBrain;
    p->jumping = 0;
    b.accelerating = 0;
    b.accelWait = 7;
    Buttons() &= ~(kUp | kDown);
    uint32_t ahead = b.facingLeft ? kLeft : kRight;
    if (!(p->lastButtons & kAttack)) {
        b.attacking = 1;
        b.dashPushTicks = 0;
        Body body = BodyAt(p);
        Column c = ColumnAt(body);
        bool air = ClassOf(c.feet) == 15 || (ClassOf(c.above) == 15 && ClassOf(c.below) == 15);
        if (air && !Q(body.centreX, body.bottom) && !Q(body.centreX, body.bottom + b.climbMargin))
            return; // no dash in the air
        PlaySlot(kSlotDash);
        p->frame = b.facingLeft ? 2 : 45;
        Buttons() |= ahead;
        p->dashTicks = 25;
        b.animTick = 0;
    } else if (p->dashTicks > 0) {
        b.attacking = 1;
        --p->dashTicks;
        ++b.animTick;
        if (!b.facingLeft)
            p->frame = b.animTick > 1 ? 47 : p->frame + 1;
        else
            p->frame = b.animTick > 1 || p->frame == 0 ? 0 : p->frame - 1;
        // After a hit only a few more frames push on.
        if (!b.enemyHitThisPress) {
            Buttons() |= ahead;
        } else if (b.dashPushTicks > 0) {
            --b.dashPushTicks;
            Buttons() |= ahead;
        }
    } else {
        b.attacking = 0;
        if (++b.animTick > 1) {
            Buttons() &= ~ahead;
            if (!b.facingLeft && p->frame > 45)
                --p->frame;
            else if (b.facingLeft && p->frame < 2)
                ++p->frame;
        }
    }
}

void StartJump(SpriteInstance* p) {
    Brain& b = gBrain;
    Buttons() &= ~(kUp | kDown);
    b.animTick = 0;
    p->frame = b.facingLeft ? 13 : 34;
    if (!(p->lastButtons & kJump))
        PlaySlot(kSlotJump);
    p->jumping = 1;
    p->jumpTicks = 1;
    MoveUp(p);
}

void Jump(SpriteInstance* p) {
    Brain& b = gBrain;
    b.accelerating = 0;
    Body body = BodyAt(p);
    int32_t cm = b.climbMargin;
    bool above = Q(body.centreX, body.bottom - cm), at = Q(body.centreX, body.bottom),
         below = Q(body.centreX, body.bottom + cm);
    uint32_t head = CellAtPixel(body.centreX, body.top - cm);
    uint32_t feet = CellAtPixel(body.centreX, body.bottom);
    if ((at && !above) || below) {
        StartJump(p);
        return;
    }
    if (!p->jumping && (IsGround(feet) || b.onBouncePad) && !(p->lastButtons & kJump) &&
        ClassOf(head) != 0) {
        StartJump(p);
        return;
    }
    if (p->jumping && ClassOf(head) != 0 && p->jumpTicks < p->jumpLimit) {
        Buttons() &= ~(kUp | kDown);
        ++b.animTick;
        if (b.bouncing) {
            PlaySlot(kSlotSwing, true);
            if (b.bounceMode == 0 || (b.bounceMode == 1 && b.facingLeft))
                p->frame = InRange(p->frame, 5, 8) ? p->frame - 1 : 8;
            else if (b.bounceMode == 2 || b.bounceMode == 1)
                p->frame = InRange(p->frame, 39, 43) ? p->frame + 1 : 39;
        } else if (!b.facingLeft) {
            if (!InRange(p->frame, 34, 36))
                p->frame = 34;
            if (b.animTick > 1) {
                b.animTick = 0;
                if (p->frame < 36)
                    ++p->frame;
            }
        } else {
            if (!InRange(p->frame, 11, 13))
                p->frame = 13;
            if (b.animTick > 1) {
                b.animTick = 0;
                if (p->frame > 11)
                    --p->frame;
            }
        }
        ++p->jumpTicks;
        MoveUp(p);
        return;
    }
    b.onBouncePad = 0;
    b.bouncing = 0;
    p->jumping = 0;
    p->jumpTicks = 0;
    b.bounceMode = 3;
    p->jumpLimit = 32;
}

void BouncePad(SpriteInstance* p) {
    Brain& b = gBrain;
    Body body = BodyAt(p);
    bool all = true;
    for (int32_t x : {body.centreX - 4, body.centreX, body.centreX + 4})
        all = all && (ClassOf(CellAtPixel(x, body.bottom - 8)) == 10 ||
                      ClassOf(CellAtPixel(x, body.bottom)) == 10);
    if (all) {
        b.onBouncePad = 1;
        Buttons() &= ~kAttack;
        Buttons() |= kJump;
        p->jumpLimit = 96;
        p->lastButtons &= ~int32_t(kJump);
        if (!Playing(b.sounds[kSlotBouncePad]))
            PlaySlot(kSlotBouncePad);
    } else if (b.onBouncePad) {
        Buttons() &= ~kAttack;
        Buttons() |= kJump;
    }
}

bool AnyClass(const uint32_t (&cells)[3], uint32_t one, uint32_t other) {
    for (uint32_t cell : cells)
        if (ClassOf(cell) == one || ClassOf(cell) == other)
            return true;
    return false;
}

void Idle(SpriteInstance* p) {
    Brain& b = gBrain;
    if (b.teleporting || p->jumping || (Buttons() & (kLeft | kRight)) ||
        (Requests() & (kScrollUp | kScrollDown)) || b.dying)
        return;
    Body body = BodyAt(p);
    int32_t cm = b.climbMargin;
    bool above = Q(body.centreX, body.bottom - cm), at = Q(body.centreX, body.bottom),
         below = Q(body.centreX, body.bottom + cm);
    if (at) {
        IdlePose(p);
        if (above && below)
            MoveUp(p);
    } else if (below) {
        IdlePose(p);
        MoveDown(p);
    } else {
        IdleRule(p);
    }
}

// A wall cell inside the body, scanned from one edge inward.
bool WallInside(const Body& body, bool rightSide) {
    for (int32_t k = 0; k <= body.widthProbes; ++k) {
        int32_t x = rightSide ? body.right - k * body.widthStep : body.left + k * body.widthStep;
        for (int32_t y : {body.top, body.middleY, body.bottom}) {
            uint32_t c = ClassOf(CellAtPixel(x, y));
            if (c == 4 || c == (rightSide ? 3u : 2u))
                return true;
        }
    }
    return false;
}

// A vertical scroll may have carried the body into a wall: step back out.
void PushOut(SpriteInstance* p) {
    Brain& b = gBrain;
    uint32_t& req = Requests();
    if (!(req & (kScrollUp | kScrollDown)))
        return;
    bool wallRight = WallInside(BodyAt(p), true);
    bool wallLeft = WallInside(BodyAt(p), false);
    if (wallRight) {
        if ((req & kScrollRight) || b.movedRight) {
            p->x -= b.stepX;
            req &= ~kScrollRight;
        }
        if (!((req & kScrollLeft) && b.movedLeft) && WallInside(BodyAt(p), true))
            MoveLeft(p);
    }
    if (wallLeft) {
        if ((req & kScrollLeft) || b.movedLeft) {
            p->x += b.stepX;
            req &= ~kScrollLeft;
            b.movedLeft = 0;
        }
        if (!((req & kScrollRight) && b.movedRight) && WallInside(BodyAt(p), false))
            MoveRight(p);
    }
}

} // namespace

void Move(SpriteInstance* p) {
    Brain& b = gBrain;
    if (b.bouncing) {
        b.enemyHitThisPress = 0;
        p->jumping = 1;
        Buttons() |= kJump;
        if (b.bounceMode == 2) {
            if (Buttons() & kLeft) {
                Buttons() &= ~kLeft;
                b.facingLeft = 1;
            } else {
                Buttons() |= kRight;
                b.facingLeft = 0;
            }
        } else if (b.bounceMode == 0) {
            if (Buttons() & kRight) {
                Buttons() &= ~kRight;
                b.facingLeft = 0;
            } else {
                Buttons() |= kLeft;
                b.facingLeft = 1;
            }
        }
    } else if (!AttackDown()) {
        b.enemyHitThisPress = 0;
    }

    p->hurt = 0;
    Body body = BodyAt(p);
    uint32_t rightCells[3], leftCells[3];
    int32_t rows[3] = {body.top, body.middleY, body.bottom};
    for (int n = 0; n < 3; ++n) {
        rightCells[n] = CellAtPixel(body.right, rows[n]);
        leftCells[n] = CellAtPixel(body.left, rows[n]);
    }

    BouncePad(p);

    if (AttackDown() && !((Buttons() & kJump) && p->jumping))
        Attack(p);
    else if (Buttons() & kJump)
        Jump(p);
    else
        p->jumping = 0;

    uint32_t buttons = Buttons();
    if ((buttons & kRight) && !AnyClass(rightCells, 3, 4))
        Walk(p, true, false);
    else if (buttons & kRight)
        Walk(p, true, true);
    else if ((buttons & kLeft) && !AnyClass(leftCells, 2, 4))
        Walk(p, false, false);
    else if (buttons & kLeft)
        Walk(p, false, true);
    else if ((buttons & (kUp | kDown)) && !p->jumping)
        ClimbInPlace(p);

    Idle(p);
    PushOut(p);
}

} // namespace pimbrel
