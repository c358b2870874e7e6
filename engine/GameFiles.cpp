// The game file (the list of pages) and the level files (every page).
#include "common/AllocAligned.h"
#include "common/ByteIO.h"
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Clock.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Random.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t kLevelHeaderSize = 162;
constexpr size_t kLayerFixedSize = 100;
constexpr size_t kSpriteFixedSize = 174;
constexpr size_t kTileSetEntrySize = 42;
constexpr uint32_t kMaxTileSize = 16384; // a picture's largest side

void GameError(const char* location, const char* message) {
    FillError(&gErrorInfo, kErrorFatal, "GameEngine", location, message);
}

void LevelError(const char* message) {
    GameError("LoadLevel()", message);
}

// "Unable to load <path>: <why>" for data that do not fit their file.
void BadLevel(const char* path, const char* why) {
    char text[sizeof(gErrorInfo.message)];
    std::snprintf(text, sizeof(text), "Unable to load %s: %s", path, why);
    LevelError(text);
}

size_t ReadFromFile(void* file, void* dst, size_t n) {
    return platform::FileRead(static_cast<platform::File*>(file), dst, n);
}

// Reading one level file as it streams in: the reader, the path for
// messages, and whether the page is a menu (whose sprites follow the menu
// rules).
struct LevelReader {
    ByteStream in;
    const char* path;
    bool menu;

    // True when `count` elements of `each` bytes, after `extra` bytes, can
    // still follow. Divides rather than multiplies, so no count can wrap.
    bool Fits(uint64_t count, uint64_t each, uint64_t extra = 0) const {
        uint64_t left = in.Remaining();
        return extra <= left && (each == 0 || count <= (left - extra) / each);
    }

    bool Truncated() {
        BadLevel(path, "the file ends too soon!");
        return false;
    }
};

void* Scratch(void** block, uint64_t size) {
    if (size > UINT32_MAX)
        return nullptr;
    return AllocAligned(block, static_cast<uint32_t>(size));
}

void* Unfilled(void** block, uint64_t size) {
    if (size > UINT32_MAX)
        return nullptr;
    return AllocAlignedFor(&gErrorInfo, block, size, false);
}

bool ReadInstance(LevelReader& r, Sprite* sprite) {
    SpriteInstance* instance = AddInstance(sprite);
    if (!instance) {
        LevelError("Unable to allocate memory for sprite instance!");
        return false;
    }
    if (!r.Fits(1, 6))
        return r.Truncated();
    instance->locationCount = r.in.U16();
    instance->frame = r.in.U32();
    uint32_t count = instance->locationCount;
    if (count == 0) {
        BadLevel(r.path, "a sprite instance has no location!");
        return false;
    }
    if (!r.Fits(count, 8))
        return r.Truncated();
    void* block = nullptr;
    auto* locations = static_cast<int32_t*>(Scratch(&block, uint64_t(count) * 8));
    if (!locations) {
        LevelError("Unable to allocate memory for instance locations!");
        return false;
    }
    r.in.U32s(reinterpret_cast<uint32_t*>(locations), size_t(count) * 2);
    // Re-seeded before every instance: instances read in the same second
    // with the same count take the same candidate.
    platform::Srand(static_cast<uint32_t>(platform::TimeSeconds()));
    uint32_t number = static_cast<uint32_t>(platform::Rand());
    uint32_t index;
    if (r.menu)
        index = count <= 1 ? 0 : number % (count - 1); // never the last candidate
    else
        index = number % count;
    instance->x = locations[index * 2];
    instance->y = locations[index * 2 + 1];
    std::free(block);
    return true;
}

bool ReadSequence(LevelReader& r, Sprite* sprite) {
    SpriteSequence* sequence = AddSequence(sprite);
    if (!sequence) {
        LevelError("Unable to allocate memory for sprite sequence!");
        return false;
    }
    if (!r.Fits(1, 92))
        return r.Truncated();
    r.in.Text(sequence->name, sizeof(sequence->name), 40);
    r.in.Text(sequence->name2, sizeof(sequence->name2), 40);
    sequence->value1 = r.in.U16();
    sequence->value2 = r.in.U16();
    sequence->value3 = r.in.U32();
    sequence->value4 = r.in.U32();
    return true;
}

