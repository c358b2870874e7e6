#include "tools/tiled/Export.h"

namespace tiled {

std::string ExportLevel(const std::string& levelPath, const std::string&, Report&) {
    throw Failure(levelPath + ": Unable to export yet");
}

} // namespace tiled
