// The editor's XML formats: .tmx maps and .tsx tile sets.
#include "tools/tiled/TiledMap.h"

#include <tinyxml2.h>

#include <filesystem>

namespace tiled {
namespace {

namespace fs = std::filesystem;
using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

std::string Attr(const XMLElement* e, const char* name, const char* fallback = "") {
    const char* v = e->Attribute(name);
    return v ? v : fallback;
}

int IntAttr(const XMLElement* e, const char* name, const std::string& where, int fallback = 0) {
    const char* v = e->Attribute(name);
    if (!v)
        return fallback;
    int64_t out = 0;
    Properties p;
    p.items[name] = {"int", v};
    p.Int(name, out, where);
    if (out < -(int64_t(1) << 30) || out > (int64_t(1) << 30))
        throw Failure(where + ": attribute \"" + name + "\" out of range");
    return int(out);
}

double RealAttr(const XMLElement* e, const char* name, double fallback = 0) {
    double v = fallback;
    e->QueryDoubleAttribute(name, &v);
    return v;
}

void LoadXml(XMLDocument& doc, const std::string& path) {
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        if (doc.ErrorID() == tinyxml2::XML_ERROR_FILE_NOT_FOUND ||
            doc.ErrorID() == tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED)
            throw Failure("Unable to open " + path);
        throw Failure(path + ": Unable to parse XML: " + doc.ErrorStr());
    }
}

Properties ReadProperties(const XMLElement* owner) {
    Properties out;
    const XMLElement* list = owner->FirstChildElement("properties");
    for (const XMLElement* p = list ? list->FirstChildElement("property") : nullptr; p;
         p = p->NextSiblingElement("property")) {
        Property prop;
        prop.type = Attr(p, "type", "string");
        if (p->Attribute("value"))
            prop.value = Attr(p, "value");
        else if (p->GetText())
            prop.value = p->GetText();
        out.items[Attr(p, "name")] = prop;
    }
    return out;
}

void ReadTilesetBody(const XMLElement* e, Tileset& t, const fs::path& dir,
                     const std::string& where) {
    t.name = Attr(e, "name");
    t.tileWidth = IntAttr(e, "tilewidth", where);
    t.tileHeight = IntAttr(e, "tileheight", where);
    t.tileCount = IntAttr(e, "tilecount", where);
    t.columns = IntAttr(e, "columns", where);
    t.margin = IntAttr(e, "margin", where);
    t.spacing = IntAttr(e, "spacing", where);
    t.properties = ReadProperties(e);
    t.alignment = Attr(e, "objectalignment");
    if (const XMLElement* image = e->FirstChildElement("image")) {
        t.image = (dir / Attr(image, "source")).lexically_normal().string();
        t.imageWidth = IntAttr(image, "width", where);
        t.imageHeight = IntAttr(image, "height", where);
        std::string trans = Attr(image, "trans");
        if (!trans.empty()) {
            if (trans[0] == '#')
                trans.erase(0, 1);
            t.hasTrans = true;
            t.trans = uint32_t(std::strtoul(trans.c_str(), nullptr, 16));
        }
    }
    for (const XMLElement* tile = e->FirstChildElement("tile"); tile;
         tile = tile->NextSiblingElement("tile")) {
        int id = IntAttr(tile, "id", where);
        Tile& out = t.tiles[id];
        out.properties = ReadProperties(tile);
        if (tile->FirstChildElement("image"))
            t.imageCollection = true;
        const XMLElement* group = tile->FirstChildElement("objectgroup");
        for (const XMLElement* o = group ? group->FirstChildElement("object") : nullptr; o;
             o = o->NextSiblingElement("object")) {
            if (o->FirstChildElement() && !o->FirstChildElement("properties")) {
                out.otherShapes = true;
                continue;
            }
            out.boxes.push_back({RealAttr(o, "x"), RealAttr(o, "y"), RealAttr(o, "width"),
                                 RealAttr(o, "height"), ReadProperties(o)});
        }
    }
    if (!e->FirstChildElement("image") && !t.tiles.empty())
        t.imageCollection = true;
}

Tileset ReadTileset(const XMLElement* e, const fs::path& dir, const std::string& mapPath) {
    Tileset t;
    std::string where = mapPath + ": tile set";
    t.firstGid = uint32_t(IntAttr(e, "firstgid", where));
    std::string source = Attr(e, "source");
    if (source.empty()) {
        ReadTilesetBody(e, t, dir, where);
        return t;
    }
    fs::path path = (dir / source).lexically_normal();
    std::string ext = path.extension().string();
    uint32_t firstGid = t.firstGid;
    t = ext == ".tsj" || ext == ".json" ? ReadTsj(path.string()) : ReadTsx(path.string());
    t.firstGid = firstGid;
    return t;
}

void ReadLayerData(const XMLElement* e, Layer& layer, const std::string& where) {
    size_t cells = size_t(layer.width) * size_t(layer.height);
    const XMLElement* data = e->FirstChildElement("data");
    if (!data) {
        layer.gids.assign(cells, 0);
        return;
    }
    if (data->FirstChildElement("chunk"))
        throw Failure(where + ": Unable to import an infinite map (make it finite in the map's "
                              "properties)");
    std::string encoding = Attr(data, "encoding");
    std::string text = data->GetText() ? data->GetText() : "";
    if (encoding == "csv")
        layer.gids = ParseCsv(text, cells, where);
    else if (encoding == "base64")
        layer.gids = DecodeTileData(text, Attr(data, "compression"), cells, where);
    else if (encoding.empty()) {
        for (const XMLElement* t = data->FirstChildElement("tile"); t;
             t = t->NextSiblingElement("tile")) {
            if (layer.gids.size() >= cells)
                throw Failure(where + ": more tiles than the layer has cells");
            layer.gids.push_back(t->UnsignedAttribute("gid", 0));
        }
        if (layer.gids.size() != cells)
            throw Failure(where + ": fewer tiles than the layer has cells");
    } else
        throw Failure(where + ": Unable to read layer data encoded as \"" + encoding + "\"");
}

void ReadLayers(const XMLElement* parent, Map& map) {
    for (const XMLElement* e = parent->FirstChildElement(); e; e = e->NextSiblingElement()) {
        std::string kind = e->Name();
        if (kind == "group") {
            ReadLayers(e, map);
            continue;
        }
        if (kind == "imagelayer") {
            map.warnings.push_back(map.path + ": layer \"" + Attr(e, "name") +
                                   "\": image layers are not imported");
            continue;
        }
        if (kind != "layer" && kind != "objectgroup")
            continue;
        Layer layer;
        layer.name = Attr(e, "name");
        std::string where = map.path + ": layer \"" + layer.name + "\"";
        layer.properties = ReadProperties(e);
        layer.parallaxX = RealAttr(e, "parallaxx", 1);
        layer.parallaxY = RealAttr(e, "parallaxy", 1);
        if (kind == "layer") {
            layer.kind = LayerKind::Tiles;
            layer.width = IntAttr(e, "width", where);
            layer.height = IntAttr(e, "height", where);
            if (layer.width < 0 || layer.height < 0 ||
                int64_t(layer.width) * layer.height > (int64_t(1) << 26))
                throw Failure(where + ": bad layer size");
            ReadLayerData(e, layer, where);
        } else {
            layer.kind = LayerKind::Objects;
            for (const XMLElement* o = e->FirstChildElement("object"); o;
                 o = o->NextSiblingElement("object")) {
                Object obj;
                obj.id = IntAttr(o, "id", where);
                obj.name = Attr(o, "name");
                obj.gid = o->UnsignedAttribute("gid", 0);
                obj.x = RealAttr(o, "x");
                obj.y = RealAttr(o, "y");
                obj.width = RealAttr(o, "width");
                obj.height = RealAttr(o, "height");
                obj.properties = ReadProperties(o);
                layer.objects.push_back(obj);
            }
        }
        map.layers.push_back(std::move(layer));
    }
}

} // namespace

