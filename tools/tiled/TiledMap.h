// The parts of a map-editor map the level importer reads, as one in-memory
// model filled from either of the editor's formats (XML or JSON).
#pragma once

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace tiled {

// A fatal problem with the input: the whole command fails and writes nothing.
struct Failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A property as the editor stores it: its type ("string", "int", "float",
// "bool", ...) and its text.
struct Property {
    std::string type = "string";
    std::string value;
};

struct Properties {
    std::map<std::string, Property> items;

    bool Has(const std::string& name) const { return items.count(name) != 0; }
    const std::string* Text(const std::string& name) const;
    // The property as a whole number ("true"/"false" count as 1/0); fails with
    // a message naming `where` when it is not one.
    bool Int(const std::string& name, int64_t& out, const std::string& where) const;
    bool Bool(const std::string& name, const std::string& where) const;
};

struct Rect {
    double x = 0, y = 0, width = 0, height = 0;
    Properties properties;
};

struct Tile {
    Properties properties;
    std::vector<Rect> boxes;
    bool otherShapes = false; // a collision shape that is not a rectangle
};

struct Tileset {
    std::string name;
    uint32_t firstGid = 0;
    int tileWidth = 0, tileHeight = 0;
    int tileCount = 0, columns = 0;
    int margin = 0, spacing = 0;
    std::string image; // path of the picture, resolved
    int imageWidth = 0, imageHeight = 0;
    bool hasTrans = false;
    uint32_t trans = 0; // 0xRRGGBB drawn as see-through
    bool imageCollection = false;
    std::string alignment; // where a tile object's position sits on its tile
    Properties properties;
    std::map<int, Tile> tiles;

    const Tile* TileAt(int id) const {
        auto it = tiles.find(id);
        return it == tiles.end() ? nullptr : &it->second;
    }
};

constexpr uint32_t kFlipFlags = 0xF0000000u;

struct Object {
    int id = 0;
    std::string name;
    uint32_t gid = 0; // with the editor's flip bits; 0 when not a tile object
    double x = 0, y = 0, width = 0, height = 0;
    Properties properties;
};

enum class LayerKind { Tiles, Objects };

struct Layer {
    LayerKind kind = LayerKind::Tiles;
    std::string name;
    Properties properties;
    double parallaxX = 1, parallaxY = 1;
    int width = 0, height = 0;
    std::vector<uint32_t> gids; // row-major, width x height, with flip bits
    std::vector<Object> objects;
};

struct Map {
    std::string path;
    std::string orientation = "orthogonal";
    bool infinite = false;
    int width = 0, height = 0;
    int tileWidth = 0, tileHeight = 0;
    Properties properties;
    std::vector<Tileset> tilesets;     // in firstgid order
    std::vector<Layer> layers;         // groups opened, bottom first
    std::vector<std::string> warnings; // things of the file that are ignored
};

// Reads a .tmx or .tmj map (by its extension) with its external tile sets.
Map ReadMap(const std::string& path);
Map ReadTmx(const std::string& path);
Map ReadTmj(const std::string& path);
// External tile sets, without their first gid.
Tileset ReadTsx(const std::string& path);
Tileset ReadTsj(const std::string& path);

// Shared by both readers: the layer data encodings.
std::vector<uint8_t> DecodeBase64(const std::string& text);
// Fails past `limit` bytes.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data, size_t limit,
                             const std::string& where);
// Turns encoded tile data into gids; `compression` is "", "zlib" or "gzip".
std::vector<uint32_t> DecodeTileData(const std::string& text, const std::string& compression,
                                     size_t cells, const std::string& where);
std::vector<uint32_t> ParseCsv(const std::string& text, size_t cells, const std::string& where);
// Sorts the tile sets by first gid and fills what the file may leave out.
void FinishTilesets(Map& map);

// Which tile set a gid (flip bits cleared) belongs to, or -1.
int TilesetOf(const Map& map, uint32_t gid);

} // namespace tiled
