// The player brain's set-up and tear-down: the module state, the sprites it
// finds by name, the teleporter table and helper voice of the level, its
// sounds, the view band, the walk-box table, the player and the status display.
#include "brains/Pimbrel/Pimbrel.h"
#include "common/KnownLevels.h"
#include "platform/Debug.h"
#include "soundfx/SoundFX.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace pimbrel {

Brain gBrain;

namespace {

constexpr const char* kSource = "Pimbrel";
constexpr const char* kMeterLabel = "Health Meter";
constexpr const char* kStatusLabel = "Tolwick's Sprite";

constexpr const char* kSlotFiles[kSoundSlots] = {"data\\QEXASW.004",
                                                 "data\\QEXASW.005",
                                                 "data\\QEXASW.006",
                                                 "data\\QEXASW.007",
                                                 "data\\QEXASW.008",
                                                 "data\\QEXASW.008",
                                                 nullptr,
                                                 "data\\QEXASW.009",
                                                 "data\\QEXASW.010",
                                                 "data\\QEXASW.011",
                                                 "data\\QEXASW.012",
                                                 "data\\QEXASW.013",
                                                 "data\\QEXASW.014",
                                                 "data\\QEXASW.015",
                                                 nullptr};
constexpr const char* kExtraFile = "data\\QEXASW.016";
constexpr const char* kHelperFiles[3] = {"data\\QEXASW.017", "data\\QEXASW.018",
                                         "data\\QEXASW.021"};

const KnownLevel* LevelOf(const Layer* layer) {
    return FindKnownLevel(layer->name);
}

void LowerName(Sprite* sprite) {
    for (char* c = sprite->name; *c; ++c)
        *c = char(std::tolower(static_cast<unsigned char>(*c)));
}

bool Named(Sprite* sprite, const char* name) {
    LowerName(sprite);
    return std::strcmp(sprite->name, name) == 0;
}

// A failure of set-up: what was obtained goes, the record names the place.
int32_t Refuse(const char* label, const char* message) {
    Brain& b = gBrain;
    char location[128]; // the record keeps what fits
    std::snprintf(location, sizeof(location), "Initialize() of %s",
                  label ? label : (b.player ? b.player->name : ""));
    FillError(b.error, kErrorFatal, kSource, location, message);
    ReleaseAll();
    return 0;
}

// The sound library has filled the record itself.
int32_t RefuseQuietly() {
    ReleaseAll();
    return 0;
}

uint32_t InstanceCount(const Sprite* sprite) {
    uint32_t n = 0;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr)
        ++n;
    return n;
}

int32_t TakeHelper(Sprite* helper) {
    Brain& b = gBrain;
    SpriteInstance* h = First(helper);
    if (!h)
        return Refuse(nullptr, "Unable to find an instance of the helper sprite!");
    b.introCountdown = 140;
    b.flyOutCountdown = 120;
    const KnownLevel* level = LevelOf(b.main);
    if (!level) {
        char text[sizeof(b.error->message)];
        std::snprintf(text, sizeof(text), "Unable to find a helper voice for layer %s!",
                      b.main->name);
        return Refuse(nullptr, text);
    }
    // The slots are the brain's from here on, whatever fails next.
    b.helperVoice = h;
    h->sounds[0] = SoundFXGetBuffer(level->voice);
    for (int n = 0; n < 3 && h->sounds[n]; ++n)
        h->sounds[n + 1] = SoundFXGetBuffer(kHelperFiles[n]);
    for (platform::SoundBuffer* s : h->sounds)
        if (!s)
            return RefuseQuietly();
    return 1;
}

// The status display, anywhere in the level; the last match of a name wins.
int32_t BindStatus() {
    Brain& b = gBrain;
    for (Layer* layer = b.page ? b.page->layers.ptr : b.main; layer; layer = layer->next.ptr)
        for (Sprite* s = layer->sprites.ptr; s; s = s->next.ptr) {
            if (Named(s, "health meter"))
                b.healthMeter = s;
            else if (Named(s, "lives"))
                b.livesIcons = s;
            else if (Named(s, "digits"))
                b.digits = s;
            else if (Named(s, "tool icon"))
                b.toolIcon = s;
        }
    if (!b.healthMeter)
        return Refuse(kMeterLabel, "Unable to find the health meter sprite!");
    if (!First(b.healthMeter))
        return Refuse(kMeterLabel, "Unable to find an instance of the health meter sprite!");
    if (!b.digits)
        return Refuse(kStatusLabel, "Unable to find the digits sprite!");
    if (!b.livesIcons)
        return Refuse(kStatusLabel, "Unable to find the lives sprite!");
    if (!b.toolIcon)
        return Refuse(kStatusLabel, "Unable to find the tool icon sprite!");
    if (!First(b.toolIcon))
        return Refuse(kStatusLabel, "Unable to find an instance of the tool icon sprite!");
    if (InstanceCount(b.digits) < 9)
        return Refuse(kStatusLabel, "Unable to find nine instances of the digits sprite!");

    int n = 0;
    for (SpriteInstance* i = b.digits->instances.ptr; i; i = i->next.ptr, ++n) {
        if (n < 9)
            b.digitCells[n] = i;
        else
            i->visible = 0;
    }
    int32_t lives = Player()->lives;
    n = 0;
    for (SpriteInstance* i = b.livesIcons->instances.ptr; i; i = i->next.ptr)
        i->visible = ++n <= lives ? 1 : 0;
    b.hurtCountdown = 20;
    return 1;
}

} // namespace

