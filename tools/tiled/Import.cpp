#include "tools/tiled/Import.h"

#include "tools/Pictures.h"
#include "tools/tiled/Images.h"
#include "tools/tiled/Properties.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <optional>
#include <set>
#include <variant>

namespace tiled {
namespace {

using gamedata::LayerDesc;
using gamedata::SpriteDesc;

constexpr size_t kMaxName = gamedata::kNameSize - 1;
constexpr int kDefaultStep = 4;

// The whole-number type a level-file field holds, whether or not it is optional.
template <class T> struct Stored { using type = T; };
template <class T> struct Stored<std::optional<T>> { using type = T; };

// The texts of key1, key2, ... up to the first number `text` finds no text for.
template <class Lookup>
std::vector<const std::string*> NumberedTexts(const std::string& key, Lookup text) {
    std::vector<const std::string*> texts;
    while (const std::string* t = text(key + std::to_string(texts.size() + 1)))
        texts.push_back(t);
    return texts;
}

// The tile layers of the map with the layers that belong to each.
struct GameLayer {
    const Layer* tiles = nullptr;
    std::vector<const Layer*> objects, collision, masks;
};

class Importer {
  public:
    Importer(const Map& map, Report& report) : map_(map), report_(report) {}

    Imported Run();

  private:
    std::string LayerWhere(const Layer& layer) const {
        return map_.path + ": layer \"" + layer.name + "\"";
    }
    std::string TilesetWhere(const Tileset& t) const {
        return map_.path + ": tile set \"" + t.name + "\"";
    }
    void Error(const std::string& line) { report_.errors.push_back("error: " + line); }
    void Warn(const std::string& line) { report_.warnings.push_back("warning: " + line); }
    void CheckName(const std::string& name, const std::string& where, const char* what) {
        if (name.size() > kMaxName)
            Error(where + ": " + what + " \"" + name + "\" is longer than 39 bytes");
    }
    template <class T> T Fit(int64_t v, const std::string& where, const char* what) {
        int64_t lo = int64_t(std::numeric_limits<T>::min());
        int64_t hi = int64_t(std::numeric_limits<T>::max());
        if (v < lo || v > hi) {
            Error(where + ": " + what + " " + std::to_string(v) + " is outside " +
                  std::to_string(lo) + " to " + std::to_string(hi));
            return 0;
        }
        return T(v);
    }
    // A level-file field of any of its whole-number types.
    using Field = std::variant<uint32_t*, uint16_t*, int16_t*, std::optional<uint32_t>*,
                               std::optional<uint16_t>*>;
    void Set(Field field, int64_t v, const std::string& where, const char* what) {
        std::visit(
            [&](auto* f) {
                *f = Fit<typename Stored<std::remove_pointer_t<decltype(f)>>::type>(v, where, what);
            },
            field);
    }
    using Fields = std::vector<std::pair<std::string, Field>>;
    // The fields of key1, key2, ... in order.
    static Fields NumberedFields(const char* key, std::initializer_list<Field> fields) {
        Fields out;
        for (Field f : fields)
            out.push_back({key + std::to_string(out.size() + 1), f});
        return out;
    }
    // Sets, in order, each field whose property is given.
    void ReadInts(const Properties& p, const Fields& fields, const std::string& where) {
        for (const auto& [key, field] : fields) {
            int64_t v = 0;
            if (p.Int(key, v, where))
                Set(field, v, where, key.c_str());
        }
    }
    // A property from 0 to `most`; beyond, an error and `out` keeps its value.
    template <class T>
    void ReadUpTo(const Properties& p, const char* key, int64_t most, T& out,
                  const std::string& where) {
        int64_t v = 0;
        if (!p.Int(key, v, where))
            return;
        if (v < 0 || v > most)
            Error(where + ": " + key + " " + std::to_string(v) + " is outside 0 to " +
                  std::to_string(most));
        else
            out = T(v);
    }
    // A position in pixels, rounded; the game keeps them in 32 bits.
    int64_t Coordinate(double v, const std::string& where) {
        if (!(std::fabs(v) < 2147483647.0)) {
            Error(where + ": position or size out of range");
            return 0;
        }
        return std::llround(v);
    }
    template <class T>
    uint16_t Count(const std::vector<T>& items, const std::string& where, const char* what) {
        if (items.size() > 0xFFFF)
            Error(where + ": " + std::to_string(items.size()) + " " + what +
                  "; a level file holds at most 65535");
        return uint16_t(items.size());
    }

