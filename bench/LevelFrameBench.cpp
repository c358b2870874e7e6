// A level frame at 640 x 480 x 16: four keyed layers of 16 x 16 tiles and
// 200 keyed 64 x 64 sprites, drawn by the engine's DrawLayer into the flip
// chain's back surface, and by SDL blitting the same cells and sprites from
// the same pictures. Before timing, both draw one frame onto black and must
// give the same pixels.
#include "engine/Globals.h"
#include "engine/LevelDraw.h"
#include "platform/Display.h"

#include <SDL.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int kWidth = 640, kHeight = 480, kTile = 16, kFrame = 64;
constexpr int kLayers = 4, kSprites = 200;
constexpr uint32_t kColumns = 100, kRows = 80;
constexpr int kSetSide = 256, kSheetWidth = 512, kSheetHeight = 128;

struct Scene {
    bool ready = false;
    const char* error = nullptr;
    platform::Surface* tiles = nullptr;
    platform::Surface* sheet = nullptr;
    TileSet tileSet{};
    Layer layers[kLayers]{};
    std::vector<uint16_t> maps[kLayers];
    Layer tilesOnly{};   // layer 0 without sprites
    Layer spritesOnly{}; // the sprites without tiles
    Sprite sprite{};
    std::vector<SpriteInstance> instances;
    SDL_Surface* sdlTiles = nullptr;
    SDL_Surface* sdlSheet = nullptr;
    SDL_Surface* sdlBack = nullptr;
};

Scene gScene;

platform::Surface* MakeSurface(int width, int height) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT |
                 platform::DDSD_CKSRCBLT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN;
    desc.width = uint32_t(width);
    desc.height = uint32_t(height);
    desc.srcColorKey = {0, 0};
    platform::Surface* s = nullptr;
    gDisplay.display->CreateSurface(&desc, &s, nullptr);
    return s;
}

// Round blobs of colour on the key (0), about a third of each cell hidden.
template <typename Paint> void Draw(platform::Surface* s, int cell, Paint colour) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    s->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr);
    for (uint32_t y = 0; y < desc.height; ++y) {
        auto* row = reinterpret_cast<uint16_t*>(static_cast<uint8_t*>(desc.surface) +
                                                y * uint32_t(desc.pitch));
        for (uint32_t x = 0; x < desc.width; ++x) {
            int cx = int(x % cell) * 2 - cell + 1, cy = int(y % cell) * 2 - cell + 1;
            bool inside = cx * cx + cy * cy <= cell * cell * 13 / 10;
            row[x] = inside ? colour(x, y) : 0;
        }
    }
    s->Unlock(nullptr);
}

SDL_Surface* SdlCopy(platform::Surface* s) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    s->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr);
    SDL_Surface* out = SDL_CreateRGBSurfaceWithFormat(0, int(desc.width), int(desc.height), 16,
                                                      SDL_PIXELFORMAT_RGB565);
    for (uint32_t y = 0; y < desc.height; ++y)
        std::memcpy(static_cast<uint8_t*>(out->pixels) + y * uint32_t(out->pitch),
                    static_cast<uint8_t*>(desc.surface) + y * uint32_t(desc.pitch), desc.width * 2);
    s->Unlock(nullptr);
    SDL_SetColorKey(out, SDL_TRUE, 0);
    return out;
}

void ProjectLayers(Layer* layers, int count) {
    for (int i = 0; i < count; ++i)
        DrawLayer(&layers[i], kWidth, kHeight);
}

// SDL's way: every visible cell and sprite blitted whole at its place, SDL
// clipping at the screen's edges.
void SdlLayerTiles(const Layer& layer) {
    if (!layer.tileMap.ptr)
        return;
    int left = layer.scrollColumn * kTile + layer.scrollSubX;
    int top = layer.scrollRow * kTile + layer.scrollSubY;
    for (int row = top / kTile; row * kTile < top + kHeight; ++row)
        for (int column = left / kTile; column * kTile < left + kWidth; ++column) {
            uint16_t cell = layer.tileMap.ptr[row * int(layer.columns) + column];
            int tile = (cell & 0x1FFF) - 1;
            SDL_Rect source{(tile % (kSetSide / kTile)) * kTile,
                            (tile / (kSetSide / kTile)) * kTile, kTile, kTile};
            SDL_Rect dest{column * kTile - left, row * kTile - top, kTile, kTile};
            SDL_BlitSurface(gScene.sdlTiles, &source, gScene.sdlBack, &dest);
        }
}

