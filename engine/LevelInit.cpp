// Level set-up: sheets and tile sets onto surfaces, the brain plug-ins loaded
// and initialised, the player and platform sprites sorted out, the camera
// placed on the player.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/LevelEngine.h"
#include "platform/Files.h"
#include "platform/Modules.h"

#include <cctype>
#include <cstdio>
#include <cstring>

Sprite* gPlayerSprite;
Layer* gMainLayer;

namespace {

void InitError(const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "LevelEngine", "LevelInit()", message);
}

void Unload(Sprite* sprite, platform::Module* module) {
    platform::ModuleUnload(module);
    sprite->brainModule = nullptr;
    sprite->think = nullptr;
    sprite->labotamize = nullptr;
}

// A level needs a main layer and exactly one player sprite with a brain;
// without them there is no camera and no player entry to call.
bool CheckPlayable() {
    bool hasMain = false;
    int players = 0;
    bool playerHasBrain = true;
    for (Layer* layer = gPage.layers.ptr; layer; layer = layer->next.ptr) {
        hasMain |= layer->isMainLayer == 1;
        for (Sprite* sprite = layer->sprites.ptr; sprite; sprite = sprite->next.ptr) {
            if (sprite->isPlayer == 1) {
                ++players;
                playerHasBrain &= sprite->brainFile[0] != '\0';
            }
        }
    }
    if (!hasMain) {
        InitError("Unable to start level: it has no main layer!");
        return false;
    }
    if (players != 1 || !playerHasBrain) {
        InitError("Unable to start level: it needs exactly one player sprite with a brain!");
        return false;
    }
    return true;
}

// Loads the sprite's brain and binds its entries; a sprite other than the
// player is initialised at once, the player's entry is handed back.
bool LoadBrain(Layer* layer, Sprite* sprite, PlayerInitializeFn* playerInit) {
    char path[5 + sizeof(sprite->brainFile)];
    std::snprintf(path, sizeof(path), "data\\%s", sprite->brainFile);
    platform::Module* module =
        platform::NameStaysInside(sprite->brainFile) ? platform::ModuleLoad(path) : nullptr;
    if (!module) {
        InitError("Unable to load brain DLL!");
        return false;
    }
    void* init = platform::ModuleSymbol(module, "Initialize");
    // Only the player sprite may be given a player brain's entry.
    if (!init || (sprite->isPlayer != 1 && platform::ModuleSymbol(module, kPlayerBrainMark))) {
        InitError("Unable to get brain Initialization function!");
        platform::ModuleUnload(module);
        return false;
    }
    if (sprite->isPlayer == 1) {
        *playerInit = reinterpret_cast<PlayerInitializeFn>(init);
    } else if (!reinterpret_cast<BrainInitializeFn>(init)(layer, sprite, &gFrameControl,
                                                          gPage.screenWidth, gPage.screenHeight,
                                                          &gErrorInfo)) {
        platform::ModuleUnload(module); // the brain has filled the record
        return false;
    }
    sprite->think = reinterpret_cast<BrainThinkFn>(platform::ModuleSymbol(module, "Think"));
    if (!sprite->think) {
        InitError("Unable to get brain AI function!");
        Unload(sprite, module);
        return false;
    }
    sprite->labotamize =
        reinterpret_cast<BrainLabotamizeFn>(platform::ModuleSymbol(module, "Labotamize"));
    if (!sprite->labotamize) {
        InitError("Labotomy function failed!");
        Unload(sprite, module);
        return false;
    }
    sprite->brainModule = module;
    return true;
}

void ShowInstances(Sprite* sprite) {
    if (!sprite->instances.ptr)
        return;
    for (char* c = sprite->name; *c; ++c)
        *c = static_cast<char>(std::tolower(static_cast<unsigned char>(*c)));
    if (std::strcmp(sprite->name, "lives") == 0)
        return; // the lives display starts hidden
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr)
        i->visible = 1;
}

// Moves every sprite of the regular list for which `pick` holds to the tail
// of `to`; the others keep their order.
template <class Pick> void MoveSprites(Layer* layer, PtrPair<Sprite>* to, Pick pick) {
    PtrPair<Sprite>* link = &layer->sprites;
    while (link->ptr) {
        Sprite* sprite = link->ptr;
        if (!pick(sprite)) {
            link = &sprite->next;
            continue;
        }
        PtrPair<Sprite> moved = *link;
        *link = sprite->next;
        sprite->next = {};
        PtrPair<Sprite>* tail = to;
        while (tail->ptr)
            tail = &tail->ptr->next;
        *tail = moved;
    }
}

