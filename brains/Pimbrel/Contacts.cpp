// The player's contacts of one frame: hazard cells under the body, then the
// boxes of the main layer's live sprites, each by its kind: pickups,
// teleporters, checkpoints and the exit, and foes struck, dashed or touched.
#include "brains/Pimbrel/Pimbrel.h"
#include "platform/Debug.h"
#include "platform/Random.h"

#include <cstring>

namespace pimbrel {
namespace {

struct Hit {
    Sprite* sprite;
    SpriteInstance* instance;
    int side; // 1: the box's centre lies right of the player's left edge
};

bool Inside(int32_t v, int32_t low, int32_t high) {
    return v >= low && v < high;
}

bool Overlap(int32_t lowA, int32_t highA, int32_t lowB, int32_t highB) {
    return Inside(lowA, lowB, highB) || Inside(highA, lowB, highB) || Inside(lowB, lowA, highA) ||
           Inside(highB, lowA, highA);
}

const FrameRecord* FrameOf(const Sprite* s, const SpriteInstance* i) {
    if (!s->frames.ptr || i->frame >= s->frameCount)
        return nullptr;
    return &s->frames.ptr[i->frame];
}

uint32_t BoxCount(const FrameRecord* f) {
    return f ? (f->boxCount < 32 ? f->boxCount : 32) : 0;
}

int32_t HazardCells(SpriteInstance* p, const Body& body) {
    int32_t cells[4][2] = {{body.bottom, body.centreX},
                           {body.middleY, body.centreX},
                           {body.top, body.centreX},
                           {body.middleY, body.left}};
    for (auto& at : cells) {
        uint32_t cell = CellAtPixel(at[1], at[0]);
        if (ClassOf(cell) != 15 && HazardOf(cell) != 0) {
            if (p->visible)
                p->hurt = 1;
            return int32_t(HazardOf(cell));
        }
    }
    // The body's right edge names a damage but does not hurt on its own.
    uint32_t cell = CellAtPixel(body.right, body.middleY);
    if (ClassOf(cell) != 15 && HazardOf(cell) != 0)
        return int32_t(HazardOf(cell));
    return 0;
}

int FillHitList(const Body& body, Hit (&hits)[kHitListSize]) {
    int count = 0;
    for (Sprite* s = gBrain.main->sprites.ptr; s; s = s->next.ptr)
        for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr) {
            if (i->alive == 0)
                continue;
            const FrameRecord* f = FrameOf(s, i);
            for (uint32_t n = 0; n < BoxCount(f); ++n) {
                const FrameBox& box = f->boxes[n];
                int32_t left = i->x + box.left, right = i->x + box.right;
                int32_t top = i->y + box.top, bottom = i->y + box.bottom;
                if (!Overlap(body.left, body.right, left, right) ||
                    !Overlap(body.top, body.bottom, top, bottom))
                    continue;
                int side = body.left < left + (right - left) / 2 ? 1 : 2;
                hits[count++] = {s, i, side};
                if (count == kHitListSize)
                    return count;
            }
        }
    return count;
}

// A destination in the table the level filled, or none.
bool Destination(SpriteInstance* teleporter, int32_t* x, int32_t* y) {
    Brain& b = gBrain;
    int32_t n = teleporter->number;
    if (n < 1 || n >= kTeleporters || (b.teleportTable[n][0] == 0 && b.teleportTable[n][1] == 0)) {
        for (int k = 0; k < b.refusedCount; ++k)
            if (b.refusedTeleporters[k] == teleporter)
                return false;
        // Past the list's room the rest go unnamed rather than every frame.
        if (b.refusedCount == int(sizeof(b.refusedTeleporters) / sizeof(b.refusedTeleporters[0])))
            return false;
        b.refusedTeleporters[b.refusedCount++] = teleporter;
        platform::DebugPrintf("Pimbrel: teleporter %d at %d, %d has no destination on %s\n", n,
                              teleporter->x, teleporter->y, b.main->name);
        return false;
    }
    *x = b.teleportTable[n][0];
    *y = b.teleportTable[n][1];
    return true;
}

void TakeTeleporter(SpriteInstance* p, const Hit& hit) {
    Brain& b = gBrain;
    if (b.teleporting)
        return;
    int32_t x = b.startX, y = b.startY;
    if (std::strcmp(hit.sprite->name, "home teleporter") != 0 && !Destination(hit.instance, &x, &y))
        return;
    b.teleporting = 1;
    b.control->buttons = 0;
    b.control->requests = 0;
    b.onBouncePad = 0;
    b.bouncing = 0;
    b.bounceMode = 3;
    p->jumping = 0;
    p->jumpTicks = 0;
    p->jumpLimit = 32;
    b.teleportX = x;
    b.teleportY = y - 8;
    PlaySlot(kSlotTeleport);
}

void Checkpoint(SpriteInstance* p, const Hit& hit) {
    Brain& b = gBrain;
    if (b.checkpointHeld)
        return;
    b.checkpointHeld = 1;
    SpriteInstance* i = hit.instance;
    if (i->frame == 0) {
        b.respawnX = p->x;
        b.respawnY = p->y - 4;
        i->alive = 0;
        i->frame = 1;
    } else if (i->frame == 2) {
        SpriteInstance* h = First(b.helper);
        if (p->number < 20) {
            Play(h->sounds[2], p);
        } else if (b.boss && First(b.boss) && First(b.boss)->alive == 1) {
            Play(h->sounds[3], p);
        } else {
            b.levelOver = 1;
            b.control->lives = uint32_t(p->lives);
        }
    }
}

// The precise test of a strike: the player's centre and feet on the foe's
// box, widened by 8 pixels each side; a boss only on its last box.
bool StrikeLands(const Body& body, const Hit& hit) {
    const FrameRecord* f = FrameOf(hit.sprite, hit.instance);
    uint32_t count = BoxCount(f);
    uint32_t first = std::strcmp(hit.sprite->name, "boss") == 0 && count > 0 ? count - 1 : 0;
    const SpriteInstance* i = hit.instance;
    for (uint32_t n = first; n < count; ++n) {
        const FrameBox& box = f->boxes[n];
        if (Inside(body.centreX, i->x + box.left - 8, i->x + box.right + 8) &&
            Inside(body.bottom, i->y + box.top, i->y + box.bottom))
            return true;
    }
    return false;
}

void Hurt(SpriteInstance* p, int32_t* damage) {
    p->hurt = 1;
    if (*damage == 0)
        *damage = 1;
}

void Foe(SpriteInstance* p, const Body& body, const Hit& hit, int32_t* damage, bool* struck) {
    Brain& b = gBrain;
    SpriteInstance* foe = hit.instance;
    if (b.enemyHitThisPress)
        return;
    if (b.attacking && InStrike(p->frame)) {
        if (b.bouncing || *struck || !StrikeLands(body, hit))
            return;
        if (foe->alive == 1) {
            b.bounceMode = platform::Rand() % 3;
            b.bouncing = 1;
            p->jumpLimit = 96;
            b.player->score += hit.sprite->points;
            --foe->health;
            PlaySlot(kSlotEnemyHit);
            b.enemyHitThisPress = 1;
            *struck = true;
        } else {
            Hurt(p, damage);
        }
    } else if (b.attacking) {
        bool facing = (!b.facingLeft && hit.side == 1) || (b.facingLeft && hit.side == 2);
        if (foe->alive == 1 && facing) {
            if (std::strcmp(hit.sprite->name, "boss") != 0) {
                PlaySlot(kSlotEnemyHit);
                --foe->health;
                b.player->score += hit.sprite->points;
                b.enemyHitThisPress = 1;
                b.dashPushTicks = 8;
            }
        } else {
            Hurt(p, damage);
        }
    } else if (b.bouncing == 0 && p->invincible == 0 && p->visible) {
        Hurt(p, damage);
    }
}

} // namespace