bool ReadSpriteSound(LevelReader& r, Sprite* sprite) {
    SpriteSound* sound = AddSpriteSound(sprite);
    if (!sound) {
        LevelError("Unable to allocate memory for sprite sound!");
        return false;
    }
    if (!r.Fits(1, 82))
        return r.Truncated();
    r.in.Text(sound->name, sizeof(sound->name), 40);
    r.in.Text(sound->waveFile, sizeof(sound->waveFile), 40);
    sound->frameCount = r.in.U16();
    uint32_t count = sound->frameCount;
    if (!r.Fits(count, 2))
        return r.Truncated();
    void* scratchBlock = nullptr;
    auto* scratch = static_cast<uint16_t*>(Scratch(&scratchBlock, uint64_t(count) * 2));
    if (!scratch) {
        LevelError(r.menu ? "Unable to allocate memory for temporary sound frame buffer!"
                          : "Unable to allocate memory for temporary sprite sound frames buffer!");
        return false;
    }
    for (uint32_t i = 0; i < count; ++i)
        scratch[i] = r.in.U16();
    auto* frames =
        static_cast<uint32_t*>(AllocAligned(&sound->frames.block, count * sizeof(uint32_t)));
    if (!frames) {
        std::free(scratchBlock);
        LevelError(r.menu ? "Unable to allocate memory for sprite sound frames!"
                          : "Unable to allocate memory for sprite sound frames buffer!");
        return false;
    }
    sound->frames.ptr = frames;
    for (uint32_t i = 0; i < count; ++i)
        frames[i] = scratch[i];
    std::free(scratchBlock);
    return true;
}

// The sprite block with its instances, sequences and sounds.
bool ReadSprite(LevelReader& r, Sprite* sprite) {
    if (!r.Fits(1, kSpriteFixedSize))
        return r.Truncated();
    ByteStream& in = r.in;
    in.Text(sprite->name, sizeof(sprite->name), 40);
    in.Text(sprite->sheetFile, sizeof(sprite->sheetFile), 40);
    in.Text(sprite->brainFile, sizeof(sprite->brainFile), 40);
    sprite->instanceCount = in.U16();
    sprite->sequenceCount = in.U16();
    sprite->soundCount = in.U16();
    sprite->spriteParam5 = in.U32();
    sprite->spriteParam9 = in.U32();
    sprite->spriteParam7 = in.U32();
    sprite->isPlatform = in.S32();
    sprite->isPlayer = in.S32();
    sprite->spriteParam1 = in.U16();
    sprite->spriteParam2 = in.U16();
    sprite->spriteParam3 = in.U16();
    sprite->points = in.S16();
    sprite->spriteParam4 = in.S16();
    sprite->spriteParam6 = in.U16();
    sprite->spriteParam10 = in.U16();
    sprite->spriteParam8 = in.U16();
    uint32_t* tail[] = {&sprite->spriteParam11, &sprite->spriteParam12, &sprite->spriteParam13,
                        &sprite->spriteParam14, &sprite->spriteParam15, &sprite->spriteParam16};
    for (uint32_t* field : tail)
        *field = in.U16();

    // Each instance takes at least 6 bytes (one without locations, which is
    // refused by name), a sequence 92, a sound 82.
    if (!r.Fits(sprite->instanceCount, 6) || !r.Fits(sprite->sequenceCount, 92) ||
        !r.Fits(sprite->soundCount, 82))
        return r.Truncated();
    for (uint32_t i = 0; i < sprite->instanceCount; ++i)
        if (!ReadInstance(r, sprite))
            return false;
    for (uint32_t i = 0; i < sprite->sequenceCount; ++i)
        if (!ReadSequence(r, sprite))
            return false;
    for (uint32_t i = 0; i < sprite->soundCount; ++i)
        if (!ReadSpriteSound(r, sprite))
            return false;
    return true;
}

// Widens `count` u16 values through a scratch array into a new u32 array.
bool ReadWidened(LevelReader& r, uint32_t count, uint32_t perItem, PtrPair<uint32_t>* out,
                 const char* scratchMessage, const char* arrayMessage) {
    uint64_t values = uint64_t(count) * perItem;
    void* scratchBlock = nullptr;
    auto* scratch = static_cast<uint16_t*>(Scratch(&scratchBlock, values * 2));
    if (!scratch) {
        LevelError(scratchMessage);
        return false;
    }
    for (uint64_t i = 0; i < values; ++i)
        scratch[i] = r.in.U16();
    auto* array = static_cast<uint32_t*>(Scratch(&out->block, values * 4));
    if (!array) {
        std::free(scratchBlock);
        LevelError(arrayMessage);
        return false;
    }
    out->ptr = array;
    for (uint64_t i = 0; i < values; ++i)
        array[i] = scratch[i];
    std::free(scratchBlock);
    return true;
}

