// The editor's XML formats: .tmx maps and .tsx tile sets.
#include "tools/tiled/MapNode.h"

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

// Loads the file and finds its root element; `missing` says what a file
// without one is not.
const XMLElement* LoadXml(XMLDocument& doc, const std::string& path, const char* root,
                          const char* missing) {
    if (doc.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) {
        if (doc.ErrorID() == tinyxml2::XML_ERROR_FILE_NOT_FOUND ||
            doc.ErrorID() == tinyxml2::XML_ERROR_FILE_COULD_NOT_BE_OPENED)
            throw Failure("Unable to open " + path);
        throw Failure(path + ": Unable to parse XML: " + doc.ErrorStr());
    }
    const XMLElement* e = doc.FirstChildElement(root);
    if (!e)
        throw Failure(path + ": " + missing);
    return e;
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

// An XML element as the shared reading steps see it.
class XmlNode : public Node {
  public:
    explicit XmlNode(const XMLElement* e) : e_(e) {}
    std::string Text(const char* key, const char* fallback) const override {
        return Attr(e_, key, fallback);
    }
    int Int(const char* key, const std::string& where, int fallback) const override {
        return IntAttr(e_, key, where, fallback);
    }
    double Real(const char* key, double fallback) const override {
        return RealAttr(e_, key, fallback);
    }
    uint32_t Gid(const std::string&) const override { return e_->UnsignedAttribute("gid", 0); }
    Properties ReadProperties() const override { return tiled::ReadProperties(e_); }

  private:
    const XMLElement* e_;
};

void ReadTilesetBody(const XMLElement* e, Tileset& t, const fs::path& dir,
                     const std::string& where) {
    ReadTilesetFields(XmlNode(e), t, where);
    if (const XMLElement* image = e->FirstChildElement("image")) {
        t.image = (dir / Attr(image, "source")).lexically_normal().string();
        t.imageWidth = IntAttr(image, "width", where);
        t.imageHeight = IntAttr(image, "height", where);
        ReadTrans(Attr(image, "trans"), t);
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
            out.boxes.push_back(ReadBox(XmlNode(o)));
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
            map.warnings.push_back(LayerWhere(map, Attr(e, "name")) +
                                   ": image layers are not imported");
            continue;
        }
        if (kind != "layer" && kind != "objectgroup")
            continue;
        Layer layer = ReadLayerFields(XmlNode(e));
        std::string where = LayerWhere(map, layer.name);
        if (kind == "layer") {
            layer.kind = LayerKind::Tiles;
            ReadLayerSize(XmlNode(e), layer, where);
            ReadLayerData(e, layer, where);
        } else {
            layer.kind = LayerKind::Objects;
            for (const XMLElement* o = e->FirstChildElement("object"); o;
                 o = o->NextSiblingElement("object"))
                layer.objects.push_back(ReadObject(XmlNode(o), where));
        }
        map.layers.push_back(std::move(layer));
    }
}

} // namespace

Tileset ReadTsx(const std::string& path) {
    XMLDocument doc;
    const XMLElement* root = LoadXml(doc, path, "tileset", "not a tile set");
    Tileset t;
    ReadTilesetBody(root, t, fs::path(path).parent_path(), path);
    return t;
}

Map ReadTmx(const std::string& path) {
    XMLDocument doc;
    const XMLElement* root = LoadXml(doc, path, "map", "Unable to find the map element");
    Map map;
    map.path = path;
    map.infinite = IntAttr(root, "infinite", path) != 0;
    ReadMapFields(XmlNode(root), map);
    fs::path dir = fs::path(path).parent_path();
    for (const XMLElement* t = root->FirstChildElement("tileset"); t;
         t = t->NextSiblingElement("tileset"))
        map.tilesets.push_back(ReadTileset(t, dir, path));
    ReadLayers(root, map);
    FinishTilesets(map);
    return map;
}

} // namespace tiled
