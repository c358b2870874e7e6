// The game file, and every page name it gives through the level loader's
// naming of the page's file.
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("game_file");
    fuzz::WriteFile(kGameFileName, data, size);
    if (LoadGame(kGameFileName)) {
        uint32_t pages = gPageCount < 64 ? gPageCount : 64;
        for (uint32_t i = 0; i <= pages; ++i) {
            LoadLevel(i);
            FreeLevel();
            FreeMenuPages(&gPage);
        }
    }
    gErrorInfo = ErrorInfo{};
    return 0;
}