bool ReadLayerSound(LevelReader& r, Layer* layer) {
    LayerSound* sound = AddLayerSound(layer);
    if (!sound) {
        LevelError("Unable to allocate memory for layer sound!");
        return false;
    }
    if (!r.Fits(1, 86))
        return r.Truncated();
    r.in.Text(sound->name, sizeof(sound->name), 40);
    r.in.Text(sound->waveFile, sizeof(sound->waveFile), 40);
    sound->pointCount = r.in.U16();
    sound->columnCount = r.in.U16();
    sound->rowCount = r.in.U16();
    if (!r.Fits(uint64_t(sound->pointCount) * 2 + sound->columnCount + sound->rowCount, 2))
        return r.Truncated();
    return ReadWidened(r, sound->pointCount, 2, &sound->points,
                       "Unable to allocate memory for temporary sound points!",
                       "Unable to allocate memory for sound points!") &&
           ReadWidened(r, sound->columnCount, 1, &sound->columns,
                       "Unable to allocate memory for temporary sound columns!",
                       "Unable to allocate memory for temporary sound columns!") &&
           ReadWidened(r, sound->rowCount, 1, &sound->rows,
                       "Unable to allocate memory for temporary sound rows!",
                       "Unable to allocate memory for temporary sound Rows!");
}

bool ReadTileSet(LevelReader& r, Layer* layer) {
    void* block = nullptr;
    auto* tileSet = static_cast<TileSet*>(AllocAligned(&block, sizeof(TileSet)));
    if (!tileSet) {
        LevelError("Unable to allocate memory for tile set!");
        return false;
    }
    r.in.Text(tileSet->fileName, sizeof(tileSet->fileName), 40);
    tileSet->slot = r.in.S16();
    if (tileSet->slot < 0 || tileSet->slot > 15) {
        std::free(block);
        BadLevel(r.path, "a tile set slot is outside 0 to 15!");
        return false;
    }
    // A slot named twice keeps the later tile set; the earlier one is freed.
    std::free(layer->tileSetBlocks[tileSet->slot]);
    layer->tileSetBlocks[tileSet->slot] = block;
    layer->tileSets[tileSet->slot] = tileSet;
    return true;
}

// How far the view may scroll: map size less screen size, held to what the
// signed field can take.
int32_t ScrollLimit(uint32_t tileSize, uint32_t cells, uint32_t screen) {
    uint64_t size = uint64_t(tileSize) * cells; // below 2^64: both factors are 32-bit
    if (size > uint64_t(INT32_MAX) + screen)
        return INT32_MAX;
    return static_cast<int32_t>(int64_t(size) - int64_t(screen));
}

