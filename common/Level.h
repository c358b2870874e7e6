// The in-memory records of a page, shared by pointer between the engine and the
// brain and menu plug-ins. Field order is the contract; every record comes from
// AllocAligned and is owned through a {block, usable} pointer pair.
#pragma once

#include "ErrorInfo.h"
#include "PlatformTypes.h"

#include <cstddef>
#include <cstdint>

template <class T> struct PtrPair {
    void* block; // what free() takes
    T* ptr;      // the usable, 32-byte aligned address; what readers walk
};

struct Layer;
struct Sprite;
struct SpriteInstance;
struct SpriteSequence;
struct SpriteSound;
struct LayerSound;
struct MenuPage;
struct TileSet;
struct PageRecord;
struct FrameControl;
struct MenuControl;
struct InputState;

enum PageType : int32_t { kPageCutscene = 0, kPageMenu = 1, kPageLevel = 2 };

// Plug-in entry points (plain C functions in the plug-ins).
extern "C" {
typedef int32_t (*MenuInitFn)(DisplayHandles*, InputState*, PageRecord*, ErrorInfo*, MenuControl*);
typedef int32_t (*MenuEngineFn)();
typedef int32_t (*MenuCleanupFn)();
typedef int32_t (*BrainInitializeFn)(Layer*, Sprite*, FrameControl*, uint32_t, uint32_t,
                                     ErrorInfo*);
typedef int32_t (*PlayerInitializeFn)(PageRecord*, Layer*, Sprite*, FrameControl*, uint32_t,
                                      uint32_t, ErrorInfo*);
typedef int32_t (*BrainThinkFn)();
typedef int32_t (*BrainLabotamizeFn)();
}

// One frame of a sprite sheet, stored in the sheet file as it is here.
struct FrameBox {
    int32_t left, top, right, bottom, extra;
};
struct FrameRecord {
    uint32_t boxCount;
    FrameBox boxes[32];
};
static_assert(sizeof(FrameRecord) == 644, "frame records are read from sheet files as-is");

struct TileSet {
    platform::Surface* surface;
    uint32_t bitmapWidth, bitmapHeight;
    platform::Bitmap* bitmap; // only while loading
    uint32_t tilesAcross, tilesDown;
    int32_t slot;
    uint32_t tileWidth, tileHeight;
    char fileName[40];
};

struct SpriteInstance {
    uint32_t locationCount;
    uint32_t frame;
    // Owned by the brains.
    int32_t health, lastButtons, tick, timer, number, lives, direction, unnamed1;
    int32_t heading, jumping, jumpTicks, jumpLimit, dashTicks, unnamed2, phase, invincible, hurt;
    int32_t visible;
    int32_t alive;
    platform::SoundBuffer* sounds[4];
    int32_t words[8];
    int32_t x, y;
    PtrPair<SpriteInstance> next;
};

struct SpriteSequence {
    char name[64];
    char name2[64];
    uint32_t value1, value2; // u16 in the file
    uint32_t value3, value4;
    PtrPair<SpriteSequence> next;
};

struct SpriteSound {
    char name[64];
    char waveFile[64];
    uint32_t frameCount;
    PtrPair<uint32_t> frames;
    PtrPair<SpriteSound> next;
};

struct LayerSound {
    char name[64];
    char waveFile[64];
    uint32_t pointCount, columnCount, rowCount;
    PtrPair<uint32_t> points; // 2 per point
    PtrPair<uint32_t> columns;
    PtrPair<uint32_t> rows;
    PtrPair<LayerSound> next;
};

