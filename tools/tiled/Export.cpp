#include "tools/tiled/Export.h"

#include "tools/tiled/Images.h"
#include "tools/tiled/LevelReader.h"
#include "tools/tiled/Palette.h"
#include "tools/tiled/Properties.h"

#include <tinyxml2.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <set>

namespace tiled {
namespace {

namespace fs = std::filesystem;
using namespace gamedata;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

constexpr int kDefaultStep = 4;

// One tile set of the exported map.
struct OutTileset {
    std::string name, file, image;
    int tileWidth = 0, tileHeight = 0, columns = 0, count = 0;
    uint32_t firstGid = 0;
    XMLElement* element = nullptr;
};

class Exporter {
  public:
    Exporter(const LevelFileDesc& level, const std::string& path, const fs::path& data,
             const fs::path& folder, Report& report)
        : level_(level), path_(path), data_(data), folder_(folder), report_(report) {}

    std::string Run(const std::string& stem);

  private:
    void Error(const std::string& line) { report_.errors.push_back("error: " + line); }
    XMLElement* Properties(XMLElement* owner) {
        XMLElement* list = owner->FirstChildElement("properties");
        if (!list) {
            list = doc_.NewElement("properties");
            owner->InsertFirstChild(list);
        }
        return list;
    }
    void Prop(XMLElement* owner, const char* name, const std::string& value,
              const char* type = nullptr) {
        XMLElement* p = Properties(owner)->InsertNewChildElement("property");
        p->SetAttribute("name", name);
        if (type)
            p->SetAttribute("type", type);
        p->SetAttribute("value", value.c_str());
    }
    void IntProp(XMLElement* owner, const std::string& name, int64_t value) {
        Prop(owner, name.c_str(), std::to_string(value), "int");
    }
    void Picture(const std::string& name, const Image& image) {
        std::vector<uint8_t> png = EncodePng(image);
        if (!gamedata::WriteFile((folder_ / name).string(), png))
            throw Failure("Unable to write " + (folder_ / name).string());
    }
    // Names in level files use '\' and were written for a file system that
    // ignores case, as the game reads them.
    std::vector<uint8_t> DataFile(const std::string& name) {
        fs::path path = data_;
        std::string rest = name;
        std::replace(rest.begin(), rest.end(), '\\', '/');
        for (const auto& part : fs::path(rest)) {
            fs::path next = path / part;
            std::error_code error;
            if (!fs::exists(next, error))
                for (const auto& entry : fs::directory_iterator(path, error))
                    if (Lower(entry.path().filename().string()) == Lower(part.string()))
                        next = entry.path();
            path = next;
        }
        return ReadBytes(path.string());
    }
    static std::string Lower(std::string s) {
        std::transform(s.begin(), s.end(), s.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        return s;
    }
    // The PNG beside the map for a data file: one flat name.
    static std::string PngName(std::string file) {
        std::replace(file.begin(), file.end(), '\\', '_');
        std::replace(file.begin(), file.end(), '/', '_');
        return file + ".png";
    }
    OutTileset& AddTileset(const std::string& name, const std::string& image, int tw, int th,
                           int columns, int count);
    size_t TileSetOf(const std::string& file);
    size_t SheetOf(const std::string& file);
    void MaskTileset(const LayerDesc& layer, size_t& index);
    void WriteLayer(XMLElement* map, const LayerDesc& layer, int mainStepX, int mainStepY);
    void WriteSprites(XMLElement* group, const LayerDesc& layer);

    const LevelFileDesc& level_;
    std::string path_;
    fs::path data_, folder_;
    Report& report_;
    XMLDocument doc_;
    std::vector<OutTileset> tilesets_;
    std::map<std::string, size_t> tileFiles_, sheetFiles_;
    std::map<std::string, size_t> masks_; // by layer name
    size_t palette_ = SIZE_MAX;
    uint32_t nextGid_ = 1;
    int width_ = 0, height_ = 0, tileWidth_ = 16, tileHeight_ = 16;
    int nextLayer_ = 1, nextObject_ = 1;
};

// Black is the game's see-through colour; the editor shows it as such.
Image Crop(const Image& source, int width, int height) {
    Image out = MakeImage(width, height);
    for (int y = 0; y < height && y < source.height; ++y)
        for (int x = 0; x < width && x < source.width; ++x) {
            uint32_t p = source.At(x, y) & 0xFFFFFF;
            out.Set(x, y, p ? 0xFF000000u | p : 0);
        }
    return out;
}

OutTileset& Exporter::AddTileset(const std::string& name, const std::string& image, int tw, int th,
                                 int columns, int count) {
    OutTileset t;
    t.name = name;
    t.image = image;
    t.tileWidth = tw;
    t.tileHeight = th;
    t.columns = columns;
    t.count = count;
    t.firstGid = nextGid_;
    nextGid_ += uint32_t(count);
    tilesets_.push_back(t);
    return tilesets_.back();
}

size_t Exporter::TileSetOf(const std::string& file) {
    auto it = tileFiles_.find(file);
    if (it != tileFiles_.end())
        return it->second;
    std::string where = (data_ / file).string();
    TileSetPicture picture = ReadTileSetFile(DataFile(file), where);
    const TileSetFileDesc& h = picture.header;
    if (!h.tileWidth || !h.tileHeight || !h.tilesAcross || !h.tilesDown || h.tileWidth > 4096 ||
        h.tileHeight > 4096 || uint64_t(h.tilesAcross) * h.tilesDown > 8191)
        throw Failure(where + ": Unable to export a tile set of " + std::to_string(h.tilesAcross) +
                      " x " + std::to_string(h.tilesDown) + " tiles of " +
                      std::to_string(h.tileWidth) + " x " + std::to_string(h.tileHeight));
    std::string image = PngName(file);
    Picture(image,
            Crop(picture.image, int(h.tilesAcross * h.tileWidth), int(h.tilesDown * h.tileHeight)));
    AddTileset(fs::path(file).stem().string(), image, int(h.tileWidth), int(h.tileHeight),
               int(h.tilesAcross), int(h.tilesAcross * h.tilesDown))
        .file = file;
    return tileFiles_[file] = tilesets_.size() - 1;
}

size_t Exporter::SheetOf(const std::string& file) {
    auto it = sheetFiles_.find(file);
    if (it != sheetFiles_.end())
        return it->second;
    std::string where = (data_ / file).string();
    SheetPicture sheet = ReadSheetFile(DataFile(file), where);
    const SpriteSheetFileDesc& h = sheet.header;
    uint32_t count = uint32_t(h.frames.size());
    if (!h.frameWidth || !h.frameHeight || !h.framesPerRow || !count || h.frameWidth > 4096 ||
        h.frameHeight > 4096 || count > 1 << 16)
        throw Failure(where + ": Unable to export a sheet of " + std::to_string(count) +
                      " frames of " + std::to_string(h.frameWidth) + " x " +
                      std::to_string(h.frameHeight) + ", " + std::to_string(h.framesPerRow) +
                      " per row");
    uint32_t rows = (count + h.framesPerRow - 1) / h.framesPerRow;
    std::string image = PngName(file);
    Picture(image,
            Crop(sheet.image, int(h.framesPerRow * h.frameWidth), int(rows * h.frameHeight)));
    OutTileset& t = AddTileset(fs::path(file).stem().string() + " sheet", image, int(h.frameWidth),
                               int(h.frameHeight), int(h.framesPerRow), int(count));
    t.file = file;
    size_t index = tilesets_.size() - 1;
    sheetFiles_[file] = index;

    // The frames' boxes as the tiles' collision rectangles.
    t.element = doc_.NewElement("tileset");
    if (h.sheetValue)
        IntProp(t.element, "sheetValue", h.sheetValue);
    if (count % h.framesPerRow)
        IntProp(t.element, "frames", count);
    for (uint32_t f = 0; f < count; ++f) {
        const FrameDesc& frame = h.frames[f];
        if (frame.boxes.empty() && !frame.boxCount)
            continue;
        XMLElement* tile = t.element->InsertNewChildElement("tile");
        tile->SetAttribute("id", f);
        if (frame.boxCount)
            IntProp(tile, "boxCount", *frame.boxCount);
        XMLElement* group = tile->InsertNewChildElement("objectgroup");
        group->SetAttribute("draworder", "index");
        int id = 1;
        for (const auto& box : frame.boxes) {
            XMLElement* o = group->InsertNewChildElement("object");
            o->SetAttribute("id", id++);
            o->SetAttribute("x", box[0]);
            o->SetAttribute("y", box[1]);
            o->SetAttribute("width", int64_t(box[2]) - box[0]);
            o->SetAttribute("height", int64_t(box[3]) - box[1]);
            if (box[4])
                IntProp(o, "value", box[4]);
        }
    }
    return index;
}

void Exporter::MaskTileset(const LayerDesc& layer, size_t& index) {
    std::string file = layer.name + "1.msk";
    std::string where = (data_ / file).string();
    MaskPicture mask = ReadMaskFile(DataFile(file), where);
    if (mask.height != 16 || mask.width % 16)
        throw Failure(where + ": Unable to export a mask that is not one row of 16 x 16 tiles (" +
                      std::to_string(mask.width) + " x " + std::to_string(mask.height) + ")");
    Image image = MakeImage(mask.width, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < mask.width; ++x)
            image.Set(x, y, mask.At(x, y) ? 0xFFFFFFFFu : 0);
    std::string png = PngName(file);
    Picture(png, image);
    AddTileset(layer.name + " mask", png, 16, 16, std::max(mask.width / 16, 1), mask.width / 16);
    index = tilesets_.size() - 1;
    masks_[layer.name] = index;
}

void WriteCsv(XMLDocument& doc, XMLElement* layer, const std::vector<uint32_t>& gids, int width) {
    std::string csv = "\n";
    for (size_t i = 0; i < gids.size(); ++i) {
        csv += std::to_string(gids[i]);
        if (i + 1 < gids.size())
            csv += ',';
        if ((i + 1) % size_t(width) == 0)
            csv += '\n';
    }
    XMLElement* data = layer->InsertNewChildElement("data");
    data->SetAttribute("encoding", "csv");
    data->InsertEndChild(doc.NewText(csv.c_str()));
}

void Exporter::WriteLayer(XMLElement* map, const LayerDesc& layer, int mainStepX, int mainStepY) {
    std::string where = path_ + ": layer \"" + layer.name + "\"";
    XMLElement* e = map->InsertNewChildElement("layer");
    e->SetAttribute("id", nextLayer_++);
    e->SetAttribute("name", layer.name.c_str());
    e->SetAttribute("width", width_);
    e->SetAttribute("height", height_);

    if (layer.isMainLayer)
        Prop(e, "main", layer.isMainLayer == 1 ? "true" : std::to_string(layer.isMainLayer),
             layer.isMainLayer == 1 ? "bool" : "int");
    // Steps: the main layer's, else a parallax factor when it gives the step back.
    auto step = [&](uint32_t value, int mainStep, const char* axis, const char* name) {
        if (layer.isMainLayer) {
            if (value != kDefaultStep)
                IntProp(e, name, value);
            return;
        }
        if (mainStep > 0) {
            char factor[32];
            std::snprintf(factor, sizeof(factor), "%.9g", double(value) / mainStep);
            if (std::llround(std::strtod(factor, nullptr) * mainStep) == int64_t(value)) {
                if (value != uint32_t(mainStep))
                    e->SetAttribute(axis, factor);
                return;
            }
        }
        IntProp(e, name, value);
    };
    step(layer.stepX, mainStepX, "parallaxx", "stepX");
    step(layer.stepY, mainStepY, "parallaxy", "stepY");
    if (layer.opaque)
        Prop(e, "opaque", layer.opaque == 1 ? "true" : std::to_string(layer.opaque),
             layer.opaque == 1 ? "bool" : "int");
    if (layer.columns != uint32_t(width_))
        IntProp(e, "columns", layer.columns);
    if (layer.rows != uint32_t(height_))
        IntProp(e, "rows", layer.rows);
    const std::pair<const char*, int64_t> unused[] = {
        {"unused1", layer.unused1}, {"unused2", layer.unused2}, {"unused3", layer.unused3},
        {"unused4", layer.unused4}, {"unused5", layer.unused5}, {"unused6", layer.unused6}};
    for (const auto& [name, value] : unused)
        if (value)
            IntProp(e, name, value);
    if (layer.hasMask > 1)
        IntProp(e, "hasMask", layer.hasMask);

    // Tile-set slots: the loader lets the last entry of a slot win.
    std::vector<size_t> slotSet(16, SIZE_MAX);
    std::vector<size_t> entrySets;
    for (const TileSetDesc& entry : layer.tileSets) {
        entrySets.push_back(TileSetOf(entry.fileName));
        if (entry.slot >= 0 && entry.slot < 16)
            slotSet[size_t(entry.slot)] = entrySets.back();
    }
    // The slot the importer gives a tile set: the first holding it.
    auto importSlot = [&](size_t set) {
        return size_t(std::find(slotSet.begin(), slotSet.end(), set) - slotSet.begin());
    };

    size_t cells = size_t(layer.columns) * layer.rows;
    std::vector<uint32_t> gids(size_t(width_) * size_t(height_), 0);
    std::vector<std::pair<size_t, uint64_t>> odd;
    std::set<size_t> used;
    for (size_t i = 0; i < cells; ++i) {
        uint16_t cell = i < layer.tileMap.size() ? layer.tileMap[i] : 0;
        if (!cell)
            continue;
        size_t slot = (cell >> 13) & 7;
        uint32_t tile = cell & 0x1FFF;
        size_t set = slot < 4 ? slotSet[slot] : SIZE_MAX;
        if (slot >= 1 && slot <= 3 && set != SIZE_MAX && tile >= 1 &&
            int(tile) <= tilesets_[set].count && importSlot(set) == slot) {
            gids[(i / layer.columns) * size_t(width_) + i % layer.columns] =
                tilesets_[set].firstGid + tile - 1;
            used.insert(set);
        } else
            odd.push_back({i, cell});
    }
    // Without the list the importer takes the used tile sets, in map order, as slots 1, 2, 3.
    bool plain = used.size() == layer.tileSets.size();
    size_t k = 0;
    for (size_t set : used) // std::set keeps map order
        plain = plain && entrySets[k] == set && layer.tileSets[k].slot == int16_t(k + 1), ++k;
    if (!plain)
        Prop(e, "tileSets", FormatTileSetList(layer.tileSets));
    // The importer takes the tile size of the lowest slot's tile set, else the grid's.
    size_t sized = *std::min_element(slotSet.begin(), slotSet.end(), [&](size_t a, size_t b) {
        return (a != SIZE_MAX) > (b != SIZE_MAX);
    });
    int gridWidth = sized != SIZE_MAX ? tilesets_[sized].tileWidth : tileWidth_;
    int gridHeight = sized != SIZE_MAX ? tilesets_[sized].tileHeight : tileHeight_;
    if (layer.tileWidth != uint32_t(gridWidth))
        IntProp(e, "tileWidth", layer.tileWidth);
    if (layer.tileHeight != uint32_t(gridHeight))
        IntProp(e, "tileHeight", layer.tileHeight);
    if (!odd.empty())
        Prop(e, "cells", FormatCellList(odd));
    for (size_t i = 0; i < layer.layerSounds.size(); ++i) {
        const LayerSoundDesc& s = layer.layerSounds[i];
        if (!FitsField(s.name) || !FitsField(s.waveFile))
            Error(where + ": sound \"" + s.name + "\" has a | in a name");
        Prop(e, ("sound" + std::to_string(i + 1)).c_str(), FormatLayerSound(s));
    }
    if (layer.maskStride && layer.hasMask != 1)
        IntProp(e, "maskStride", layer.maskStride);

    if (layer.hasMask == 1) {
        size_t maskSet = masks_.at(layer.name);
        int count = tilesets_[maskSet].count;
        if (layer.maskStride != count)
            IntProp(e, "maskStride", layer.maskStride);
        std::vector<uint32_t> classes(gids.size(), 0), masks(gids.size(), 0);
        std::vector<std::pair<size_t, uint64_t>> oddMasks;
        for (size_t i = 0; i < cells; ++i) {
            uint32_t v = i < layer.maskData.size() ? layer.maskData[i] : 0;
            uint32_t mask = v & 0x1FFFF, cls = (v >> 17) & 15, hazard = (v >> 21) & 3;
            size_t at = (i / layer.columns) * size_t(width_) + i % layer.columns;
            if ((v >> 23) || int64_t(mask) > count) {
                oddMasks.push_back({i, v});
                continue;
            }
            if (mask)
                masks[at] = tilesets_[maskSet].firstGid + mask - 1;
            if (cls != 15 || hazard)
                classes[at] = tilesets_[palette_].firstGid + hazard * 16 + cls;
        }
        if (!oddMasks.empty())
            Prop(e, "maskCells", FormatCellList(oddMasks));
        WriteCsv(doc_, e, gids, width_);

        XMLElement* c = map->InsertNewChildElement("layer");
        c->SetAttribute("id", nextLayer_++);
        c->SetAttribute("name", (layer.name + " collision").c_str());
        c->SetAttribute("width", width_);
        c->SetAttribute("height", height_);
        c->SetAttribute("opacity", "0.5");
        Prop(c, "collision", "true", "bool");
        WriteCsv(doc_, c, classes, width_);

        XMLElement* m = map->InsertNewChildElement("layer");
        m->SetAttribute("id", nextLayer_++);
        m->SetAttribute("name", (layer.name + " mask").c_str());
        m->SetAttribute("width", width_);
        m->SetAttribute("height", height_);
        m->SetAttribute("opacity", "0.5");
        Prop(m, "mask", "true", "bool");
        Prop(m, "tileSet", tilesets_[maskSet].name);
        WriteCsv(doc_, m, masks, width_);
    } else
        WriteCsv(doc_, e, gids, width_);

    if (!layer.sprites.empty()) {
        XMLElement* group = map->InsertNewChildElement("objectgroup");
        group->SetAttribute("id", nextLayer_++);
        group->SetAttribute("name", (layer.name + " sprites").c_str());
        WriteSprites(group, layer);
    }
}

void Exporter::WriteSprites(XMLElement* group, const LayerDesc& layer) {
    std::string where = path_ + ": layer \"" + layer.name + "\"";
    std::set<std::string> names;
    for (const SpriteDesc& s : layer.sprites) {
        std::string at = where + ": object \"" + s.name + "\"";
        if (s.name.empty())
            Error(at + ": a sprite without a name cannot be told apart in the map");
        if (!names.insert(s.name).second)
            Error(at + ": two sprites of one name on one layer would import as one");
        const OutTileset& sheet = tilesets_[sheetFiles_.at(s.sheetFile)];
        bool first = true;
        auto object = [&](uint32_t frame, LocationDesc at) {
            XMLElement* o = group->InsertNewChildElement("object");
            o->SetAttribute("id", nextObject_++);
            o->SetAttribute("name", s.name.c_str());
            bool inSheet = frame < uint32_t(sheet.count);
            o->SetAttribute("gid", sheet.firstGid + (inSheet ? frame : 0));
            o->SetAttribute("x", at.x);
            o->SetAttribute("y", int64_t(at.y) + sheet.tileHeight);
            o->SetAttribute("width", sheet.tileWidth);
            o->SetAttribute("height", sheet.tileHeight);
            if (!inSheet)
                IntProp(o, "frame", frame);
            if (!first)
                return o;
            first = false;
            if (!s.brainFile.empty())
                Prop(o, "brain", s.brainFile);
            const std::pair<const char*, int64_t> values[] = {
                {"points", s.points},         {"isPlayer", s.isPlayer},
                {"isPlatform", s.isPlatform}, {"param1", s.spriteParam1},
                {"param2", s.spriteParam2},   {"param3", s.spriteParam3},
                {"param4", s.spriteParam4},   {"param5", s.spriteParam5},
                {"param6", s.spriteParam6},   {"param7", s.spriteParam7},
                {"param8", s.spriteParam8},   {"param9", s.spriteParam9},
                {"param10", s.spriteParam10}, {"param11", s.spriteParam11},
                {"param12", s.spriteParam12}, {"param13", s.spriteParam13},
                {"param14", s.spriteParam14}, {"param15", s.spriteParam15},
                {"param16", s.spriteParam16}};
            for (const auto& [name, value] : values)
                if (value == 1 && name[0] == 'i') // the flags, as the editor's check boxes
                    Prop(o, name, "true", "bool");
                else if (value)
                    IntProp(o, name, value);
            for (size_t i = 0; i < s.sequences.size(); ++i) {
                const SequenceDesc& q = s.sequences[i];
                if (!FitsField(q.name) || !FitsField(q.name2))
                    Error(where + ": sequence \"" + q.name + "\" has a | in a name");
                Prop(o, ("sequence" + std::to_string(i + 1)).c_str(), FormatSequence(q));
            }
            for (size_t i = 0; i < s.sounds.size(); ++i) {
                const SpriteSoundDesc& d = s.sounds[i];
                if (!FitsField(d.name) || !FitsField(d.waveFile))
                    Error(where + ": sound \"" + d.name + "\" has a | in a name");
                Prop(o, ("sound" + std::to_string(i + 1)).c_str(), FormatSpriteSound(d));
            }
            return o;
        };
        if (s.instances.empty())
            Prop(object(0, {0, 0}), "placeholder", "true", "bool");
        for (size_t k = 0; k < s.instances.size(); ++k) {
            const InstanceDesc& inst = s.instances[k];
            if (inst.locations.empty())
                Error(at + ": instance " + std::to_string(k) + " has no candidate position");
            for (const LocationDesc& location : inst.locations) {
                XMLElement* o = object(inst.frame, location);
                if (inst.locations.size() > 1)
                    IntProp(o, "instance", int64_t(k) + 1);
            }
        }
    }
}

std::string Exporter::Run(const std::string& stem) {
    // The map's grid is the main layer's (or the first layer's); every tile
    // layer takes the size of the largest.
    const LayerDesc* main = nullptr;
    for (const LayerDesc& layer : level_.layers) {
        if (layer.isMainLayer)
            main = &layer;
        width_ = std::max(width_, int(std::min<uint32_t>(layer.columns, 1 << 15)));
        height_ = std::max(height_, int(std::min<uint32_t>(layer.rows, 1 << 15)));
        if (uint64_t(layer.columns) * layer.rows > (uint64_t(1) << 26))
            throw Failure(stem + ": Unable to export a layer of " + std::to_string(layer.columns) +
                          " x " + std::to_string(layer.rows) + " cells");
    }
    const LayerDesc* grid = main ? main : level_.layers.empty() ? nullptr : &level_.layers[0];

    // Tile sets first, so that gids are known: pictures, sheets, masks, classes.
    for (const LayerDesc& layer : level_.layers)
        for (const TileSetDesc& entry : layer.tileSets)
            TileSetOf(entry.fileName);
    for (const LayerDesc& layer : level_.layers)
        for (const SpriteDesc& s : layer.sprites)
            SheetOf(s.sheetFile);
    bool anyMask = false;
    for (const LayerDesc& layer : level_.layers)
        if (layer.hasMask == 1) {
            size_t index = 0;
            if (!masks_.count(layer.name))
                MaskTileset(layer, index);
            anyMask = true;
        }
    if (anyMask) {
        Picture("collision.png", CollisionPalette());
        palette_ = tilesets_.size();
        OutTileset& t = AddTileset("collision", "collision.png", 16, 16, 16, 64);
        t.element = doc_.NewElement("tileset");
        for (int i = 0; i < 64; ++i) {
            XMLElement* tile = t.element->InsertNewChildElement("tile");
            tile->SetAttribute("id", i);
            IntProp(tile, "class", i % 16);
            IntProp(tile, "hazard", i / 16);
        }
    }

    doc_.InsertEndChild(doc_.NewDeclaration());
    XMLElement* map = doc_.NewElement("map");
    doc_.InsertEndChild(map);
    map->SetAttribute("version", "1.8");
    map->SetAttribute("orientation", "orthogonal");
    map->SetAttribute("renderorder", "right-down");
    map->SetAttribute("width", std::max(width_, 1));
    map->SetAttribute("height", std::max(height_, 1));
    if (grid) {
        tileWidth_ = int(std::clamp<uint32_t>(grid->tileWidth, 1, 4096));
        tileHeight_ = int(std::clamp<uint32_t>(grid->tileHeight, 1, 4096));
    }
    map->SetAttribute("tilewidth", tileWidth_);
    map->SetAttribute("tileheight", tileHeight_);
    map->SetAttribute("infinite", 0);
    width_ = std::max(width_, 1);
    height_ = std::max(height_, 1);

    Prop(map, "level", stem);
    IntProp(map, "screenWidth", level_.screenWidth);
    IntProp(map, "screenHeight", level_.screenHeight);
    IntProp(map, "colourDepth", level_.colourDepth);
    if (!level_.musicWave.empty())
        Prop(map, "music", level_.musicWave);
    if (level_.cdTrack)
        IntProp(map, "cdTrack", level_.cdTrack);
    if (level_.useCdAudio != uint32_t(level_.cdTrack > 0))
        IntProp(map, "useCdAudio", level_.useCdAudio);
    const std::pair<const char*, int64_t> header[] = {
        {"header1", level_.unused1},
        {"header2", level_.unused2},
        {"header3", level_.unused3},
        {"cutsceneMarker", level_.cutsceneMarker},
        {"movieFlag", level_.movieFlag},
        {"menuMarker", level_.menuMarker},
        {"menuPageCount", level_.menuPageCount.value_or(0)}};
    for (const auto& [name, value] : header)
        if (value)
            IntProp(map, name, value);
    if (!level_.movieName.empty())
        Prop(map, "movieName", level_.movieName);
    if (!level_.menuModuleName.empty())
        Prop(map, "menuModuleName", level_.menuModuleName);

    for (OutTileset& t : tilesets_) {
        XMLElement* e = t.element ? t.element : doc_.NewElement("tileset");
        map->InsertEndChild(e);
        e->SetAttribute("firstgid", t.firstGid);
        e->SetAttribute("name", t.name.c_str());
        e->SetAttribute("tilewidth", t.tileWidth);
        e->SetAttribute("tileheight", t.tileHeight);
        e->SetAttribute("tilecount", t.count);
        e->SetAttribute("columns", t.columns);
        if (!t.file.empty())
            Prop(e, "file", t.file);
        XMLElement* image = doc_.NewElement("image");
        image->SetAttribute("source", t.image.c_str());
        image->SetAttribute("width", t.columns * t.tileWidth);
        image->SetAttribute("height", ((t.count + t.columns - 1) / t.columns) * t.tileHeight);
        // The image goes after the properties, before the tiles.
        if (XMLElement* props = e->FirstChildElement("properties"))
            e->InsertAfterChild(props, image);
        else
            e->InsertFirstChild(image);
    }

    int mainStepX = main ? int(std::min<uint32_t>(main->stepX, 1 << 20)) : kDefaultStep;
    int mainStepY = main ? int(std::min<uint32_t>(main->stepY, 1 << 20)) : kDefaultStep;
    for (const LayerDesc& layer : level_.layers)
        WriteLayer(map, layer, mainStepX, mainStepY);
    map->SetAttribute("nextlayerid", nextLayer_);
    map->SetAttribute("nextobjectid", nextObject_);

    if (!report_.errors.empty())
        return {};
    std::string path = (folder_ / (stem + ".tmx")).string();
    if (doc_.SaveFile(path.c_str()) != tinyxml2::XML_SUCCESS)
        throw Failure("Unable to write " + path);
    return path;
}

} // namespace

std::string ExportLevel(const std::string& levelPath, const std::string& folder, Report& report) {
    LevelFileDesc level = ReadLevelFile(ReadBytes(levelPath), levelPath);
    std::error_code error;
    fs::create_directories(folder, error);
    fs::path data = fs::path(levelPath).parent_path();
    if (data.empty())
        data = ".";
    return Exporter(level, levelPath, data, folder, report)
        .Run(fs::path(levelPath).stem().string());
}

} // namespace tiled
