#include "tools/tiled/Properties.h"

#include "tools/tiled/TiledMap.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <sstream>

namespace tiled {
namespace {

std::vector<std::string> Split(const std::string& text, char sep) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(sep, start);
        parts.push_back(text.substr(start, at == std::string::npos ? at : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

std::vector<std::string> Words(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
            if (!word.empty())
                words.push_back(word);
            word.clear();
        } else
            word += c;
    }
    if (!word.empty())
        words.push_back(word);
    return words;
}

uint64_t Number(const std::string& text, uint64_t max, const std::string& where) {
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (text.empty() || *end || errno || v > max || text[0] == '-')
        throw Failure(where + ": bad number \"" + text + "\" (0 to " + std::to_string(max) + ")");
    return v;
}

std::vector<std::string> Fields(const std::string& text, size_t count, const std::string& where,
                                const char* form) {
    std::vector<std::string> parts = Split(text, '|');
    if (parts.size() != count)
        throw Failure(where + ": \"" + text + "\" is not of the form " + form);
    return parts;
}

template <class T> std::string Join(const std::vector<T>& values) {
    std::string out;
    for (const T& v : values)
        out += (out.empty() ? "" : " ") + std::to_string(v);
    return out;
}

} // namespace

std::vector<std::pair<std::string, int64_t>> ParseTileSetList(const std::string& text,
                                                              const std::string& where) {
    std::vector<std::pair<std::string, int64_t>> out;
    for (const std::string& entry : Split(text, ',')) {
        size_t colon = entry.rfind(':');
        if (colon == std::string::npos)
            throw Failure(where + ": tileSets entry \"" + entry + "\" is not file:slot");
        int64_t slot = int64_t(Number(entry.substr(colon + 1 + (entry[colon + 1] == '-')), 32768,
                                      where + ": tileSets"));
        out.push_back({entry.substr(0, colon), entry[colon + 1] == '-' ? -slot : slot});
    }
    return out;
}

std::string FormatTileSetList(const std::vector<gamedata::TileSetDesc>& entries) {
    std::string out;
    for (const auto& e : entries)
        out += (out.empty() ? "" : ",") + e.fileName + ":" + std::to_string(e.slot);
    return out;
}

std::vector<std::pair<size_t, uint64_t>>
ParseCellList(const std::string& text, size_t cells, uint64_t maxValue, const std::string& where) {
    std::vector<std::pair<size_t, uint64_t>> out;
    for (const std::string& word : Words(text)) {
        size_t eq = word.find('=');
        if (eq == std::string::npos)
            throw Failure(where + ": \"" + word + "\" is not index=value");
        size_t index = size_t(Number(word.substr(0, eq), cells ? cells - 1 : 0, where));
        if (!cells)
            throw Failure(where + ": the layer has no cells");
        out.push_back({index, Number(word.substr(eq + 1), maxValue, where)});
    }
    return out;
}

std::string FormatCellList(const std::vector<std::pair<size_t, uint64_t>>& cells) {
    std::string out;
    for (const auto& [index, value] : cells) {
        std::ostringstream word;
        word << index << "=0x" << std::hex << value;
        out += (out.empty() ? "" : " ") + word.str();
    }
    return out;
}

gamedata::SequenceDesc ParseSequence(const std::string& text, const std::string& where) {
    auto f = Fields(text, 6, where, "name|name2|v1|v2|v3|v4");
    return {f[0],
            f[1],
            uint16_t(Number(f[2], 0xFFFF, where)),
            uint16_t(Number(f[3], 0xFFFF, where)),
            uint32_t(Number(f[4], 0xFFFFFFFF, where)),
            uint32_t(Number(f[5], 0xFFFFFFFF, where))};
}

std::string FormatSequence(const gamedata::SequenceDesc& s) {
    return s.name + "|" + s.name2 + "|" + std::to_string(s.value1) + "|" +
           std::to_string(s.value2) + "|" + std::to_string(s.value3) + "|" +
           std::to_string(s.value4);
}

gamedata::SpriteSoundDesc ParseSpriteSound(const std::string& text, const std::string& where) {
    auto f = Fields(text, 3, where, "name|wave|frame frame ...");
    gamedata::SpriteSoundDesc sound{f[0], f[1], {}, {}};
    for (const std::string& w : Words(f[2]))
        sound.frames.push_back(uint16_t(Number(w, 0xFFFF, where)));
    return sound;
}

std::string FormatSpriteSound(const gamedata::SpriteSoundDesc& s) {
    return s.name + "|" + s.waveFile + "|" + Join(s.frames);
}

gamedata::LayerSoundDesc ParseLayerSound(const std::string& text, const std::string& where) {
    auto f = Fields(text, 5, where, "name|wave|x:y ...|column ...|row ...");
    gamedata::LayerSoundDesc sound;
    sound.name = f[0];
    sound.waveFile = f[1];
    for (const std::string& w : Words(f[2])) {
        size_t colon = w.find(':');
        if (colon == std::string::npos)
            throw Failure(where + ": sound point \"" + w + "\" is not x:y");
        sound.points.push_back({uint16_t(Number(w.substr(0, colon), 0xFFFF, where)),
                                uint16_t(Number(w.substr(colon + 1), 0xFFFF, where))});
    }
    for (const std::string& w : Words(f[3]))
        sound.columns.push_back(uint16_t(Number(w, 0xFFFF, where)));
    for (const std::string& w : Words(f[4]))
        sound.rows.push_back(uint16_t(Number(w, 0xFFFF, where)));
    return sound;
}

std::string FormatLayerSound(const gamedata::LayerSoundDesc& s) {
    std::string points;
    for (const auto& [x, y] : s.points)
        points += (points.empty() ? "" : " ") + std::to_string(x) + ":" + std::to_string(y);
    return s.name + "|" + s.waveFile + "|" + points + "|" + Join(s.columns) + "|" + Join(s.rows);
}

bool FitsField(const std::string& text) {
    return text.find('|') == std::string::npos;
}

} // namespace tiled