struct Sprite {
    void* brainModule;
    BrainThinkFn think;
    BrainLabotamizeFn labotamize;
    platform::Surface* surface;
    platform::Bitmap* bitmap; // only while loading
    PtrPair<SpriteInstance> instances;
    uint32_t instanceCount;
    PtrPair<SpriteSequence> sequences;
    uint32_t sequenceCount;
    PtrPair<SpriteSound> sounds;
    PtrPair<FrameRecord> frames;
    uint32_t soundCount;
    uint32_t framesPerRow;
    uint32_t sheetValue; // kept from the sheet header, not interpreted
    uint32_t frameCount;
    int32_t score;
    uint32_t spriteParam1, spriteParam2, spriteParam3;
    int32_t points;
    int32_t spriteParam4;
    uint32_t spriteParam5, spriteParam6, spriteParam7, spriteParam8, spriteParam9;
    uint32_t spriteParam10, spriteParam11, spriteParam12, spriteParam13, spriteParam14,
        spriteParam15, spriteParam16;
    int32_t isPlayer;
    int32_t isPlatform;
    int32_t isGoodie, isTeleporter, isInvincibility, isExtraLife, isHealth, isTool;
    uint32_t frameWidth, frameHeight;
    char name[64];
    char sheetFile[64];
    char brainFile[64];
    PtrPair<Sprite> next;
};

struct Layer {
    platform::Surface* surface; // released at free when set
    int32_t scrollColumn, scrollRow;
    int32_t scrollSubX, scrollSubY;
    uint32_t fullColumns, fullRows;
    int32_t firstColumnWidth;
    uint32_t lastColumnWidth;
    int32_t firstRowHeight;
    uint32_t lastRowHeight;
    int32_t maxScrollX, maxScrollY;
    uint32_t unused1; // u16 in the file
    uint32_t stepX, stepY;
    uint32_t unused2, unused3;
    uint32_t isMainLayer;
    char name[64];
    uint32_t opaque;
    uint32_t columns, rows;
    PtrPair<uint16_t> tileMap;
    int32_t maskStride;
    uint32_t unused4, unused5, unused6; // u16 in the file
    uint32_t maskBytes;
    PtrPair<uint32_t> maskData;
    PtrPair<uint8_t> maskBitmap;
    PtrPair<uint16_t> maskBits;
    uint32_t tileSetCount;
    uint32_t tileWidth, tileHeight;
    uint32_t halfTileWidth, halfTileHeight;
    void* tileSetBlocks[16];
    TileSet* tileSets[16];
    uint32_t playerCount; // stays 0
    PtrPair<Sprite> players;
    uint32_t platformCount; // stays 0
    PtrPair<Sprite> platforms;
    uint32_t spriteCount;
    PtrPair<Sprite> sprites;
    uint32_t layerSoundCount;
    PtrPair<LayerSound> layerSounds;
    PtrPair<Layer> next;
};

struct MenuPage {
    char name[64];
    char name2[64]; // the page's bitmap file
    platform::Surface* surface;
    uint32_t menuSpriteCount;
    PtrPair<Sprite> sprites;
    PtrPair<MenuPage> next;
};

struct PageRecord {
    int32_t type;
    uint32_t screenWidth, screenHeight, colourDepth;
    uint32_t layerCount;
    PtrPair<Layer> layers;
    PtrPair<MenuPage> menuPages;
    uint32_t menuPageCount;
    void* menuModule;
    MenuInitFn menuInit;
    MenuEngineFn menuEngine;
    MenuCleanupFn menuCleanup;
    uint32_t unused1, unused2, unused3;
    uint32_t movieFlag;
    uint32_t useCdAudio;
    uint32_t cdTrack;
    char movieName[64];
    char menuModuleName[64];
    char musicWave[64];
};

// Action bits of FrameControl.buttons.
enum : uint32_t {
    kButtonLeft = 0x01,
    kButtonRight = 0x02,
    kButtonUp = 0x04,
    kButtonDown = 0x08,
    kButtonJump = 0x10,
    kButtonAttack = 0x20,
    kButtonToggle = 0x100,
    kButtonEscape = 0x200,
};

// Request bits of FrameControl.requests.
enum : uint32_t {
    kRequestScrollLeft = 0x01,
    kRequestScrollRight = 0x02,
    kRequestScrollUp = 0x04,
    kRequestScrollDown = 0x08,
    kRequestRecentre = 0x40,
    kRequestEndLevel = 0x80,
};

struct FrameControl {
    uint32_t buttons;
    uint32_t requests;
    uint32_t lives;
    uint32_t engineWords[4];
};
static_assert(offsetof(FrameControl, buttons) == 0 && offsetof(FrameControl, requests) == 4 &&
                  offsetof(FrameControl, lives) == 8,
              "brains address the first three words of FrameControl");