void ReleaseAll() {
    Brain& b = gBrain;
    for (platform::SoundBuffer*& slot : b.sounds)
        brainkit::DropSound(&slot);
    if (b.extraSound) {
        b.extraSound->Release();
        b.extraSound = nullptr;
    }
    if (b.helperVoice) {
        for (platform::SoundBuffer*& slot : b.helperVoice->sounds)
            brainkit::DropSound(&slot);
        b.helperVoice = nullptr;
    }
    b.table.Free();
}

} // namespace pimbrel

using namespace pimbrel;

PLAYER_BRAIN_MARK;

BRAIN_EXPORT int32_t Initialize(PageRecord* page, Layer* main, Sprite* player,
                                FrameControl* control, uint32_t screenWidth, uint32_t screenHeight,
                                ErrorInfo* error) {
    Brain& b = gBrain;
    ReleaseAll();
    b = Brain{};
    b.page = page;
    b.main = main;
    b.player = player;
    b.control = control;
    b.screenWidth = screenWidth;
    b.screenHeight = screenHeight;
    b.error = error;
    if (!main || !player || !control)
        return Refuse(nullptr, "Unable to start the player without its level!");
    if (main->tileWidth != 16 || main->tileHeight != 16) {
        char text[sizeof(error->message)];
        std::snprintf(text, sizeof(text), "Unable to walk on layer %s: its tiles are not 16 x 16!",
                      main->name);
        return Refuse(nullptr, text);
    }
    if (!First(player))
        return Refuse(nullptr, "Unable to find an instance of the player sprite!");

    b.accelWait = 7;
    b.accelerating = 1;
    player->score = 0;
    b.bounceMode = 3;
    b.introRunning = 1;
    if (const KnownLevel* level = LevelOf(main))
        for (int n = 0; n < 13; ++n) {
            b.teleportTable[n + 1][0] = level->destinations[n][0];
            b.teleportTable[n + 1][1] = level->destinations[n][1];
        }

    for (int slot = 0; slot < kSoundSlots; ++slot) {
        if (!kSlotFiles[slot])
            continue;
        b.sounds[slot] = SoundFXGetBuffer(kSlotFiles[slot]);
        if (!b.sounds[slot])
            return RefuseQuietly();
    }
    b.extraSound = SoundFXGetBuffer(kExtraFile);
    if (!b.extraSound)
        return RefuseQuietly();

    for (Sprite* s = main->sprites.ptr; s; s = s->next.ptr) {
        if (Named(s, "ora")) {
            b.aura = s;
        } else if (Named(s, "continue")) {
            for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr)
                i->alive = 1;
        } else if (Named(s, "boss")) {
            b.boss = s;
        }
    }
    int32_t number = 1;
    for (Sprite* s = main->sprites.ptr; s; s = s->next.ptr)
        if (Named(s, "teleport"))
            for (SpriteInstance* i = s->instances.ptr; i; i = i->next.ptr)
                i->number = number++;

    Layer* helperLayer = main->next.ptr;
    if (!helperLayer)
        return Refuse(nullptr, "Unable to find layer for helper sprite!");
    for (Sprite* s = helperLayer->sprites.ptr; s; s = s->next.ptr) {
        if (Named(s, "helper")) {
            b.helper = s;
            if (!TakeHelper(s))
                return 0;
        } else if (Named(s, "spirit")) {
            b.spirit = s;
            if (SpriteInstance* i = First(s))
                i->visible = 0;
        }
    }
    if (!b.helper)
        return Refuse(nullptr, "Unable to find the helper sprite!");
    if (!First(b.spirit))
        return Refuse(nullptr, b.spirit ? "Unable to find an instance of the spirit sprite!"
                                        : "Unable to find the spirit sprite!");

    SpriteInstance* at = Player();
    if (!b.aura)
        return Refuse(nullptr, "Unable to find aura sprite!");
    if (!First(b.aura))
        return Refuse(nullptr, "Unable to find an instance of the aura sprite!");
    First(b.aura)->x = at->x;
    First(b.aura)->y = at->y;

    b.stepX = int32_t(main->stepX);
    b.stepY = int32_t(main->stepY);
    b.climbMargin = b.stepY - 1;
    b.stepMarginX = b.stepX - 1;
    b.layerWidth = int32_t(main->tileWidth * main->columns);
    b.layerHeight = int32_t(main->tileHeight * main->rows);
    b.viewLeft = int32_t((screenWidth - player->frameWidth) / 2 - 1);
    b.viewRight = b.layerWidth - int32_t(player->frameWidth) - b.viewLeft;
    b.viewTop = int32_t((screenHeight - player->frameHeight) / 2 - 1);
    b.viewBottom = b.layerHeight - int32_t(player->frameHeight) - b.viewTop;

    if (!brainkit::BuildWalkBoxes(&b.table, main, player, true, error, kSource)) {
        ReleaseAll();
        return 0;
    }

    for (SpriteInstance* i = player->instances.ptr; i; i = i->next.ptr) {
        i->health = 100;
        i->lives = int32_t(control->lives);
        i->number = 0;
        i->alive = 1;
        i->invincible = 0;
        i->lastButtons = 0;
        i->frame = player->frameCount ? player->frameCount - 1 : 0;
        i->jumpLimit = 32;
    }
    b.startX = b.respawnX = at->x;
    b.startY = b.respawnY = at->y - 4;
    b.auraTick = 0;

    if (!BindStatus())
        return 0;

    SpriteInstance* h = First(b.helper);
    h->x += 480;
    h->y -= 480;
    return 1;
}

BRAIN_EXPORT int32_t Labotamize() {
    ReleaseAll();
    gBrain = Brain{};
    return 1;
}
