// The tile and sprite drawing of the level main loop. Only what the view
// shows is blitted, edge cells and cut-off sprites as partial rectangles.
#include "engine/LevelDraw.h"
#include "engine/Globals.h"
#include "platform/Display.h"

namespace {

// Blit results other than "still drawing" are let go: the next frame draws
// everything again.
void Blit(int64_t x, int64_t y, platform::Surface* source, const platform::Rect& rect,
          uint32_t flags) {
    while (gDisplay.back->BltFast(int32_t(x), int32_t(y), source, &rect, flags) ==
           platform::kWasStillDrawing) {
    }
}

// The size of a surface, or 0 x 0 when it cannot be described.
void SurfaceSize(platform::Surface* surface, int64_t* width, int64_t* height) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    if (surface->GetSurfaceDesc(&desc) != platform::kOk) {
        *width = *height = 0;
        return;
    }
    *width = desc.width;
    *height = desc.height;
}

// How the screen divides into a first partial cell, whole cells and a last
// partial one along one axis.
struct Strip {
    int64_t first, full, last;
};

Strip Partition(int64_t tile, int64_t sub, int64_t screen) {
    Strip s{tile - sub, 0, 0};
    if (s.first >= screen)
        return {screen, 0, 0}; // a screen narrower than one cell
    s.full = (screen - s.first) / tile;
    s.last = (screen - s.first) % tile;
    return s;
}

int64_t CellSize(const Strip& s, int64_t tile, int64_t index) {
    if (index == 0)
        return s.first;
    return index <= s.full ? tile : s.last;
}

// The cell at (row, column), 0 (empty) outside the map: the view is not held
// inside the map, so the map is never read past its edges.
uint16_t Cell(const Layer* layer, int64_t row, int64_t column) {
    if (!layer->tileMap.ptr || row < 0 || column < 0 || row >= layer->rows ||
        column >= layer->columns)
        return 0;
    return layer->tileMap.ptr[row * layer->columns + column];
}

// n / d by one multiplication, m = ceil(2^32 / d): exact for every d while n
// is a cell's tile number (below 2^13). A division per tile was a fifth of
// the layer's own time.
struct Divider {
    uint32_t d = 0;
    uint64_t m = 0;
    void Set(uint32_t divisor) {
        d = divisor;
        m = ((uint64_t(1) << 32) + divisor - 1) / divisor;
    }
    uint32_t Quotient(uint32_t n) const { return uint32_t((n * m) >> 32); }
};

// The top three bits read as a signed slot (-4 to 3); only slots above 0 and
// a tile number of 0 or more are drawn. The tile set drawn from, or null.
TileSet* CellSource(const Layer* layer, uint16_t cell, Divider* across, int64_t* sourceX,
                    int64_t* sourceY) {
    int slot = cell >> 13;
    if (slot >= 4)
        slot -= 8;
    int tile = int(cell & 0x1FFF) - 1;
    if (slot <= 0 || tile < 0)
        return nullptr;
    TileSet* tileSet = layer->tileSets[slot];
    if (!tileSet || !tileSet->surface || tileSet->tilesAcross == 0)
        return nullptr;
    if (across->d != tileSet->tilesAcross)
        across->Set(tileSet->tilesAcross);
    uint32_t row = across->Quotient(uint32_t(tile));
    *sourceX = int64_t(uint32_t(tile) - row * across->d) * layer->tileWidth;
    *sourceY = int64_t(row) * layer->tileHeight;
    return tileSet;
}

