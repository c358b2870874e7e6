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
// Exported by a player brain: its Initialize takes the page first, so a host
// must never call it in the six-argument form.
inline constexpr char kPlayerBrainMark[] = "PlayerBrain";

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

// The layout the plug-ins are built against, field by field (64-bit builds).
static_assert(sizeof(void*) == 8, "the offsets below are those of 64-bit builds");
static_assert(sizeof(TileSet) == 88 && offsetof(TileSet, surface) == 0 &&
              offsetof(TileSet, bitmapWidth) == 8 && offsetof(TileSet, bitmapHeight) == 12 &&
              offsetof(TileSet, bitmap) == 16 && offsetof(TileSet, tilesAcross) == 24 &&
              offsetof(TileSet, tilesDown) == 28 && offsetof(TileSet, slot) == 32 &&
              offsetof(TileSet, tileWidth) == 36 && offsetof(TileSet, tileHeight) == 40 &&
              offsetof(TileSet, fileName) == 44);
static_assert(sizeof(SpriteInstance) == 176 && offsetof(SpriteInstance, locationCount) == 0 &&
              offsetof(SpriteInstance, frame) == 4 && offsetof(SpriteInstance, health) == 8 &&
              offsetof(SpriteInstance, lastButtons) == 12 && offsetof(SpriteInstance, tick) == 16 &&
              offsetof(SpriteInstance, timer) == 20 && offsetof(SpriteInstance, number) == 24 &&
              offsetof(SpriteInstance, lives) == 28 && offsetof(SpriteInstance, direction) == 32 &&
              offsetof(SpriteInstance, unnamed1) == 36 && offsetof(SpriteInstance, heading) == 40 &&
              offsetof(SpriteInstance, jumping) == 44 &&
              offsetof(SpriteInstance, jumpTicks) == 48 &&
              offsetof(SpriteInstance, jumpLimit) == 52 &&
              offsetof(SpriteInstance, dashTicks) == 56);
static_assert(offsetof(SpriteInstance, unnamed2) == 60 && offsetof(SpriteInstance, phase) == 64 &&
              offsetof(SpriteInstance, invincible) == 68 && offsetof(SpriteInstance, hurt) == 72 &&
              offsetof(SpriteInstance, visible) == 76 && offsetof(SpriteInstance, alive) == 80 &&
              offsetof(SpriteInstance, sounds) == 88 && offsetof(SpriteInstance, words) == 120 &&
              offsetof(SpriteInstance, x) == 152 && offsetof(SpriteInstance, y) == 156 &&
              offsetof(SpriteInstance, next) == 160);
static_assert(sizeof(SpriteSequence) == 160 && offsetof(SpriteSequence, name) == 0 &&
              offsetof(SpriteSequence, name2) == 64 && offsetof(SpriteSequence, value1) == 128 &&
              offsetof(SpriteSequence, value2) == 132 && offsetof(SpriteSequence, value3) == 136 &&
              offsetof(SpriteSequence, value4) == 140 && offsetof(SpriteSequence, next) == 144);
static_assert(sizeof(SpriteSound) == 168 && offsetof(SpriteSound, name) == 0 &&
              offsetof(SpriteSound, waveFile) == 64 && offsetof(SpriteSound, frameCount) == 128 &&
              offsetof(SpriteSound, frames) == 136 && offsetof(SpriteSound, next) == 152);
static_assert(sizeof(LayerSound) == 208 && offsetof(LayerSound, name) == 0 &&
              offsetof(LayerSound, waveFile) == 64 && offsetof(LayerSound, pointCount) == 128 &&
              offsetof(LayerSound, columnCount) == 132 && offsetof(LayerSound, rowCount) == 136 &&
              offsetof(LayerSound, points) == 144 && offsetof(LayerSound, columns) == 160 &&
              offsetof(LayerSound, rows) == 176 && offsetof(LayerSound, next) == 192);
static_assert(sizeof(Sprite) == 456 && offsetof(Sprite, brainModule) == 0 &&
              offsetof(Sprite, think) == 8 && offsetof(Sprite, labotamize) == 16 &&
              offsetof(Sprite, surface) == 24 && offsetof(Sprite, bitmap) == 32 &&
              offsetof(Sprite, instances) == 40 && offsetof(Sprite, instanceCount) == 56 &&
              offsetof(Sprite, sequences) == 64 && offsetof(Sprite, sequenceCount) == 80 &&
              offsetof(Sprite, sounds) == 88 && offsetof(Sprite, frames) == 104 &&
              offsetof(Sprite, soundCount) == 120 && offsetof(Sprite, framesPerRow) == 124 &&
              offsetof(Sprite, sheetValue) == 128 && offsetof(Sprite, frameCount) == 132);
static_assert(offsetof(Sprite, score) == 136 && offsetof(Sprite, spriteParam1) == 140 &&
              offsetof(Sprite, spriteParam2) == 144 && offsetof(Sprite, spriteParam3) == 148 &&
              offsetof(Sprite, points) == 152 && offsetof(Sprite, spriteParam4) == 156 &&
              offsetof(Sprite, spriteParam5) == 160 && offsetof(Sprite, spriteParam6) == 164 &&
              offsetof(Sprite, spriteParam7) == 168 && offsetof(Sprite, spriteParam8) == 172 &&
              offsetof(Sprite, spriteParam9) == 176 && offsetof(Sprite, spriteParam10) == 180 &&
              offsetof(Sprite, spriteParam11) == 184 && offsetof(Sprite, spriteParam12) == 188 &&
              offsetof(Sprite, spriteParam13) == 192 && offsetof(Sprite, spriteParam14) == 196);
