// The editor's JSON formats: .tmj maps and .tsj tile sets.
#include "tools/tiled/MapNode.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <filesystem>
#include <fstream>

namespace tiled {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

Json LoadJson(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure("Unable to open " + path);
    Json doc = Json::parse(in, nullptr, false);
    if (doc.is_discarded() || !doc.is_object())
        throw Failure(path + ": Unable to parse JSON");
    return doc;
}

std::string Str(const Json& j, const char* key, const std::string& fallback = "") {
    auto it = j.find(key);
    return it != j.end() && it->is_string() ? it->get<std::string>() : fallback;
}

double Real(const Json& j, const char* key, double fallback = 0) {
    auto it = j.find(key);
    return it != j.end() && it->is_number() ? it->get<double>() : fallback;
}

int Int(const Json& j, const char* key, const std::string& where, int fallback = 0) {
    auto it = j.find(key);
    if (it == j.end())
        return fallback;
    if (!it->is_number())
        throw Failure(where + ": \"" + key + "\" is not a number");
    double v = it->get<double>();
    if (!std::isfinite(v) || std::fabs(v) > double(1 << 30))
        throw Failure(where + ": \"" + key + "\" out of range");
    return int(v);
}

const Json& List(const Json& j, const char* key) {
    static const Json empty = Json::array();
    auto it = j.find(key);
    return it != j.end() && it->is_array() ? *it : empty;
}

Properties ReadProperties(const Json& owner) {
    Properties out;
    for (const Json& p : List(owner, "properties")) {
        if (!p.is_object())
            continue;
        Property prop;
        prop.type = Str(p, "type", "string");
        auto v = p.find("value");
        if (v != p.end()) {
            if (v->is_string())
                prop.value = v->get<std::string>();
            else if (v->is_boolean())
                prop.value = v->get<bool>() ? "true" : "false";
            else if (v->is_number_integer())
                prop.value = std::to_string(v->get<int64_t>());
            else if (v->is_number())
                prop.value = v->dump();
        }
        out.items[Str(p, "name")] = prop;
    }
    return out;
}

uint32_t Gid(const Json& v, const std::string& where) {
    if (!v.is_number_unsigned() && !(v.is_number_integer() && v.get<int64_t>() >= 0))
        throw Failure(where + ": bad gid in layer data");
    uint64_t g = v.get<uint64_t>();
    if (g > 0xFFFFFFFFull)
        throw Failure(where + ": bad gid in layer data");
    return uint32_t(g);
}

// A JSON object as the shared reading steps see it.
class JsonNode : public Node {
  public:
    explicit JsonNode(const Json& j) : j_(j) {}
    std::string Text(const char* key, const char* fallback) const override {
        return Str(j_, key, fallback);
    }
    int Int(const char* key, const std::string& where, int fallback) const override {
        return tiled::Int(j_, key, where, fallback);
    }
    double Real(const char* key, double fallback) const override {
        return tiled::Real(j_, key, fallback);
    }
    uint32_t Gid(const std::string& where) const override {
        auto it = j_.find("gid");
        return it == j_.end() ? 0 : tiled::Gid(*it, where);
    }
    Properties ReadProperties() const override { return tiled::ReadProperties(j_); }