void DrawTiles(Layer* layer, int64_t screenWidth, int64_t screenHeight, uint32_t flags) {
    int64_t tw = layer->tileWidth, th = layer->tileHeight;
    if (tw == 0 || th == 0)
        return;
    Strip across = Partition(tw, layer->scrollSubX, screenWidth);
    Strip down = Partition(th, layer->scrollSubY, screenHeight);
    layer->firstColumnWidth = int32_t(across.first);
    layer->fullColumns = uint32_t(across.full);
    layer->lastColumnWidth = uint32_t(across.last);
    layer->firstRowHeight = int32_t(down.first);
    layer->fullRows = uint32_t(down.full);
    layer->lastRowHeight = uint32_t(down.last);

    int64_t rowCount = 1 + down.full + (down.last ? 1 : 0);
    int64_t columnCount = 1 + across.full + (across.last ? 1 : 0);
    // The picture's own size bounds what is read: the record's sizes are
    // what the file declares.
    TileSet* sized = nullptr;
    int64_t setWidth = 0, setHeight = 0;
    Divider columnDivider{};
    int64_t destY = 0;
    for (int64_t r = 0; r < rowCount; ++r) {
        int64_t height = CellSize(down, th, r);
        int64_t clipTop = r == 0 ? layer->scrollSubY : 0;
        int64_t destX = 0;
        for (int64_t c = 0; c < columnCount; ++c) {
            int64_t width = CellSize(across, tw, c);
            int64_t clipLeft = c == 0 ? layer->scrollSubX : 0;
            int64_t sx = 0, sy = 0;
            uint16_t cell = Cell(layer, layer->scrollRow + r, layer->scrollColumn + c);
            if (TileSet* set = CellSource(layer, cell, &columnDivider, &sx, &sy)) {
                platform::Rect source{int32_t(sx + clipLeft), int32_t(sy + clipTop),
                                      int32_t(sx + clipLeft + width),
                                      int32_t(sy + clipTop + height)};
                if (set != sized) {
                    SurfaceSize(set->surface, &setWidth, &setHeight);
                    sized = set;
                }
                // A tile past the end of the picture shows nothing.
                if (source.right <= setWidth && source.bottom <= setHeight)
                    Blit(destX, destY, set->surface, source, flags);
            }
            destX += width;
        }
        destY += height;
    }
}

struct View {
    int64_t left, top, right, bottom, width, height;
};

void DrawSprite(Sprite* sprite, const View& view, uint32_t flags) {
    int64_t fw = sprite->frameWidth, fh = sprite->frameHeight;
    if (!sprite->surface || fw == 0 || fh == 0 || sprite->framesPerRow == 0)
        return;
    int64_t sheetWidth = -1, sheetHeight = -1;
    for (SpriteInstance* i = sprite->instances.ptr; i; i = i->next.ptr) {
        if (i->visible != 1 || i->x + fw <= view.left || i->x >= view.right ||
            i->y + fh <= view.top || i->y >= view.bottom)
            continue;
        int64_t sx = int64_t(i->frame % sprite->framesPerRow) * fw;
        int64_t sy = int64_t(i->frame / sprite->framesPerRow) * fh;
        if (sheetWidth < 0)
            SurfaceSize(sprite->surface, &sheetWidth, &sheetHeight);
        if (sx + fw > sheetWidth || sy + fh > sheetHeight)
            continue; // nor one the bitmap is too small to hold
        int64_t left = sx, top = sy, right = sx + fw, bottom = sy + fh;
        int64_t dx, dy;
        if (i->x < view.left) {
            dx = 0;
            left += view.left - i->x;
        } else {
            dx = i->x - view.left;
        }
        if (i->y < view.top) {
            dy = 0;
            top += view.top - i->y;
        } else {
            dy = i->y - view.top;
        }
        if (dx + (right - left) >= view.width)
            right = left + (view.width - dx);
        if (dy + (bottom - top) >= view.height)
            bottom = top + (view.height - dy);
        platform::Rect source{int32_t(left), int32_t(top), int32_t(right), int32_t(bottom)};
        Blit(dx, dy, sprite->surface, source, flags);
    }
}

} // namespace

void DrawLayer(Layer* layer, uint32_t screenWidth, uint32_t screenHeight) {
    if (!gDisplay.back)
        return;
    uint32_t flags =
        layer->opaque == 0 ? platform::DDBLTFAST_SRCCOLORKEY : platform::DDBLTFAST_NOCOLORKEY;
    DrawTiles(layer, screenWidth, screenHeight, flags);

    View view;
    view.left = int64_t(layer->scrollColumn) * layer->tileWidth + layer->scrollSubX;
    view.top = int64_t(layer->scrollRow) * layer->tileHeight + layer->scrollSubY;
    view.width = screenWidth;
    view.height = screenHeight;
    view.right = view.left + screenWidth;
    view.bottom = view.top + screenHeight;
    for (PtrPair<Sprite> list : {layer->platforms, layer->sprites, layer->players})
        for (Sprite* sprite = list.ptr; sprite; sprite = sprite->next.ptr)
            DrawSprite(sprite, view, flags);
}
