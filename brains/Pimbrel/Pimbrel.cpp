// The player brain's frame step: the helper's introduction, death and the
// rising spirit, respawn and game over, teleporting, the end of the level,
// invincibility, damage, and the status display; movement and contacts are
// called at their fixed places.
#include "brains/Pimbrel/Pimbrel.h"
#include "soundfx/SoundFX.h"

namespace pimbrel {

uint32_t CellAt(int32_t row, int32_t column) {
    const Layer* layer = gBrain.main;
    if (!layer->maskData.ptr || row < 0 || column < 0 || uint32_t(row) >= layer->rows ||
        uint32_t(column) >= layer->columns)
        return 15u << 17;
    return layer->maskData.ptr[size_t(row) * layer->columns + size_t(column)];
}

bool Playing(platform::SoundBuffer* buffer) {
    uint32_t status = 0;
    return buffer && buffer->GetStatus(&status) == platform::kOk &&
           (status & platform::DSBSTATUS_PLAYING);
}

void Play(platform::SoundBuffer* buffer, SpriteInstance* source, bool loop) {
    if (buffer)
        SoundFXPlaySpriteSound(gBrain.main, source, buffer, loop ? 1 : 0);
}

void PlaySlot(int slot, bool loop) {
    Play(gBrain.sounds[slot], Player(), loop);
}

void StopSlot(int slot) {
    if (gBrain.sounds[slot])
        gBrain.sounds[slot]->Stop();
}

Body BodyAt(const SpriteInstance* player) {
    const brainkit::WalkBox& e = gBrain.entry;
    Body body;
    body.left = player->x + e.left;
    body.right = player->x + e.right;
    body.centreX = player->x + e.halfWidth + 16;
    body.top = player->y + e.top;
    body.bottom = player->y + e.bottom;
    body.middleY = player->y + e.halfHeight;
    body.widthProbes = e.widthProbes;
    body.widthStep = e.widthStep;
    return body;
}

namespace {

SpriteInstance* Aura() {
    return First(gBrain.aura);
}

void ShowAura(uint32_t frame) {
    SpriteInstance* aura = Aura();
    aura->visible = 1;
    aura->frame = frame;
}

void DeathSequence(SpriteInstance* p) {
    Brain& b = gBrain;
    b.control->requests = 0;
    b.control->buttons = 0;
    b.bouncing = 0;
    b.attacking = 0;
    b.onBouncePad = 0;
    p->jumping = 0;
    SpriteInstance* spirit = First(b.spirit);
    if (p->visible) {
        p->visible = 0;
        spirit->x = p->x;
        spirit->y = p->y;
        spirit->visible = 1;
        spirit->tick = 240;
        Play(b.sounds[kSlotDeath], spirit);
    } else if (spirit->tick > 0) {
        --spirit->tick;
        spirit->y -= 2;
    } else if (!Playing(b.sounds[kSlotDeath])) {
        if (p->health != 0) {
            b.dying = 0;
            p->x = b.respawnX;
            p->y = b.respawnY;
            p->visible = 1;
            spirit->visible = 0;
            b.control->requests = kRecentre;
        } else {
            b.levelOver = 1;
            p->alive = 0;
            b.control->lives = 0;
        }
    }
}

void Teleport(SpriteInstance* p) {
    Brain& b = gBrain;
    if (Playing(b.sounds[kSlotTeleport])) {
        b.control->requests = 0;
        b.control->buttons = 0;
        p->jumping = 0;
        b.bouncing = 0;
        b.attacking = 0;
        b.onBouncePad = 0;
        return;
    }
    p->x = b.teleportX;
    p->y = b.teleportY;
    b.control->requests = kRecentre;
    b.teleporting = 0;
    if (b.invincibleTicks < 150) {
        b.invincibleTicks = 150;
        b.auraTick = 0;
        ShowAura(3);
        p->invincible = 1;
    }
}

// The helper flies in, speaks, bobs while it speaks, and flies out.
void Introduction(SpriteInstance* p) {
    Brain& b = gBrain;
    SpriteInstance* h = First(b.helper);
    platform::SoundBuffer* voice = h->sounds[0];
    if (b.introCountdown > 20) {
        h->x -= 4;
        h->y += 4;
        --b.introCountdown;
    } else if (b.introCountdown == 20) {
        Play(voice, p);
        b.bobbingDown = 0;
        b.introCountdown = 19;
    } else if (Playing(voice)) {
        if (b.control->buttons & (kJump | kAttack)) {
            voice->Stop();
            Play(h->sounds[1], p);
        }
        if (h->tick == 0) {
            if (b.introCountdown > 0 && b.bobbingDown == 0) {
                --b.introCountdown;
                --h->y;
            } else {
                b.bobbingDown = 1;
            }
            if (b.introCountdown < 20 && b.bobbingDown == 1) {
                ++b.introCountdown;
                ++h->y;
            } else {
                b.bobbingDown = 0;
            }
        }
    } else if (b.flyOutCountdown > 0) {
        h->y -= 4;
        if (--b.flyOutCountdown == 0) {
            h->visible = 0;
            b.introRunning = 0;
        }
    }
    if (h->tick == 0) {
        h->tick = 2;
        if (++h->frame >= b.helper->frameCount)
            h->frame = 0;
    } else {
        --h->tick;
    }
    b.control->buttons = 0;
}

void Invincibility(SpriteInstance* p) {
    Brain& b = gBrain;
    SpriteInstance* aura = Aura();
    if (b.invincibleTicks == 0) {
        p->invincible = 0;
        aura->visible = 0;
        return;
    }
    if (b.invincibleTicks >= 150 || b.invincibleTicks % 20 >= 9)
        aura->visible = 1;
    --b.invincibleTicks;
    if (++b.auraTick > 3) {
        b.auraTick = 0;
        if (++aura->frame > 5)
            aura->frame = 3;
    }
}

void StatusDisplay(SpriteInstance* p) {
    Brain& b = gBrain;
    int32_t score = b.player->score;
    if (score > 9999999)
        score -= 10000000;
    uint32_t shown = score > 0 ? uint32_t(score) : 0;
    for (int k = 0; k < 7; ++k, shown /= 10)
        b.digitCells[k]->frame = shown % 10;
    if (p->number < 99 && p->number >= 0) {
        b.digitCells[7]->frame = uint32_t(p->number % 10);
        b.digitCells[8]->frame = uint32_t(p->number / 10);
    }
    SpriteInstance* icon = First(b.toolIcon);
    if (++icon->tick >= 10) {
        icon->tick = 0;
        if (icon->frame == 0 || icon->frame >= b.toolIcon->frameCount)
            icon->frame = b.toolIcon->frameCount ? b.toolIcon->frameCount - 1 : 0;
        else
            --icon->frame;
    }
}

void Damage(SpriteInstance* p, int32_t damage) {
    Brain& b = gBrain;
    // Fallen out of the bottom of the map: the life is lost as in a hazard,
    // rather than falling for ever.
    if (!b.dying && !b.levelOver && BodyAt(p).top >= b.layerHeight)
        p->health = 0;
    if (p->hurt != 1 || p->invincible || b.teleporting || b.levelOver) {
        b.hurtCountdown = 20;
    } else {
        --b.hurtCountdown;
        if (b.hurtCountdown < 10)
            ShowAura(0);
        if (b.hurtCountdown <= 0) {
            if (!Playing(b.sounds[kSlotDamage]))
                PlaySlot(kSlotDamage);
            b.hurtCountdown = 20;
            p->health -= 10 * damage;
            if (p->health < 0)
                p->health = 0;
        }
    }
    int32_t meter = 10 - p->health / 10;
    First(b.healthMeter)->frame = uint32_t(meter < 0 ? 0 : meter);
}

void DeathCheck(SpriteInstance* p) {
    Brain& b = gBrain;
    if (p->health == 0 && b.dying == 0) {
        b.dying = 1;
        if (p->lives > 0) {
            --p->lives;
            p->health = 100;
        }
    }
    int32_t n = 0;
    for (SpriteInstance* i = b.livesIcons->instances.ptr; i; i = i->next.ptr)
        i->visible = ++n <= p->lives ? 1 : 0;
}

} // namespace
} // namespace pimbrel