bool ReadLayer(LevelReader& r) {
    Layer* layer = AddLayer();
    if (!layer) {
        LevelError("Unable to allocate memory for layer!");
        return false;
    }
    if (!r.Fits(1, kLayerFixedSize))
        return r.Truncated();
    ByteStream& in = r.in;
    in.Text(layer->name, sizeof(layer->name), 40);
    layer->stepX = in.U32();
    layer->stepY = in.U32();
    layer->unused2 = in.U32();
    layer->unused3 = in.U32();
    layer->isMainLayer = in.U32();
    layer->unused1 = in.U16();
    bool hasMask = in.U32() == 1;
    layer->opaque = in.U32();
    layer->maskStride = in.S16();
    layer->unused4 = in.U16();
    layer->unused5 = in.U16();
    layer->unused6 = in.U16();
    layer->tileSetCount = in.U16();
    layer->columns = in.U32();
    layer->rows = in.U32();
    layer->tileWidth = in.U32();
    layer->tileHeight = in.U32();
    if (layer->tileWidth == 0 || layer->tileHeight == 0) {
        BadLevel(r.path, "a layer has a tile size of zero!");
        return false;
    }
    // No tile set can hold a larger tile, and below this bound no scroll
    // sum can overflow.
    if (layer->tileWidth > kMaxTileSize || layer->tileHeight > kMaxTileSize) {
        BadLevel(r.path, "a layer's tiles are larger than a picture can be!");
        return false;
    }
    // A step moves the layer by at most one cell; a larger one (or one that
    // reads as negative) has no use and broke the snap and scroll sums.
    if (layer->stepX > layer->tileWidth || layer->stepY > layer->tileHeight) {
        BadLevel(r.path, "a layer's scroll step is larger than its tile!");
        return false;
    }

    uint64_t cells = uint64_t(layer->columns) * layer->rows; // both 32-bit: no wrap
    // The counts, the map and the mask data must fit what is left.
    if (!r.Fits(cells, hasMask ? 6 : 2, 4))
        return r.Truncated();
    // Both arrays are read whole from the file (zeros for what it lacks), so
    // they are not filled first.
    layer->tileMap.ptr = static_cast<uint16_t*>(Unfilled(&layer->tileMap.block, cells * 2));
    if (!layer->tileMap.ptr) {
        LevelError("Unable to allocate memory for layer data!");
        return false;
    }
    if (hasMask) {
        layer->maskData.ptr = static_cast<uint32_t*>(Unfilled(&layer->maskData.block, cells * 4));
        if (!layer->maskData.ptr) {
            LevelError("Unable to allocate memory for mask layer data!");
            return false;
        }
        // The mask bitmap is loaded before the rest of the layer is read.
        if (!LoadMasks(layer) || !BuildMaskArray(layer))
            return false;
    }
    layer->spriteCount = in.U16();
    layer->layerSoundCount = in.U16();
    in.U16s(layer->tileMap.ptr, size_t(cells));
    if (hasMask)
        in.U32s(layer->maskData.ptr, size_t(cells));

    if (!r.Fits(layer->tileSetCount, kTileSetEntrySize))
        return r.Truncated();
    for (uint32_t i = 0; i < layer->tileSetCount; ++i)
        if (!ReadTileSet(r, layer))
            return false;

    if (!r.Fits(layer->spriteCount, kSpriteFixedSize) || !r.Fits(layer->layerSoundCount, 86))
        return r.Truncated();
    for (uint32_t i = 0; i < layer->spriteCount; ++i) {
        Sprite* sprite = AddSprite(layer, nullptr);
        if (!sprite) {
            LevelError("Unable to allocate memory for sprite!");
            return false;
        }
        if (!ReadSprite(r, sprite))
            return false;
    }
    for (uint32_t i = 0; i < layer->layerSoundCount; ++i)
        if (!ReadLayerSound(r, layer))
            return false;

    layer->halfTileWidth = layer->tileWidth / 2;
    layer->halfTileHeight = layer->tileHeight / 2;
    layer->maxScrollX = ScrollLimit(layer->tileWidth, layer->columns, gPage.screenWidth);
    layer->maxScrollY = ScrollLimit(layer->tileHeight, layer->rows, gPage.screenHeight);
    return true;
}

bool ReadMenuPage(LevelReader& r) {
    MenuPage* page = AddMenuPage();
    if (!page) {
        LevelError("Unable to allocate memory for menu page!");
        return false;
    }
    if (!r.Fits(1, 82))
        return r.Truncated();
    r.in.Text(page->name, sizeof(page->name), 40);
    r.in.Text(page->name2, sizeof(page->name2), 40);
    page->menuSpriteCount = r.in.U16();
    if (!r.Fits(page->menuSpriteCount, kSpriteFixedSize))
        return r.Truncated();
    for (uint32_t i = 0; i < page->menuSpriteCount; ++i) {
        Sprite* sprite = AddSprite(nullptr, page);
        if (!sprite) {
            LevelError("Unable to allocate memory for menu sprite!");
            return false;
        }
        if (!ReadSprite(r, sprite))
            return false;
    }
    return true;
}