static_assert(offsetof(Sprite, spriteParam15) == 200 && offsetof(Sprite, spriteParam16) == 204 &&
              offsetof(Sprite, isPlayer) == 208 && offsetof(Sprite, isPlatform) == 212 &&
              offsetof(Sprite, isGoodie) == 216 && offsetof(Sprite, isTeleporter) == 220 &&
              offsetof(Sprite, isInvincibility) == 224 && offsetof(Sprite, isExtraLife) == 228 &&
              offsetof(Sprite, isHealth) == 232 && offsetof(Sprite, isTool) == 236 &&
              offsetof(Sprite, frameWidth) == 240 && offsetof(Sprite, frameHeight) == 244 &&
              offsetof(Sprite, name) == 248 && offsetof(Sprite, sheetFile) == 312 &&
              offsetof(Sprite, brainFile) == 376 && offsetof(Sprite, next) == 440);
static_assert(sizeof(Layer) == 640 && offsetof(Layer, surface) == 0 &&
              offsetof(Layer, scrollColumn) == 8 && offsetof(Layer, scrollRow) == 12 &&
              offsetof(Layer, scrollSubX) == 16 && offsetof(Layer, scrollSubY) == 20 &&
              offsetof(Layer, fullColumns) == 24 && offsetof(Layer, fullRows) == 28 &&
              offsetof(Layer, firstColumnWidth) == 32 && offsetof(Layer, lastColumnWidth) == 36 &&
              offsetof(Layer, firstRowHeight) == 40 && offsetof(Layer, lastRowHeight) == 44 &&
              offsetof(Layer, maxScrollX) == 48 && offsetof(Layer, maxScrollY) == 52 &&
              offsetof(Layer, unused1) == 56 && offsetof(Layer, stepX) == 60);
static_assert(offsetof(Layer, stepY) == 64 && offsetof(Layer, unused2) == 68 &&
              offsetof(Layer, unused3) == 72 && offsetof(Layer, isMainLayer) == 76 &&
              offsetof(Layer, name) == 80 && offsetof(Layer, opaque) == 144 &&
              offsetof(Layer, columns) == 148 && offsetof(Layer, rows) == 152 &&
              offsetof(Layer, tileMap) == 160 && offsetof(Layer, maskStride) == 176 &&
              offsetof(Layer, unused4) == 180 && offsetof(Layer, unused5) == 184 &&
              offsetof(Layer, unused6) == 188 && offsetof(Layer, maskBytes) == 192 &&
              offsetof(Layer, maskData) == 200 && offsetof(Layer, maskBitmap) == 216);
static_assert(offsetof(Layer, maskBits) == 232 && offsetof(Layer, tileSetCount) == 248 &&
              offsetof(Layer, tileWidth) == 252 && offsetof(Layer, tileHeight) == 256 &&
              offsetof(Layer, halfTileWidth) == 260 && offsetof(Layer, halfTileHeight) == 264 &&
              offsetof(Layer, tileSetBlocks) == 272 && offsetof(Layer, tileSets) == 400 &&
              offsetof(Layer, playerCount) == 528 && offsetof(Layer, players) == 536 &&
              offsetof(Layer, platformCount) == 552 && offsetof(Layer, platforms) == 560 &&
              offsetof(Layer, spriteCount) == 576 && offsetof(Layer, sprites) == 584 &&
              offsetof(Layer, layerSoundCount) == 600 && offsetof(Layer, layerSounds) == 608);
static_assert(offsetof(Layer, next) == 624);
static_assert(sizeof(MenuPage) == 176 && offsetof(MenuPage, name) == 0 &&
              offsetof(MenuPage, name2) == 64 && offsetof(MenuPage, surface) == 128 &&
              offsetof(MenuPage, menuSpriteCount) == 136 && offsetof(MenuPage, sprites) == 144 &&
              offsetof(MenuPage, next) == 160);
static_assert(sizeof(PageRecord) == 312 && offsetof(PageRecord, type) == 0 &&
              offsetof(PageRecord, screenWidth) == 4 && offsetof(PageRecord, screenHeight) == 8 &&
              offsetof(PageRecord, colourDepth) == 12 && offsetof(PageRecord, layerCount) == 16 &&
              offsetof(PageRecord, layers) == 24 && offsetof(PageRecord, menuPages) == 40 &&
              offsetof(PageRecord, menuPageCount) == 56 && offsetof(PageRecord, menuModule) == 64 &&
              offsetof(PageRecord, menuInit) == 72 && offsetof(PageRecord, menuEngine) == 80 &&
              offsetof(PageRecord, menuCleanup) == 88 && offsetof(PageRecord, unused1) == 96 &&
              offsetof(PageRecord, unused2) == 100 && offsetof(PageRecord, unused3) == 104);
static_assert(offsetof(PageRecord, movieFlag) == 108 && offsetof(PageRecord, useCdAudio) == 112 &&
              offsetof(PageRecord, cdTrack) == 116 && offsetof(PageRecord, movieName) == 120 &&
              offsetof(PageRecord, menuModuleName) == 184 &&
              offsetof(PageRecord, musicWave) == 248);
static_assert(sizeof(FrameControl) == 28 && offsetof(FrameControl, engineWords) == 12);
