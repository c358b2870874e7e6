#include "tools/tiled/TiledMap.h"

#include <zlib.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace tiled {

const std::string* Properties::Text(const std::string& name) const {
    auto it = items.find(name);
    return it == items.end() ? nullptr : &it->second.value;
}

bool Properties::Int(const std::string& name, int64_t& out, const std::string& where) const {
    const std::string* text = Text(name);
    if (!text)
        return false;
    if (*text == "true" || *text == "false") {
        out = *text == "true";
        return true;
    }
    char* end = nullptr;
    errno = 0;
    double v = std::strtod(text->c_str(), &end);
    // The range first: a value out of it has no integer to compare with.
    if (text->empty() || *end || errno || !(v >= -2147483648.0 && v <= 4294967295.0) ||
        v != double(int64_t(v)))
        throw Failure(where + ": property \"" + name + "\" is not a whole number: \"" + *text +
                      "\"");
    out = int64_t(v);
    return true;
}

bool Properties::Bool(const std::string& name, const std::string& where) const {
    int64_t v = 0;
    return Int(name, v, where) && v != 0;
}

std::vector<uint8_t> DecodeBase64(const std::string& text) {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z')
            v = c - 'A';
        else if (c >= 'a' && c <= 'z')
            v = c - 'a' + 26;
        else if (c >= '0' && c <= '9')
            v = c - '0' + 52;
        else if (c == '+')
            v = 62;
        else if (c == '/')
            v = 63;
        else if (c == '=' || std::isspace(static_cast<unsigned char>(c)))
            continue;
        else
            throw Failure("bad character in base64 data");
        bits = (bits << 6) | uint32_t(v);
        count += 6;
        if (count >= 8) {
            count -= 8;
            out.push_back(uint8_t(bits >> count));
        }
    }
    return out;
}

std::vector<uint8_t> Inflate(const std::vector<uint8_t>& data, size_t limit,
                             const std::string& where) {
    z_stream stream{};
    // 15 + 32: a zlib or a gzip header, whichever the data has.
    if (inflateInit2(&stream, 15 + 32) != Z_OK)
        throw Failure(where + ": Unable to start decompression");
    std::vector<uint8_t> out;
    stream.next_in = const_cast<Bytef*>(data.data());
    stream.avail_in = uInt(data.size());
    int result = Z_OK;
    uint8_t chunk[16384];
    while (result == Z_OK) {
        stream.next_out = chunk;
        stream.avail_out = sizeof(chunk);
        result = inflate(&stream, Z_NO_FLUSH);
        out.insert(out.end(), chunk, chunk + (sizeof(chunk) - stream.avail_out));
        if (out.size() > limit)
            result = Z_DATA_ERROR; // more cells than the layer has
    }
    inflateEnd(&stream);
    if (result != Z_STREAM_END)
        throw Failure(where + ": Unable to decompress the layer data (damaged zlib/gzip stream)");
    return out;
}

std::vector<uint32_t> DecodeTileData(const std::string& text, const std::string& compression,
                                     size_t cells, const std::string& where) {
    std::vector<uint8_t> bytes;
    try {
        bytes = DecodeBase64(text);
    } catch (const Failure& f) {
        throw Failure(where + ": " + f.what());
    }
    if (compression == "zlib" || compression == "gzip")
        bytes = Inflate(bytes, cells * 4, where);
    else if (!compression.empty())
        throw Failure(where + ": Unable to read layer data compressed with \"" + compression +
                      "\" (use CSV, base64, zlib or gzip)");
    if (bytes.size() != cells * 4)
        throw Failure(where + ": the layer data holds " + std::to_string(bytes.size() / 4) +
                      " cells, the layer has " + std::to_string(cells));
    std::vector<uint32_t> gids(cells);
    for (size_t i = 0; i < cells; ++i)
        gids[i] = uint32_t(bytes[i * 4]) | uint32_t(bytes[i * 4 + 1]) << 8 |
                  uint32_t(bytes[i * 4 + 2]) << 16 | uint32_t(bytes[i * 4 + 3]) << 24;
    return gids;
}

std::vector<uint32_t> ParseCsv(const std::string& text, size_t cells, const std::string& where) {
    std::vector<uint32_t> gids;
    gids.reserve(cells);
    const char* p = text.c_str();
    while (*p) {
        while (*p && (std::isspace(static_cast<unsigned char>(*p)) || *p == ','))
            ++p;
        if (!*p)
            break;
        char* end = nullptr;
        unsigned long long v = std::strtoull(p, &end, 10);
        if (end == p || v > 0xFFFFFFFFull)
            throw Failure(where + ": bad number in CSV layer data");
        gids.push_back(uint32_t(v));
        p = end;
        if (gids.size() > cells)
            break;
    }
    if (gids.size() != cells)
        throw Failure(where + ": the layer data holds " + std::to_string(gids.size()) +
                      " cells, the layer has " + std::to_string(cells));
    return gids;
}

void FinishTilesets(Map& map) {
    std::stable_sort(map.tilesets.begin(), map.tilesets.end(),
                     [](const Tileset& a, const Tileset& b) { return a.firstGid < b.firstGid; });
    for (Tileset& t : map.tilesets) {
        std::string where = map.path + ": tile set \"" + t.name + "\"";
        if (t.imageCollection)
            continue;
        if (t.tileWidth <= 0 || t.tileHeight <= 0 || t.tileWidth > 4096 || t.tileHeight > 4096)
            throw Failure(where + ": bad tile size");
        if (t.margin < 0 || t.spacing < 0)
            throw Failure(where + ": bad margin or spacing");
        // Sizes are below 2^30 each: the sums are done in 64 bits.
        int64_t columns = t.columns, count = t.tileCount;
        if (columns <= 0 && t.imageWidth > 0)
            columns = (int64_t(t.imageWidth) - 2 * int64_t(t.margin) + t.spacing) /
                      (int64_t(t.tileWidth) + t.spacing);
        if (count <= 0 && columns > 0 && t.imageHeight > 0)
            count = columns * ((int64_t(t.imageHeight) - 2 * int64_t(t.margin) + t.spacing) /
                               (int64_t(t.tileHeight) + t.spacing));
        if (columns <= 0 || count <= 0 || count > 1 << 20 || columns > 1 << 20)
            throw Failure(where + ": no tiles (check the picture and the tile size)");
        t.columns = int(columns);
        t.tileCount = int(count);
        if (t.firstGid == 0)
            throw Failure(where + ": no first gid");
    }
}

int TilesetOf(const Map& map, uint32_t gid) {
    int found = -1;
    for (size_t i = 0; i < map.tilesets.size(); ++i)
        if (map.tilesets[i].firstGid <= gid)
            found = int(i);
    if (found < 0)
        return -1;
    const Tileset& t = map.tilesets[size_t(found)];
    return gid - t.firstGid < uint32_t(t.tileCount) ? found : -1;
}

Map ReadMap(const std::string& path) {
    std::string ext = std::filesystem::path(path).extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return std::tolower(c); });
    if (ext == ".tmx" || ext == ".xml")
        return ReadTmx(path);
    if (ext == ".tmj" || ext == ".json")
        return ReadTmj(path);
    throw Failure(path + ": Unable to read a map that is neither .tmx nor .tmj");
}

} // namespace tiled