void ReadHeader(ByteStream& in) {
    gPage.screenWidth = in.U32();
    gPage.screenHeight = in.U32();
    gPage.colourDepth = in.U32();
    gPage.layerCount = in.U16();
    gPage.unused1 = in.U16();
    gPage.unused2 = in.U16();
    gPage.unused3 = in.U32();
    uint32_t cutsceneMarker = in.U32();
    gPage.movieFlag = in.U32();
    in.Text(gPage.movieName, sizeof(gPage.movieName), 40);
    uint32_t menuMarker = in.U32();
    in.Text(gPage.menuModuleName, sizeof(gPage.menuModuleName), 40);
    gPage.menuPageCount = in.U16();
    gPage.useCdAudio = in.U32();
    gPage.cdTrack = in.U16();
    in.Text(gPage.musicWave, sizeof(gPage.musicWave), 40);
    gPage.type = cutsceneMarker == 1 ? kPageCutscene : menuMarker == 1 ? kPageMenu : kPageLevel;
}

// The header and the body of its kind. A read that comes up short (the
// file shrank, or failed) is caught at the end as a file that ends too soon.
int ReadPage(LevelReader& r) {
    if (!r.Fits(1, kLevelHeaderSize))
        return r.Truncated();
    ReadHeader(r.in);
    if (r.in.Overrun())
        return r.Truncated();

    if (gPage.type == kPageCutscene)
        return 1;
    if (gPage.type == kPageMenu) {
        r.menu = true;
        if (!r.Fits(gPage.menuPageCount, 82))
            return r.Truncated();
        for (uint32_t i = 0; i < gPage.menuPageCount; ++i)
            if (!ReadMenuPage(r))
                return 0;
    } else {
        if (!r.Fits(gPage.layerCount, kLayerFixedSize))
            return r.Truncated();
        for (uint32_t i = 0; i < gPage.layerCount; ++i)
            if (!ReadLayer(r))
                return 0;
    }
    return r.in.Overrun() ? r.Truncated() : 1;
}

} // namespace

int LoadGame(const char* fileName) {
    platform::File* file = platform::FileOpenRead(fileName);
    if (!file) {
        FillError2(&gErrorInfo, kErrorFatal, "GameEngine", "LoadGame()", "Unable to open ",
                   fileName);
        return 0;
    }
    uint8_t head[46] = {};
    platform::FileRead(file, head, sizeof(head));
    ByteReader in(head, sizeof(head));
    in.Skip(4 + 40); // identifier and game name are not used
    uint32_t count = in.U16();

    char* table = nullptr;
    if (!platform::FaultHit("HeapAlloc"))
        table = static_cast<char*>(std::calloc(count ? count : 1, kPageNameSize));
    if (!table) {
        platform::FileClose(file);
        GameError("LoadGame()", "Unable to allocate memory layer names!");
        return 0;
    }
    // A file shorter than its count leaves the missing names empty.
    platform::FileRead(file, table, size_t(count) * kPageNameSize);
    platform::FileClose(file);
    std::free(gPageNames);
    gPageNames = table;
    gPageCount = count;
    return 1;
}

int LoadLevel(uint32_t pageIndex) {
    std::memset(&gPage, 0, sizeof(gPage));
    if (pageIndex >= gPageCount || !gPageNames) {
        char text[sizeof(gErrorInfo.message)];
        std::snprintf(text, sizeof(text), "Unable to load page %u: the game has %u pages!",
                      pageIndex, gPageCount);
        LevelError(text);
        return 0;
    }
    const char* name = gPageNames + size_t(pageIndex) * kPageNameSize;
    if (strnlen(name, kPageNameSize) == kPageNameSize) {
        char text[sizeof(gErrorInfo.message)];
        std::snprintf(text, sizeof(text), "Unable to load page %u: its name is not terminated!",
                      pageIndex);
        LevelError(text);
        return 0;
    }
    char path[5 + kPageNameSize + 4];
    std::snprintf(path, sizeof(path), "data\\%s.lvl", name);

    platform::File* file = platform::NameStaysInside(name) ? platform::FileOpenRead(path) : nullptr;
    if (!file) {
        FillError2(&gErrorInfo, kErrorFatal, "GameEngine", "LoadLevel()", "Unable to open ", path);
        return 0;
    }
    int64_t size = platform::FileSize(file);
    if (size < 0) {
        platform::FileClose(file);
        FillError2(&gErrorInfo, kErrorFatal, "GameEngine", "LoadLevel()", "Unable to open ", path);
        return 0;
    }
    LevelReader r{ByteStream(ReadFromFile, file, uint64_t(size)), path, false};
    int loaded = ReadPage(r);
    platform::FileClose(file);
    return loaded;
}