using namespace pimbrel;

BRAIN_EXPORT int32_t Think() {
    Brain& b = gBrain;
    SpriteInstance* p = Player();
    if (!p || !b.table.block)
        return 1; // never set up: nothing to drive
    FrameControl* fc = b.control;

    b.entry = b.table.At(p->frame);
    fc->requests = 0;
    Aura()->visible = 0;
    b.movedRight = 0;
    b.movedLeft = 0;
    b.attacking = 0;
    if (fc->buttons & kToggle)
        b.instantStart ^= 1;
    if (!InStrike(p->frame) || (!(fc->buttons & kAttack) && b.bouncing == 0))
        StopSlot(kSlotSwing);

    if (b.dying == 1)
        DeathSequence(p);
    if (b.levelOver == 1) {
        fc->requests = kEndLevel;
        fc->lives = uint32_t(p->lives);
        if (p->health == 0)
            p->alive = 0;
        fc->buttons = 0;
    }
    if (b.teleporting == 1)
        Teleport(p);
    if (b.introRunning == 1)
        Introduction(p);
    if (b.invincibleTicks == 0)
        p->invincible = 0;

    Move(p);

    Aura()->x = p->x;
    Aura()->y = p->y - 8;
    int32_t damage = Contacts(p, BodyAt(p));
    Invincibility(p);
    StatusDisplay(p);
    Damage(p, damage);
    DeathCheck(p);

    if (!b.movedRight && !b.movedLeft)
        b.accelerating = b.instantStart == 0 ? 1 : 0;
    p->lastButtons = int32_t(fc->buttons);
    if (p->visible && b.teleporting == 0) {
        if (p->frame == 16 || p->frame == 21)
            PlaySlot(kSlotStepLeft);
        if (p->frame == 26 || p->frame == 31)
            PlaySlot(kSlotStepRight);
    }
    return 1;
}
