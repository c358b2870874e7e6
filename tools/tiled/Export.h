// Turns a level file with its pictures into a map the editor opens.
#pragma once

#include "tools/tiled/Import.h"

#include <string>

namespace tiled {

// Writes <folder>/<level>.tmx and a PNG per picture; returns the map's path.
std::string ExportLevel(const std::string& levelPath, const std::string& folder, Report& report);

} // namespace tiled