    std::vector<GameLayer> Gather();
    // The tile set and tile of a gid, or nullptr after an error naming where.
    const Tileset* Resolve(uint32_t gid, int& id, const std::string& where);
    const Image& Picture(const Tileset& t);
    uint32_t GamePixel(const Tileset& t, int id, int x, int y);
    std::vector<uint8_t> Rows24(const Tileset& t, int32_t& width, int32_t& height);
    std::string FileOf(const Tileset& t, const char* extension);
    void AddFile(const std::string& name, std::vector<uint8_t> bytes, const std::string& where);
    std::string WriteTileSet(const Tileset& t);
    std::string WriteSheet(const Tileset& t);
    void WriteMask(const std::string& layerName, const Tileset* maskTiles,
                   const std::string& where);

    LayerDesc BuildLayer(const GameLayer& g, int mainStepX, int mainStepY);
    void BuildTiles(const GameLayer& g, LayerDesc& out, std::vector<const Tileset*>& slotSets);
    void BuildCollision(const GameLayer& g, LayerDesc& out);
    void BuildSprites(const GameLayer& g, LayerDesc& out);
    void BuildHeader(gamedata::LevelFileDesc& level);

    const Map& map_;
    Report& report_;
    Imported out_;
    std::map<const Tileset*, Image> pictures_;
};

std::vector<GameLayer> Importer::Gather() {
    std::vector<GameLayer> layers;
    for (const Layer& layer : map_.layers) {
        std::string where = LayerWhere(layer);
        bool isCollision = layer.properties.Bool("collision", where);
        bool isMask = layer.properties.Bool("mask", where);
        if (layer.kind == LayerKind::Tiles && !isCollision && !isMask) {
            layers.push_back({&layer, {}, {}, {}});
            continue;
        }
        if (layers.empty()) {
            Error(where + ": comes before any tile layer, so it belongs to no layer");
            continue;
        }
        if (layer.kind == LayerKind::Objects)
            layers.back().objects.push_back(&layer);
        else if (isMask)
            layers.back().masks.push_back(&layer);
        else
            layers.back().collision.push_back(&layer);
    }
    return layers;
}

const Tileset* Importer::Resolve(uint32_t gid, int& id, const std::string& where) {
    int index = TilesetOf(map_, gid & ~kFlipFlags);
    if (index < 0) {
        Error(where + ": tile " + std::to_string(gid & ~kFlipFlags) + " is in no tile set");
        return nullptr;
    }
    const Tileset& t = map_.tilesets[size_t(index)];
    if (t.imageCollection) {
        Error(TilesetWhere(t) + ": Unable to use a tile set of single pictures (use one picture)");
        return nullptr;
    }
    id = int((gid & ~kFlipFlags) - t.firstGid);
    return &t;
}

const Image& Importer::Picture(const Tileset& t) {
    auto it = pictures_.find(&t);
    if (it != pictures_.end())
        return it->second;
    if (t.image.empty())
        throw Failure(TilesetWhere(t) + ": has no picture");
    Image image = ReadImage(t.image);
    int rows = (t.tileCount + t.columns - 1) / t.columns;
    if (t.margin + int64_t(t.columns) * (t.tileWidth + t.spacing) - t.spacing > image.width ||
        t.margin + int64_t(rows) * (t.tileHeight + t.spacing) - t.spacing > image.height)
        throw Failure(TilesetWhere(t) + ": the picture " + t.image + " (" +
                      std::to_string(image.width) + " x " + std::to_string(image.height) +
                      ") is smaller than its tiles");
    return pictures_.emplace(&t, std::move(image)).first->second;
}

// The pixel as the game draws it: black stands for see-through.
uint32_t Importer::GamePixel(const Tileset& t, int id, int x, int y) {
    const Image& image = Picture(t);
    int px = t.margin + (id % t.columns) * (t.tileWidth + t.spacing) + x;
    int py = t.margin + (id / t.columns) * (t.tileHeight + t.spacing) + y;
    uint32_t p = image.At(px, py);
    if ((p >> 24) < 128 || (t.hasTrans && (p & 0xFFFFFF) == t.trans))
        return 0;
    return p & 0xFFFFFF;
}

std::string Importer::FileOf(const Tileset& t, const char* extension) {
    const std::string* file = t.properties.Text("file");
    std::string name = file ? *file : t.name + extension;
    CheckName(name, TilesetWhere(t), "file name");
    return name;
}

void Importer::AddFile(const std::string& name, std::vector<uint8_t> bytes,
                       const std::string& where) {
    auto it = out_.files.find(name);
    if (it != out_.files.end() && it->second != bytes) {
        Error(where + ": writes " + name + ", which another tile set or layer writes differently");
        return;
    }
    out_.files[name] = std::move(bytes);
}

std::vector<uint8_t> Importer::Rows24(const Tileset& t, int32_t& width, int32_t& height) {
    Picture(t); // fails unless the picture holds every tile
    int rows = (t.tileCount + t.columns - 1) / t.columns;
    width = t.columns * t.tileWidth;
    height = rows * t.tileHeight;
    return gamedata::DibRows(width, height, 24, [&](int x, int y) {
        int id = (y / t.tileHeight) * t.columns + x / t.tileWidth;
        return GamePixel(t, id, x % t.tileWidth, y % t.tileHeight);
    });
}

std::string Importer::WriteTileSet(const Tileset& t) {
    std::string name = FileOf(t, ".til");
    gamedata::TileSetFileDesc file;
    file.tileWidth = uint32_t(t.tileWidth);
    file.tileHeight = uint32_t(t.tileHeight);
    file.tilesAcross = uint32_t(t.columns);
    file.tilesDown = uint32_t((t.tileCount + t.columns - 1) / t.columns);
    file.bitmap.bitCount = 24;
    file.bitmap.pixels = Rows24(t, file.bitmap.width, file.bitmap.height);
    AddFile(name, gamedata::BuildTileSetFile(file), TilesetWhere(t));
    return name;
}

std::string Importer::WriteSheet(const Tileset& t) {
    std::string name = FileOf(t, ".spr");
    std::string where = TilesetWhere(t);
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = uint32_t(t.tileWidth);
    sheet.frameHeight = uint32_t(t.tileHeight);
    sheet.framesPerRow = uint32_t(t.columns);
    ReadInts(t.properties, {{"sheetValue", &sheet.sheetValue}}, where);
    sheet.bitmap.bitCount = 24;
    sheet.bitmap.pixels = Rows24(t, sheet.bitmap.width, sheet.bitmap.height);
    // The editor counts every cell of the picture as a tile; `frames` says how
    // many of them the sheet holds.
    int64_t frames = t.tileCount;
    ReadUpTo(t.properties, "frames", t.tileCount, frames, where);
    for (int id = 0; id < frames; ++id) {
        gamedata::FrameDesc frame;
        if (const Tile* tile = t.TileAt(id)) {
            std::string tileWhere = where + ": tile " + std::to_string(id);
            if (tile->otherShapes)
                Warn(tileWhere + ": collision shapes other than rectangles are ignored");
            if (tile->boxes.size() > 32)
                Error(tileWhere + ": " + std::to_string(tile->boxes.size()) +
                      " collision rectangles; a frame holds at most 32");
            for (size_t i = 0; i < tile->boxes.size() && i < 32; ++i) {
                const Rect& r = tile->boxes[i];
                int64_t extra = 0;
                r.properties.Int("value", extra, tileWhere);
                int64_t left = Coordinate(r.x, tileWhere), top = Coordinate(r.y, tileWhere);
                frame.boxes.push_back({int32_t(left), int32_t(top),
                                       int32_t(left + Coordinate(r.width, tileWhere)),
                                       int32_t(top + Coordinate(r.height, tileWhere)),
                                       Fit<int32_t>(extra, tileWhere, "value")});
            }
            ReadInts(tile->properties, {{"boxCount", &frame.boxCount}}, tileWhere);
        }
        sheet.frames.push_back(std::move(frame));
    }
    AddFile(name, gamedata::BuildSpriteSheetFile(sheet), where);
    return name;
}

void Importer::WriteMask(const std::string& layerName, const Tileset* maskTiles,
                         const std::string& where) {
    int count = maskTiles ? maskTiles->tileCount : 1;
    int width = 16 * count;
    gamedata::BmpFileDesc bmp{.width = width, .height = 16, .bitCount = 1};
    bmp.palette = {0x000000, 0xFFFFFF};
    bmp.pixels = gamedata::DibRows(width, 16, 1, [&](int x, int y) {
        return maskTiles && GamePixel(*maskTiles, x / 16, x % 16, y) != 0 ? 1u : 0u;
    });
    std::string name = layerName + "1.msk";
    CheckName(name, where, "mask file name");
    AddFile(name, gamedata::BuildBmpFile(bmp), where);
}

void Importer::BuildTiles(const GameLayer& g, LayerDesc& out,
                          std::vector<const Tileset*>& slotSets) {
    const Layer& layer = *g.tiles;
    std::string where = LayerWhere(layer);
    slotSets.assign(16, nullptr);

    // Which tile sets the cells use, and the cells as (tile set, tile).
    size_t cells = size_t(out.columns) * out.rows;
    std::vector<std::pair<const Tileset*, int>> tiles(cells, {nullptr, 0});
    std::set<const Tileset*> used;
    bool flipped = false, bad = false;
    for (uint32_t r = 0; r < out.rows && !bad; ++r)
        for (uint32_t c = 0; c < out.columns && !bad; ++c) {
            uint32_t gid = layer.gids[size_t(r) * size_t(layer.width) + c];
            if (!gid)
                continue;
            flipped |= (gid & kFlipFlags) != 0;
            int id = 0;
            const Tileset* t = Resolve(
                gid, id, where + ": cell (" + std::to_string(c) + ", " + std::to_string(r) + ")");
            if (!t) {
                bad = true;
                break;
            }
            tiles[size_t(r) * out.columns + c] = {t, id};
            used.insert(t);
        }
    if (flipped)
        Warn(where + ": flipped or rotated tiles are drawn unflipped");

    if (const std::string* list = layer.properties.Text("tileSets")) {
        for (const auto& [file, slot] : ParseTileSetList(*list, where)) {
            const Tileset* match = nullptr;
            for (const Tileset& t : map_.tilesets)
                if (!t.imageCollection && FileOf(t, ".til") == file)
                    match = &t;
            if (!match) {
                Error(where + ": tile-set file " + file + " is no tile set of the map");
                continue;
            }
            out.tileSets.push_back({WriteTileSet(*match), Fit<int16_t>(slot, where, "slot")});
            if (slot >= 0 && slot < 16)
                slotSets[size_t(slot)] = match;
        }
    } else {
        for (const Tileset& t : map_.tilesets)
            if (used.count(&t)) {
                int slot = int(out.tileSets.size()) + 1;
                out.tileSets.push_back({WriteTileSet(t), int16_t(slot)});
                if (slot < 16)
                    slotSets[size_t(slot)] = &t;
            }
    }
    if (out.tileSets.size() > 3)
        Error(where + ": uses " + std::to_string(out.tileSets.size()) +
              " tile sets; the game draws at most three per layer");

    // The layer's tile size is its tile sets'.
    const Tileset* first = nullptr;
    for (const Tileset* t : slotSets) {
        if (!t)
            continue;
        if (first && (t->tileWidth != first->tileWidth || t->tileHeight != first->tileHeight))
            Error(where + ": tile sets \"" + first->name + "\" and \"" + t->name +
                  "\" have different tile sizes");
        if (!first)
            first = t;
    }
    out.tileWidth = uint32_t(first ? first->tileWidth : map_.tileWidth);
    out.tileHeight = uint32_t(first ? first->tileHeight : map_.tileHeight);
    ReadInts(layer.properties, {{"tileWidth", &out.tileWidth}, {"tileHeight", &out.tileHeight}},
             where);

    out.tileMap.assign(cells, 0);
    for (size_t i = 0; i < cells && !bad; ++i) {
        auto [t, id] = tiles[i];
        if (!t)
            continue;
        int slot = int(std::find(slotSets.begin(), slotSets.end(), t) - slotSets.begin());
        if (slot >= 8) {
            Error(where + ": tile set \"" + t->name + "\" has no slot the map can show");
            break;
        }
        if (id + 1 > 0x1FFF) {
            Error(where + ": tile " + std::to_string(id) + " of \"" + t->name +
                  "\" is beyond the 8191 tiles a cell can name");
            break;
        }
        out.tileMap[i] = uint16_t((slot << 13) | (id + 1));
    }
    if (const std::string* text = layer.properties.Text("cells"))
        for (const auto& [index, value] : ParseCellList(*text, cells, 0xFFFF, where + ": cells"))
            out.tileMap[index] = uint16_t(value);
}

void Importer::BuildCollision(const GameLayer& g, LayerDesc& out) {
    const Layer& layer = *g.tiles;
    std::string where = LayerWhere(layer);
    size_t cells = size_t(out.columns) * out.rows;

    // Class and hazard from a tile's properties, when it gives them.
    auto apply = [&](const Tileset* t, int id, uint32_t& cls, uint32_t& hazard,
                     const std::string& at) {
        const Tile* tile = t ? t->TileAt(id) : nullptr;
        if (!tile)
            return;
        int64_t v = 0;
        if (tile->properties.Int("class", v, at)) {
            if (v < 0 || v > 15)
                Error(at + ": collision class " + std::to_string(v) + " is outside 0 to 15");
            cls = uint32_t(v) & 15;
        }
        if (tile->properties.Int("hazard", v, at)) {
            if (v < 0 || v > 3)
                Error(at + ": hazard class " + std::to_string(v) + " is outside 0 to 3");
            hazard = uint32_t(v) & 3;
        }
    };
    auto tileAt = [&](const Layer& l, uint32_t r, uint32_t c, int& id) -> const Tileset* {
        if (int(r) >= l.height || int(c) >= l.width)
            return nullptr;
        uint32_t gid = l.gids[size_t(r) * size_t(l.width) + c];
        if (!gid)
            return nullptr;
        return Resolve(gid, id,
                       LayerWhere(l) + ": cell (" + std::to_string(c) + ", " + std::to_string(r) +
                           ")");
    };

    bool tileProps = false;
    for (uint32_t r = 0; r < out.rows && !tileProps; ++r)
        for (uint32_t c = 0; c < out.columns && !tileProps; ++c) {
            int id = 0;
            const Tileset* t =
                layer.gids[size_t(r) * size_t(layer.width) + c] ? tileAt(layer, r, c, id) : nullptr;
            const Tile* tile = t ? t->TileAt(id) : nullptr;
            tileProps = tile && (tile->properties.Has("class") || tile->properties.Has("hazard"));
        }
    if (g.collision.empty() && g.masks.empty() && !tileProps)
        return;
    out.hasMask = 1;

    // The mask tile set: named by a mask layer, or the one its cells use.
    const Tileset* maskTiles = nullptr;
    for (const Layer* m : g.masks) {
        const Tileset* named = nullptr;
        if (const std::string* name = m->properties.Text("tileSet")) {
            for (const Tileset& t : map_.tilesets)
                if (t.name == *name)
                    named = &t;
            if (!named)
                Error(LayerWhere(*m) + ": no tile set is named \"" + *name + "\"");
        }
        for (uint32_t gid : m->gids) {
            int id = 0;
            const Tileset* t = gid ? Resolve(gid, id, LayerWhere(*m)) : nullptr;
            if (!t)
                continue;
            if (named && t != named)
                Error(LayerWhere(*m) + ": uses \"" + t->name + "\" besides its mask tile set \"" +
                      named->name + "\"");
            else if (!named)
                named = t;
            if (t != named)
                break;
        }
        if (maskTiles && named && named != maskTiles)
            Error(LayerWhere(*m) + ": a layer has one mask tile set; \"" + maskTiles->name +
                  "\" and \"" + named->name + "\" are two");
        if (named)
            maskTiles = named;
    }
    if (maskTiles && (maskTiles->tileWidth != 16 || maskTiles->tileHeight != 16))
        Error(TilesetWhere(*maskTiles) + ": mask tiles must be 16 x 16 pixels");
    if (maskTiles && maskTiles->tileCount > 0x1FFFF)
        Error(TilesetWhere(*maskTiles) + ": more mask tiles than a cell can name");
    if (!report_.errors.empty())
        return;
    WriteMask(layer.name, maskTiles, where);
    out.maskStride = int16_t(std::min(maskTiles ? maskTiles->tileCount : 1, 0x7FFF));

    out.maskData.assign(cells, 0);
    for (uint32_t r = 0; r < out.rows; ++r)
        for (uint32_t c = 0; c < out.columns; ++c) {
            uint32_t cls = 15, hazard = 0, mask = 0;
            std::string at =
                where + ": cell (" + std::to_string(c) + ", " + std::to_string(r) + ")";
            int id = 0;
            if (layer.gids[size_t(r) * size_t(layer.width) + c]) {
                const Tileset* t = tileAt(layer, r, c, id);
                apply(t, id, cls, hazard, at);
            }
            for (const Layer* m : g.masks)
                if (const Tileset* t = tileAt(*m, r, c, id)) {
                    if (t == maskTiles)
                        mask = uint32_t(id) + 1;
                    apply(t, id, cls, hazard, at);
                }
            for (const Layer* k : g.collision)
                if (const Tileset* t = tileAt(*k, r, c, id))
                    apply(t, id, cls, hazard, at);
            out.maskData[size_t(r) * out.columns + c] = mask | cls << 17 | hazard << 21;
        }
    if (const std::string* text = layer.properties.Text("maskCells"))
        for (const auto& [index, value] :
             ParseCellList(*text, cells, 0xFFFFFFFF, where + ": maskCells"))
            out.maskData[index] = uint32_t(value);
}

void Importer::BuildSprites(const GameLayer& g, LayerDesc& out) {
    struct Build {
        const Tileset* sheet = nullptr;
        std::vector<const Object*> objects;
        std::vector<std::pair<std::optional<int64_t>, gamedata::InstanceDesc>> instances;
        std::string where;
    };
    std::vector<std::pair<std::string, Build>> sprites;
    for (const Layer* layer : g.objects) {
        bool flipped = false;
        for (const Object& obj : layer->objects) {
            std::string where = LayerWhere(*layer) + ": object \"" + obj.name + "\" (id " +
                                std::to_string(obj.id) + ")";
            if (!obj.gid) {
                Warn(where + ": not a tile object, ignored");
                continue;
            }
            flipped |= (obj.gid & kFlipFlags) != 0;
            int id = 0;
            const Tileset* t = Resolve(obj.gid, id, where);
            if (!t)
                continue;
            std::string name = obj.name.empty() ? t->name : obj.name;
            auto it = std::find_if(sprites.begin(), sprites.end(),
                                   [&](const auto& s) { return s.first == name; });
            if (it == sprites.end()) {
                sprites.push_back(
                    {name, Build{t, {}, {}, LayerWhere(*layer) + ": object \"" + name + "\""}});
                it = sprites.end() - 1;
            }
            Build& b = it->second;
            if (b.sheet != t) {
                Error(where + ": sprite \"" + name + "\" uses two tile sets, \"" + b.sheet->name +
                      "\" and \"" + t->name + "\"");
                continue;
            }
            b.objects.push_back(&obj);
            if (obj.properties.Bool("placeholder", where))
                continue;
            int64_t frame = id;
            obj.properties.Int("frame", frame, where);
            // Tile objects sit on their bottom-left corner unless the tile set says otherwise.
            const std::string& align = t->alignment;
            bool top = align.rfind("top", 0) == 0,
                 middle = align == "left" || align == "center" || align == "right";
            bool centre = align == "top" || align == "center" || align == "bottom";
            bool right = align.size() >= 5 && align.compare(align.size() - 5, 5, "right") == 0;
            int64_t x = Coordinate(obj.x, where) - (right    ? t->tileWidth
                                                    : centre ? t->tileWidth / 2
                                                             : 0);
            int64_t y = Coordinate(obj.y, where) - (top      ? 0
                                                    : middle ? t->tileHeight / 2
                                                             : t->tileHeight);
            if (x < 0 || y < 0)
                Error(where + ": lies left of or above the map (" + std::to_string(x) + ", " +
                      std::to_string(y) + ")");
            std::optional<int64_t> key;
            int64_t k = 0;
            if (obj.properties.Int("instance", k, where))
                key = k;
            auto inst = key ? std::find_if(b.instances.begin(), b.instances.end(),
                                           [&](const auto& i) { return i.first == key; })
                            : b.instances.end();
            if (inst == b.instances.end()) {
                b.instances.push_back({key, {}});
                inst = b.instances.end() - 1;
                inst->second.frame = Fit<uint32_t>(frame, where, "frame");
            }
            inst->second.locations.push_back(
                {uint32_t(std::max<int64_t>(x, 0)), uint32_t(std::max<int64_t>(y, 0))});
            Count(inst->second.locations, where, "candidate positions");
        }
        if (flipped)
            Warn(LayerWhere(*layer) + ": flipped or rotated objects are drawn unflipped");
    }

    for (auto& entry : sprites) {
        const std::string& name = entry.first;
        Build& b = entry.second;
        // A sprite property: from the first object giving it, else the tile set.
        auto prop = [&](const std::string& key) -> const Properties* {
            for (const Object* o : b.objects)
                if (o->properties.Has(key))
                    return &o->properties;
            return b.sheet->properties.Has(key) ? &b.sheet->properties : nullptr;
        };
        auto text = [&](const std::string& key) -> const std::string* {
            const Properties* p = prop(key);
            return p ? p->Text(key) : nullptr;
        };
        SpriteDesc s;
        s.name = name;
        CheckName(name, b.where, "sprite name");
        s.sheetFile = WriteSheet(*b.sheet);
        if (const std::string* brain = text("brain"))
            s.brainFile = *brain;
        CheckName(s.brainFile, b.where, "brain file name");
        // Every number is set, to 0 when neither an object nor the tile set gives it.
        Fields numbers = {
            {"points", &s.points}, {"isPlayer", &s.isPlayer}, {"isPlatform", &s.isPlatform}};
        Fields params = NumberedFields(
            "param", {&s.spriteParam1, &s.spriteParam2, &s.spriteParam3, &s.spriteParam4,
                      &s.spriteParam5, &s.spriteParam6, &s.spriteParam7, &s.spriteParam8,
                      &s.spriteParam9, &s.spriteParam10, &s.spriteParam11, &s.spriteParam12,
                      &s.spriteParam13, &s.spriteParam14, &s.spriteParam15, &s.spriteParam16});
        numbers.insert(numbers.end(), params.begin(), params.end());
        for (const auto& [key, field] : numbers) {
            int64_t v = 0;
            if (const Properties* p = prop(key))
                p->Int(key, v, b.where);
            Set(field, v, b.where, key.c_str());
        }
        for (const std::string* sequence : NumberedTexts("sequence", text))
            s.sequences.push_back(ParseSequence(*sequence, b.where));
        for (const std::string* sound : NumberedTexts("sound", text))
            s.sounds.push_back(ParseSpriteSound(*sound, b.where));
        for (const auto& seq : s.sequences) {
            CheckName(seq.name, b.where, "sequence name");
            CheckName(seq.name2, b.where, "sequence name");
        }
        for (const auto& sound : s.sounds) {
            CheckName(sound.name, b.where, "sound name");
            CheckName(sound.waveFile, b.where, "wave file name");
            Count(sound.frames, b.where, "sound frames");
        }
        for (auto& [key, instance] : b.instances)
            s.instances.push_back(std::move(instance));
        Count(s.instances, b.where, "instances");
        Count(s.sequences, b.where, "sequences");
        Count(s.sounds, b.where, "sounds");
        out.sprites.push_back(std::move(s));
    }
    Count(out.sprites, LayerWhere(*g.tiles), "sprites");
}

LayerDesc Importer::BuildLayer(const GameLayer& g, int mainStepX, int mainStepY) {
    const Layer& layer = *g.tiles;
    std::string where = LayerWhere(layer);
    const Properties& p = layer.properties;
    LayerDesc out;
    out.name = layer.name;
    CheckName(layer.name, where, "layer name");
    ReadInts(p, {{"main", &out.isMainLayer}}, where);
    // A step not given follows the parallax, against the main layer's.
    auto step = [&](const char* key, double parallax, int mainStep) {
        int64_t v = 0;
        if (!p.Int(key, v, where))
            v = out.isMainLayer ? kDefaultStep : std::llround(parallax * mainStep);
        return Fit<uint32_t>(v, where, key);
    };
    out.stepX = step("stepX", layer.parallaxX, mainStepX);
    out.stepY = step("stepY", layer.parallaxY, mainStepY);
    ReadInts(p, {{"opaque", &out.opaque}}, where);
    out.columns = uint32_t(layer.width);
    out.rows = uint32_t(layer.height);
    ReadUpTo(p, "columns", layer.width, out.columns, where);
    ReadUpTo(p, "rows", layer.height, out.rows, where);
    ReadInts(p,
             NumberedFields("unused", {&out.unused1, &out.unused2, &out.unused3, &out.unused4,
                                       &out.unused5, &out.unused6}),
             where);

    std::vector<const Tileset*> slotSets;
    BuildTiles(g, out, slotSets);
    BuildCollision(g, out);
    // A mask marker other than 0 or 1 is kept as it was.
    ReadInts(p, {{"maskStride", &out.maskStride}, {"hasMask", &out.hasMask}}, where);
    BuildSprites(g, out);
    for (const std::string* text :
         NumberedTexts("sound", [&](const std::string& key) { return p.Text(key); })) {
        out.layerSounds.push_back(ParseLayerSound(*text, where));
        CheckName(out.layerSounds.back().name, where, "sound name");
        CheckName(out.layerSounds.back().waveFile, where, "wave file name");
    }
    Count(out.tileSets, where, "tile sets");
    Count(out.layerSounds, where, "layer sounds");
    return out;
}

void Importer::BuildHeader(gamedata::LevelFileDesc& level) {
    const Properties& p = map_.properties;
    const std::string& where = map_.path;
    ReadInts(p,
             {{"screenWidth", &level.screenWidth},
              {"screenHeight", &level.screenHeight},
              {"colourDepth", &level.colourDepth}},
             where);
    if (const std::string* music = p.Text("music"))
        level.musicWave = *music;
    CheckName(level.musicWave, where, "music file name");
    ReadInts(p, {{"cdTrack", &level.cdTrack}}, where);
    level.useCdAudio = level.cdTrack > 0;
    ReadInts(p, {{"useCdAudio", &level.useCdAudio}}, where);
    ReadInts(p, NumberedFields("header", {&level.unused1, &level.unused2, &level.unused3}), where);
    ReadInts(p,
             {{"cutsceneMarker", &level.cutsceneMarker},
              {"menuMarker", &level.menuMarker},
              {"movieFlag", &level.movieFlag},
              {"menuPageCount", &level.menuPageCount}},
             where);
    if (const std::string* movie = p.Text("movieName"))
        level.movieName = *movie;
    if (const std::string* menu = p.Text("menuModuleName"))
        level.menuModuleName = *menu;
    CheckName(level.movieName, where, "movie name");
    CheckName(level.menuModuleName, where, "menu plug-in name");
    if (level.cutsceneMarker == 1 || level.menuMarker == 1)
        Error(where + ": cutsceneMarker or menuMarker 1 makes the page no level");
}

Imported Importer::Run() {
    if (map_.orientation != "orthogonal")
        throw Failure(map_.path + ": Unable to import a map that is not orthogonal");
    if (map_.infinite)
        throw Failure(map_.path + ": Unable to import an infinite map (make it finite in the "
                                  "map's properties)");
    for (const std::string& w : map_.warnings)
        Warn(w);
    const std::string* level = map_.properties.Text("level");
    out_.levelName = level ? *level : std::filesystem::path(map_.path).stem().string();
    CheckName(out_.levelName, map_.path, "level name");
    BuildHeader(out_.level);

    std::vector<GameLayer> layers = Gather();
    int mainStepX = kDefaultStep, mainStepY = kDefaultStep;
    for (const GameLayer& g : layers) {
        std::string where = LayerWhere(*g.tiles);
        int64_t v = 0;
        if (g.tiles->properties.Bool("main", where)) {
            if (g.tiles->properties.Int("stepX", v, where))
                mainStepX = int(std::clamp<int64_t>(v, 0, 1 << 20));
            if (g.tiles->properties.Int("stepY", v, where))
                mainStepY = int(std::clamp<int64_t>(v, 0, 1 << 20));
        }
    }
    for (const GameLayer& g : layers)
        out_.level.layers.push_back(BuildLayer(g, mainStepX, mainStepY));
    Count(out_.level.layers, map_.path, "layers");
    return std::move(out_);
}

} // namespace

Imported ImportMap(const Map& map, Report& report) {
    return Importer(map, report).Run();
}

} // namespace tiled