// Steps of a layer for `steps` steps of the camera: each step adds `step`
// pixels, and reaching the tile size starts the next cell at 0.
void Advance(int64_t steps, uint32_t step, uint32_t tileSize, int32_t* sub, int32_t* cell) {
    *sub = 0;
    *cell = 0;
    if (steps <= 0 || step == 0)
        return;
    if (step >= tileSize) {
        *cell = static_cast<int32_t>(steps);
        return;
    }
    int64_t period = (tileSize + step - 1) / step; // steps per cell
    *cell = static_cast<int32_t>(steps / period);
    *sub = static_cast<int32_t>((steps % period) * step);
}

int32_t CameraFor(int32_t position, uint32_t screen, uint32_t frame, int32_t limit) {
    int64_t half = int64_t(screen / 2) - int64_t(frame / 2);
    int64_t camera = position < half ? 0 : position - half;
    if (camera > limit)
        camera = limit;
    return static_cast<int32_t>(camera);
}

} // namespace

void SetLayerScroll(int32_t cameraX, int32_t cameraY) {
    if (!gMainLayer)
        return;
    int64_t stepsX = cameraX > 0 && gMainLayer->stepX ? cameraX / int64_t(gMainLayer->stepX) : 0;
    int64_t stepsY = cameraY > 0 && gMainLayer->stepY ? cameraY / int64_t(gMainLayer->stepY) : 0;
    for (Layer* layer = gPage.layers.ptr; layer; layer = layer->next.ptr) {
        Advance(stepsX, layer->stepX, layer->tileWidth, &layer->scrollSubX, &layer->scrollColumn);
        Advance(stepsY, layer->stepY, layer->tileHeight, &layer->scrollSubY, &layer->scrollRow);
    }
}

void CentreCameraOnPlayer(Layer* layer, int32_t* cameraX, int32_t* cameraY) {
    *cameraX = 0;
    *cameraY = 0;
    SpriteInstance* at = gPlayerSprite ? gPlayerSprite->instances.ptr : nullptr;
    if (!at || !layer)
        return;
    if (layer->stepX)
        at->x -= at->x % static_cast<int32_t>(layer->stepX);
    if (layer->stepY)
        at->y -= at->y % static_cast<int32_t>(layer->stepY);
    *cameraX = CameraFor(at->x, gPage.screenWidth, gPlayerSprite->frameWidth, layer->maxScrollX);
    *cameraY = CameraFor(at->y, gPage.screenHeight, gPlayerSprite->frameHeight, layer->maxScrollY);
}

int LevelInit() {
    gPlayerSprite = nullptr;
    gMainLayer = nullptr;
    if (!CheckPlayable())
        return 0;
    PlayerInitializeFn playerInit = nullptr;
    int32_t cameraX = 0, cameraY = 0;
    for (Layer* layer = gPage.layers.ptr; layer; layer = layer->next.ptr) {
        if (layer->isMainLayer == 1)
            gMainLayer = layer; // the last one marked wins
        for (int slot = 0; slot < 16; ++slot)
            if (layer->tileSets[slot] && !LoadTileSet(layer->tileSets[slot]))
                return 0;
        for (Sprite* sprite = layer->sprites.ptr; sprite; sprite = sprite->next.ptr) {
            if (!LoadSprite(sprite, 0))
                return 0;
            ShowInstances(sprite);
            if (sprite->brainFile[0] && !LoadBrain(layer, sprite, &playerInit))
                return 0;
            if (sprite->isPlayer == 1) {
                gPlayerSprite = sprite;
                CentreCameraOnPlayer(layer, &cameraX, &cameraY);
            }
        }
        MoveSprites(layer, &layer->players, [](Sprite* s) { return s->isPlayer == 1; });
        MoveSprites(layer, &layer->platforms, [](Sprite* s) { return s->isPlatform == 1; });
    }
    if (!playerInit || !gPlayerSprite || !gMainLayer) {
        // The check above rules this out; it stays so no path calls a null entry.
        InitError("Unable to start level: it needs exactly one player sprite with a brain!");
        return 0;
    }
    if (!playerInit(&gPage, gMainLayer, gPlayerSprite, &gFrameControl, gPage.screenWidth,
                    gPage.screenHeight, &gErrorInfo)) {
        // Unloaded and forgotten, so the tear-down does not call into it.
        Unload(gPlayerSprite, static_cast<platform::Module*>(gPlayerSprite->brainModule));
        return 0;
    }
    SetLayerScroll(cameraX, cameraY);
    return 1;
}