void SdlLayerSprites(const Layer& layer) {
    if (!layer.sprites.ptr)
        return;
    int left = layer.scrollColumn * int(layer.tileWidth) + layer.scrollSubX;
    int top = layer.scrollRow * int(layer.tileHeight) + layer.scrollSubY;
    int across = kSheetWidth / kFrame;
    for (const SpriteInstance& i : gScene.instances) {
        SDL_Rect source{int(i.frame) % across * kFrame, int(i.frame) / across * kFrame, kFrame,
                        kFrame};
        SDL_Rect dest{i.x - left, i.y - top, kFrame, kFrame};
        SDL_BlitSurface(gScene.sdlSheet, &source, gScene.sdlBack, &dest);
    }
}

void SdlLayers(const Layer* layers, int count) {
    for (int i = 0; i < count; ++i) {
        SdlLayerTiles(layers[i]);
        SdlLayerSprites(layers[i]);
    }
}

bool SamePictures() {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    if (gDisplay.back->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr) != platform::kOk)
        return false;
    bool same = true;
    for (int y = 0; y < kHeight && same; ++y)
        same =
            std::memcmp(static_cast<uint8_t*>(desc.surface) + y * desc.pitch,
                        static_cast<uint8_t*>(gScene.sdlBack->pixels) + y * gScene.sdlBack->pitch,
                        kWidth * 2) == 0;
    gDisplay.back->Unlock(nullptr);
    return same;
}

void ClearBoth() {
    platform::BltFx fx{};
    fx.size = sizeof(fx);
    fx.fillColor = 0;
    gDisplay.back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL, &fx);
    SDL_FillRect(gScene.sdlBack, nullptr, 0);
}

