// Turns a map-editor map into a level file with its pictures, and checks the
// level for what the game needs.
#pragma once

#include "tools/GameData.h"
#include "tools/tiled/TiledMap.h"

#include <map>
#include <string>
#include <vector>

namespace tiled {

struct Report {
    std::vector<std::string> errors;   // the level cannot be written
    std::vector<std::string> warnings; // the level loads but will not play as meant
};

struct Imported {
    std::string levelName; // the page name: the file is data/<levelName>.lvl
    gamedata::LevelFileDesc level;
    std::map<std::string, std::vector<uint8_t>> files; // every file under data/, by name
};

// Builds the level; problems go to the report (a Failure is thrown for input
// that cannot be read at all).
Imported ImportMap(const Map& map, Report& report);

// The content the brains look for; adds warnings naming `where` (the map).
void CheckPlayable(const gamedata::LevelFileDesc& level, const std::string& where, Report& report);

} // namespace tiled