Tileset ReadTsx(const std::string& path) {
    XMLDocument doc;
    LoadXml(doc, path);
    const XMLElement* root = doc.FirstChildElement("tileset");
    if (!root)
        throw Failure(path + ": not a tile set");
    Tileset t;
    ReadTilesetBody(root, t, fs::path(path).parent_path(), path);
    return t;
}

Map ReadTmx(const std::string& path) {
    XMLDocument doc;
    LoadXml(doc, path);
    const XMLElement* root = doc.FirstChildElement("map");
    if (!root)
        throw Failure(path + ": Unable to find the map element");
    Map map;
    map.path = path;
    map.orientation = Attr(root, "orientation", "orthogonal");
    map.infinite = IntAttr(root, "infinite", path) != 0;
    map.width = IntAttr(root, "width", path);
    map.height = IntAttr(root, "height", path);
    map.tileWidth = IntAttr(root, "tilewidth", path);
    map.tileHeight = IntAttr(root, "tileheight", path);
    map.properties = ReadProperties(root);
    fs::path dir = fs::path(path).parent_path();
    for (const XMLElement* t = root->FirstChildElement("tileset"); t;
         t = t->NextSiblingElement("tileset"))
        map.tilesets.push_back(ReadTileset(t, dir, path));
    ReadLayers(root, map);
    FinishTilesets(map);
    return map;
}

} // namespace tiled