void SetUp() {
    if (gScene.ready)
        return;
    gScene.ready = true;
    if (platform::CreateDisplay(&gDisplay.display) != platform::kOk ||
        gDisplay.display->SetDisplayMode(kWidth, kHeight, 16, 0, 0) != platform::kOk) {
        gScene.error = "no display";
        return;
    }
    platform::SurfaceDesc chain{};
    chain.size = sizeof(chain);
    chain.flags = platform::DDSD_CAPS | platform::DDSD_BACKBUFFERCOUNT;
    chain.caps =
        platform::DDSCAPS_PRIMARYSURFACE | platform::DDSCAPS_FLIP | platform::DDSCAPS_COMPLEX;
    chain.backBufferCount = 2;
    if (gDisplay.display->CreateSurface(&chain, &gDisplay.primary, nullptr) != platform::kOk ||
        gDisplay.primary->GetAttachedSurface(platform::DDSCAPS_BACKBUFFER, &gDisplay.back) !=
            platform::kOk) {
        gScene.error = "no flip chain";
        return;
    }

    std::mt19937 random(90);
    gScene.tiles = MakeSurface(kSetSide, kSetSide);
    gScene.sheet = MakeSurface(kSheetWidth, kSheetHeight);
    Draw(gScene.tiles, kTile,
         [](uint32_t x, uint32_t y) { return uint16_t(0x0841 + x * 37 + y * 1021); });
    Draw(gScene.sheet, kFrame,
         [](uint32_t x, uint32_t y) { return uint16_t(0x1082 + x * 131 + y * 17); });
    gScene.tileSet.surface = gScene.tiles;
    gScene.tileSet.bitmapWidth = gScene.tileSet.bitmapHeight = kSetSide;
    gScene.tileSet.tilesAcross = gScene.tileSet.tilesDown = kSetSide / kTile;
    gScene.tileSet.tileWidth = gScene.tileSet.tileHeight = kTile;

    for (int i = 0; i < kLayers; ++i) {
        Layer& l = gScene.layers[i];
        l.columns = kColumns;
        l.rows = kRows;
        l.tileWidth = l.tileHeight = kTile;
        l.scrollColumn = 3 + 7 * i;
        l.scrollRow = 2 + 5 * i;
        l.scrollSubX = (5 * i + 3) % kTile;
        l.scrollSubY = (3 * i + 1) % kTile;
        l.tileSets[1] = &gScene.tileSet;
        auto& map = gScene.maps[i];
        for (uint32_t c = 0; c < kColumns * kRows; ++c)
            map.push_back(uint16_t((1u << 13) | (1 + random() % 256)));
        l.tileMap = {nullptr, map.data()};
    }
    Sprite& s = gScene.sprite;
    s.surface = gScene.sheet;
    s.frameWidth = s.frameHeight = kFrame;
    s.framesPerRow = kSheetWidth / kFrame;
    s.frameCount = s.framesPerRow * (kSheetHeight / kFrame);
    Layer& top = gScene.layers[kLayers - 1];
    int left = top.scrollColumn * kTile + top.scrollSubX;
    int up = top.scrollRow * kTile + top.scrollSubY;
    gScene.instances.resize(kSprites);
    for (int i = 0; i < kSprites; ++i) {
        SpriteInstance& in = gScene.instances[i];
        in.visible = 1;
        in.frame = uint32_t(i) % s.frameCount;
        in.x = left - 24 + int(random() % (kWidth - kFrame + 48));
        in.y = up - 24 + int(random() % (kHeight - kFrame + 48));
    }
    // The vector does not grow after this: the links hold.
    for (int i = 0; i + 1 < kSprites; ++i)
        gScene.instances[i].next.ptr = &gScene.instances[i + 1];
    s.instances.ptr = gScene.instances.data();
    top.sprites.ptr = &s;
    gScene.tilesOnly = gScene.layers[0];
    gScene.spritesOnly = top;
    gScene.spritesOnly.tileMap.ptr = nullptr;

    gScene.sdlTiles = SdlCopy(gScene.tiles);
    gScene.sdlSheet = SdlCopy(gScene.sheet);
    gScene.sdlBack = SDL_CreateRGBSurfaceWithFormat(0, kWidth, kHeight, 16, SDL_PIXELFORMAT_RGB565);

    struct Check {
        Layer* layers;
        int count;
        const char* what;
    } checks[] = {{gScene.layers, kLayers, "frame"},
                  {&gScene.tilesOnly, 1, "keyed layer"},
                  {&gScene.spritesOnly, 1, "sprites"}};
    for (const Check& c : checks) {
        ClearBoth();
        ProjectLayers(c.layers, c.count);
        SdlLayers(c.layers, c.count);
        if (!SamePictures()) {
            std::fprintf(stderr, "bench: the %s differs between DrawLayer and SDL\n", c.what);
            gScene.error = "DrawLayer and SDL draw different pictures";
        }
    }
}

template <bool Sdl> void Run(benchmark::State& state, Layer* layers, int count) {
    SetUp();
    if (gScene.error) {
        state.SkipWithError(gScene.error);
        return;
    }
    for (auto _ : state) {
        if (Sdl)
            SdlLayers(layers, count);
        else
            ProjectLayers(layers, count);
        benchmark::ClobberMemory();
    }
}

void BM_LevelFrame_Project(benchmark::State& s) {
    Run<false>(s, gScene.layers, kLayers);
}
void BM_LevelFrame_SdlBlit(benchmark::State& s) {
    Run<true>(s, gScene.layers, kLayers);
}
void BM_KeyedLayer_Project(benchmark::State& s) {
    Run<false>(s, &gScene.tilesOnly, 1);
}
void BM_KeyedLayer_SdlBlit(benchmark::State& s) {
    Run<true>(s, &gScene.tilesOnly, 1);
}
void BM_Sprites200_Project(benchmark::State& s) {
    Run<false>(s, &gScene.spritesOnly, 1);
}
void BM_Sprites200_SdlBlit(benchmark::State& s) {
    Run<true>(s, &gScene.spritesOnly, 1);
}

} // namespace

BENCHMARK(BM_LevelFrame_Project)->Name("BM_LevelFrame/Project")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LevelFrame_SdlBlit)->Name("BM_LevelFrame/SdlBlit")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyedLayer_Project)->Name("BM_KeyedLayer/Project")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_KeyedLayer_SdlBlit)->Name("BM_KeyedLayer/SdlBlit")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprites200_Project)->Name("BM_Sprites200/Project")->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Sprites200_SdlBlit)->Name("BM_Sprites200/SdlBlit")->Unit(benchmark::kMicrosecond);
