// The text forms of the level data that the map editor has no place for,
// kept in properties: tile-set slots, raw cells, sequences and sounds.
#pragma once

#include "tools/GameData.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tiled {

// "file:slot,file:slot"
std::vector<std::pair<std::string, int64_t>> ParseTileSetList(const std::string& text,
                                                              const std::string& where);
std::string FormatTileSetList(const std::vector<gamedata::TileSetDesc>& entries);

// "index=value index=value", indexes below `cells`, values up to `maxValue`.
std::vector<std::pair<size_t, uint64_t>> ParseCellList(const std::string& text, size_t cells,
                                                       uint64_t maxValue, const std::string& where);
std::string FormatCellList(const std::vector<std::pair<size_t, uint64_t>>& cells);

// "name|name2|v1|v2|v3|v4"
gamedata::SequenceDesc ParseSequence(const std::string& text, const std::string& where);
std::string FormatSequence(const gamedata::SequenceDesc& sequence);
// "name|wave|frame frame ..."
gamedata::SpriteSoundDesc ParseSpriteSound(const std::string& text, const std::string& where);
std::string FormatSpriteSound(const gamedata::SpriteSoundDesc& sound);
// "name|wave|x:y x:y ...|column ...|row ..."
gamedata::LayerSoundDesc ParseLayerSound(const std::string& text, const std::string& where);
std::string FormatLayerSound(const gamedata::LayerSoundDesc& sound);

// Whether a name can stand in the forms above.
bool FitsField(const std::string& text);

} // namespace tiled
