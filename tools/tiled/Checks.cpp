// What the brains need from a playable level, checked before the game runs.
#include "common/KnownLevels.h"
#include "tools/tiled/Import.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tiled {
namespace {

using gamedata::LayerDesc;
using gamedata::SpriteDesc;

std::string Lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

const SpriteDesc* Find(const LayerDesc& layer, const char* name) {
    for (const SpriteDesc& s : layer.sprites)
        if (Lower(s.name) == name)
            return &s;
    return nullptr;
}

std::string ColumnList(const std::vector<uint32_t>& columns) {
    std::string out;
    for (size_t i = 0; i < columns.size() && i < 8; ++i)
        out += (i ? ", " : "") + std::to_string(columns[i]);
    if (columns.size() > 8)
        out += ", ... (" + std::to_string(columns.size()) + " columns)";
    return out;
}

} // namespace

void CheckPlayable(const gamedata::LevelFileDesc& level, const std::string& where, Report& report) {
    auto warn = [&](const std::string& line) {
        report.warnings.push_back("warning: " + where + line);
    };
    auto layerAt = [](const LayerDesc& l) { return ": layer \"" + l.name + "\""; };

    std::vector<size_t> mains;
    for (size_t i = 0; i < level.layers.size(); ++i)
        if (level.layers[i].isMainLayer)
            mains.push_back(i);
    if (mains.size() != 1) {
        warn(": " + std::to_string(mains.size()) +
             " main layers; a level has exactly one (the layer property \"main\")");
        if (mains.empty())
            return;
    }
    const LayerDesc& main = level.layers[mains[0]];
    std::string at = layerAt(main);

    if (main.tileWidth != 16 || main.tileHeight != 16)
        warn(at + ": the main layer's tiles are " + std::to_string(main.tileWidth) + " x " +
             std::to_string(main.tileHeight) + "; the player brain needs 16 x 16");
    if (main.hasMask != 1)
        warn(at + ": the main layer has no collision data");
    const KnownLevel* table = FindKnownLevel(main.name.c_str());
    if (!table)
        warn(at + ": the player brain knows no teleporter destinations or helper voice for this "
                  "name (use \"LA Main\" ... \"CB Main\")");

    int players = 0;
    for (const LayerDesc& layer : level.layers)
        for (const SpriteDesc& s : layer.sprites)
            if (s.isPlayer) {
                ++players;
                if (&layer != &main)
                    warn(layerAt(layer) + ": object \"" + s.name +
                         "\": the player sprite is not on the main layer");
                if (s.instances.empty())
                    warn(layerAt(layer) + ": object \"" + s.name +
                         "\": the player has no instance");
            }
    if (players != 1)
        warn(": " + std::to_string(players) +
             " player sprites (isPlayer); a level has exactly one");

    if (!Find(main, "ora"))
        warn(at + ": no \"ora\" sprite (the player's aura) on the main layer");
    if (size_t(mains[0]) + 1 >= level.layers.size())
        warn(at + ": no layer after the main layer for \"helper\" and \"spirit\"");
    else {
        const LayerDesc& after = level.layers[mains[0] + 1];
        for (const char* name : {"helper", "spirit"})
            if (!Find(after, name))
                warn(layerAt(after) + ": no \"" + name +
                     "\" sprite on the layer after the main layer");
    }
    for (const char* name : {"health meter", "lives", "digits", "tool icon"}) {
        const SpriteDesc* found = nullptr;
        for (const LayerDesc& layer : level.layers)
            if (const SpriteDesc* s = Find(layer, name))
                found = s;
        if (!found)
            warn(": no \"" + std::string(name) + "\" sprite on any layer");
        else if (std::strcmp(name, "digits") == 0 && found->instances.size() < 9)
            warn(": object \"digits\": " + std::to_string(found->instances.size()) +
                 " instances; the score and tools display needs nine");
    }

    // Teleporters are numbered from 1 across the main layer's "teleport" sprites.
    int number = 0;
    int known = table ? table->destinationCount : 0;
    for (const SpriteDesc& s : main.sprites) {
        if (Lower(s.name) != "teleport")
            continue;
        for (size_t i = 0; i < s.instances.size(); ++i)
            if (++number > known)
                warn(at + ": object \"" + s.name + "\": teleporter " + std::to_string(number) +
                     " has no destination (" + main.name + " has " + std::to_string(known) + ")");
    }
    uint64_t width = uint64_t(main.tileWidth) * main.columns;
    uint64_t height = uint64_t(main.tileHeight) * main.rows;
    for (int i = 0; i < std::min(number, known); ++i) {
        auto [x, y] = std::pair(table->destinations[i][0], table->destinations[i][1]);
        if (uint64_t(x) >= width || uint64_t(y) >= height)
            warn(at + ": teleporter " + std::to_string(i + 1) + " leads to (" + std::to_string(x) +
                 ", " + std::to_string(y) + "), outside the map (" + std::to_string(width) + " x " +
                 std::to_string(height) + " pixels)");
    }

    if (main.hasMask == 1 && main.rows > 0) {
        std::vector<uint32_t> open;
        for (uint32_t c = 0; c < main.columns; ++c) {
            size_t i = size_t(main.rows - 1) * main.columns + c;
            uint32_t cls = i < main.maskData.size() ? (main.maskData[i] >> 17) & 15 : 0;
            if (cls != 1 && cls != 4)
                open.push_back(c);
        }
        if (!open.empty())
            warn(at + ": no floor (class 1 or 4) in the bottom row under column " +
                 ColumnList(open));
    }
}

} // namespace tiled