  private:
    const Json& j_;
};

void ReadTilesetBody(const Json& j, Tileset& t, const fs::path& dir, const std::string& where) {
    ReadTilesetFields(JsonNode(j), t, where);
    std::string image = Str(j, "image");
    if (!image.empty()) {
        t.image = (dir / image).lexically_normal().string();
        t.imageWidth = Int(j, "imagewidth", where);
        t.imageHeight = Int(j, "imageheight", where);
    }
    ReadTrans(Str(j, "transparentcolor"), t);
    for (const Json& tile : List(j, "tiles")) {
        if (!tile.is_object())
            continue;
        Tile& out = t.tiles[Int(tile, "id", where)];
        out.properties = ReadProperties(tile);
        if (tile.contains("image"))
            t.imageCollection = true;
        auto group = tile.find("objectgroup");
        if (group == tile.end() || !group->is_object())
            continue;
        for (const Json& o : List(*group, "objects")) {
            if (!o.is_object())
                continue;
            if (o.contains("ellipse") || o.contains("point") || o.contains("polygon") ||
                o.contains("polyline") || o.contains("text")) {
                out.otherShapes = true;
                continue;
            }
            out.boxes.push_back(ReadBox(JsonNode(o)));
        }
    }
    if (image.empty() && !t.tiles.empty())
        t.imageCollection = true;
}

Tileset ReadTileset(const Json& j, const fs::path& dir, const std::string& mapPath) {
    Tileset t;
    std::string where = mapPath + ": tile set";
    std::string source = Str(j, "source");
    if (source.empty())
        ReadTilesetBody(j, t, dir, where);
    else {
        fs::path path = (dir / source).lexically_normal();
        std::string ext = path.extension().string();
        t = ext == ".tsx" || ext == ".xml" ? ReadTsx(path.string()) : ReadTsj(path.string());
    }
    int64_t first = Int(j, "firstgid", where);
    if (first <= 0)
        throw Failure(where + " \"" + t.name + "\": bad first gid");
    t.firstGid = uint32_t(first);
    return t;
}

void ReadLayers(const Json& parent, Map& map) {
    for (const Json& e : List(parent, "layers")) {
        if (!e.is_object())
            continue;
        std::string kind = Str(e, "type");
        Layer layer = ReadLayerFields(JsonNode(e));
        std::string where = LayerWhere(map, layer.name);
        if (kind == "group") {
            ReadLayers(e, map);
            continue;
        }
        if (kind == "imagelayer") {
            map.warnings.push_back(where + ": image layers are not imported");
            continue;
        }
        if (kind != "tilelayer" && kind != "objectgroup")
            continue;
        if (kind == "tilelayer") {
            if (e.contains("chunks"))
                throw Failure(where + ": Unable to import an infinite map (make it finite in the "
                                      "map's properties)");
            ReadLayerSize(JsonNode(e), layer, where);
            size_t cells = size_t(layer.width) * size_t(layer.height);
            auto data = e.find("data");
            if (data == e.end())
                layer.gids.assign(cells, 0);
            else if (data->is_string())
                layer.gids =
                    DecodeTileData(data->get<std::string>(), Str(e, "compression"), cells, where);
            else if (data->is_array()) {
                if (data->size() != cells)
                    throw Failure(where + ": the layer data holds " + std::to_string(data->size()) +
                                  " cells, the layer has " + std::to_string(cells));
                for (const Json& g : *data)
                    layer.gids.push_back(Gid(g, where));
            } else
                throw Failure(where + ": bad layer data");
        } else {
            layer.kind = LayerKind::Objects;
            for (const Json& o : List(e, "objects"))
                if (o.is_object())
                    layer.objects.push_back(ReadObject(JsonNode(o), where));
        }
        map.layers.push_back(std::move(layer));
    }
}

} // namespace

Tileset ReadTsj(const std::string& path) {
    Json doc = LoadJson(path);
    Tileset t;
    ReadTilesetBody(doc, t, fs::path(path).parent_path(), path);
    return t;
}

Map ReadTmj(const std::string& path) {
    Json doc = LoadJson(path);
    Map map;
    map.path = path;
    auto infinite = doc.find("infinite");
    map.infinite = infinite != doc.end() && infinite->is_boolean() && infinite->get<bool>();
    ReadMapFields(JsonNode(doc), map);
    fs::path dir = fs::path(path).parent_path();
    for (const Json& t : List(doc, "tilesets"))
        if (t.is_object())
            map.tilesets.push_back(ReadTileset(t, dir, path));
    ReadLayers(doc, map);
    FinishTilesets(map);
    return map;
}

} // namespace tiled
