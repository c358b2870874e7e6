#include "tools/tiled/MapNode.h"

#include <cstdlib>

namespace tiled {

void ReadTilesetFields(const Node& n, Tileset& t, const std::string& where) {
    t.name = n.Text("name");
    t.tileWidth = n.Int("tilewidth", where);
    t.tileHeight = n.Int("tileheight", where);
    t.tileCount = n.Int("tilecount", where);
    t.columns = n.Int("columns", where);
    t.margin = n.Int("margin", where);
    t.spacing = n.Int("spacing", where);
    t.properties = n.ReadProperties();
    t.alignment = n.Text("objectalignment");
}

void ReadTrans(std::string text, Tileset& t) {
    if (text.empty())
        return;
    if (text[0] == '#')
        text.erase(0, 1);
    t.hasTrans = true;
    t.trans = uint32_t(std::strtoul(text.c_str(), nullptr, 16));
}

Rect ReadBox(const Node& n) {
    return {n.Real("x"), n.Real("y"), n.Real("width"), n.Real("height"), n.ReadProperties()};
}

Layer ReadLayerFields(const Node& n) {
    Layer layer;
    layer.name = n.Text("name");
    layer.properties = n.ReadProperties();
    layer.parallaxX = n.Real("parallaxx", 1);
    layer.parallaxY = n.Real("parallaxy", 1);
    return layer;
}

std::string LayerWhere(const Map& map, const std::string& name) {
    return map.path + ": layer \"" + name + "\"";
}

void ReadLayerSize(const Node& n, Layer& layer, const std::string& where) {
    layer.width = n.Int("width", where);
    layer.height = n.Int("height", where);
    if (layer.width < 0 || layer.height < 0 ||
        int64_t(layer.width) * layer.height > (int64_t(1) << 26))
        throw Failure(where + ": bad layer size");
}

Object ReadObject(const Node& n, const std::string& where) {
    // Braces evaluate in order: a bad id is found before a bad gid.
    return {n.Int("id", where), n.Text("name"),  n.Gid(where),     n.Real("x"),
            n.Real("y"),        n.Real("width"), n.Real("height"), n.ReadProperties()};
}

void ReadMapFields(const Node& n, Map& map) {
    map.orientation = n.Text("orientation", "orthogonal");
    map.width = n.Int("width", map.path);
    map.height = n.Int("height", map.path);
    map.tileWidth = n.Int("tilewidth", map.path);
    map.tileHeight = n.Int("tileheight", map.path);
    map.properties = n.ReadProperties();
}

} // namespace tiled
