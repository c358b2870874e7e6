// What the readers of the editor's two formats share: an element of either
// file seen the same way, and the steps that fill the map model from one.
#pragma once

#include "tools/tiled/TiledMap.h"

#include <string>

namespace tiled {

// An element of a map or tile-set file (an XML element, a JSON object): its
// values by name and its properties. Each format reads them its own way.
class Node {
  public:
    virtual ~Node() = default;
    virtual std::string Text(const char* key, const char* fallback = "") const = 0;
    // Fails, naming `where`, when the value is no whole number in range.
    virtual int Int(const char* key, const std::string& where, int fallback = 0) const = 0;
    virtual double Real(const char* key, double fallback = 0) const = 0;
    // A tile object's gid with its flip bits; 0 when it has none.
    virtual uint32_t Gid(const std::string& where) const = 0;
    virtual Properties ReadProperties() const = 0;
};

// A tile set's own values: name, tile size and count, layout, properties.
void ReadTilesetFields(const Node& n, Tileset& t, const std::string& where);
// The colour drawn as see-through, "#rrggbb" or "rrggbb"; none when empty.
void ReadTrans(std::string text, Tileset& t);
Rect ReadBox(const Node& n);
// A layer's name, properties and parallax.
Layer ReadLayerFields(const Node& n);
std::string LayerWhere(const Map& map, const std::string& name);
// A tile layer's size; fails when it is negative or has too many cells.
void ReadLayerSize(const Node& n, Layer& layer, const std::string& where);
Object ReadObject(const Node& n, const std::string& where);
// The map's own values but whether it is infinite, which the formats keep
// differently.
void ReadMapFields(const Node& n, Map& map);

} // namespace tiled