int32_t Contacts(SpriteInstance* p, const Body& body) {
    Brain& b = gBrain;
    int32_t damage = HazardCells(p, body);
    Hit hits[kHitListSize];
    int count = FillHitList(body, hits);
    bool checkpoint = false, struck = false;
    for (int n = 0; n < count; ++n) {
        const Hit& hit = hits[n];
        Sprite* s = hit.sprite;
        SpriteInstance* i = hit.instance;
        if (s->isGoodie) {
            i->alive = 0;
            b.player->score += s->points;
        } else if (s->isTool) {
            i->alive = 0;
            ++p->number;
        } else if (s->isInvincibility) {
            PlaySlot(kSlotInvincible);
            i->alive = 0;
            b.auraTick = 0;
            b.invincibleTicks = 700;
            SpriteInstance* aura = First(b.aura);
            aura->visible = 1;
            aura->frame = 3;
            p->invincible = 1;
        } else if (s->isHealth) {
            if (p->health < 100) {
                PlaySlot(kSlotHealth);
                i->alive = 0;
                p->health = p->health + 20 > 100 ? 100 : p->health + 20;
            }
        } else if (s->isTeleporter) {
            TakeTeleporter(p, hit);
        } else if (s->isExtraLife) {
            if (p->lives < 5) {
                PlaySlot(kSlotExtraLife);
                i->alive = 0;
                ++p->lives;
            }
        } else if (s->isPlatform) {
        } else if (std::strcmp(s->name, "continue") == 0) {
            checkpoint = true;
            Checkpoint(p, hit);
        } else {
            Foe(p, body, hit, &damage, &struck);
        }
    }
    if (!checkpoint)
        b.checkpointHeld = 0;
    return damage;
}

} // namespace pimbrel
