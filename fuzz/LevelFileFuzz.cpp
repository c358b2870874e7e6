// Feeds arbitrary bytes to the level loader as page 1 of a game.
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/Layers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool ready = [] {
        auto dir = std::filesystem::temp_directory_path() / "vrask-fuzz";
        std::filesystem::create_directories(dir / "data");
        std::filesystem::current_path(dir);
        // A mask picture for layers that ask for one.
        static const uint8_t mask[] = {'B', 'M', 70, 0, 0, 0, 0, 0, 0, 0, 62, 0, 0, 0, 40, 0, 0, 0,
                                       16,  0,   0,  0, 2, 0, 0, 0, 1, 0, 1,  0, 0, 0, 0,  0, 8, 0,
                                       0,   0,   0,  0, 0, 0, 0, 0, 0, 0, 0,  0, 0, 0, 0,  0, 0, 0,
                                       0,   0,   0,  0, 0, 0, 0, 0, 1, 2, 0,  0, 3, 4, 0,  0};
        if (FILE* f = std::fopen("data/m1.msk", "wb")) {
            std::fwrite(mask, 1, sizeof(mask), f);
            std::fclose(f);
        }
        return true;
    }();
    (void)ready;
    if (FILE* f = std::fopen("data/page.lvl", "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    std::free(gPageNames);
    gPageNames = static_cast<char*>(std::calloc(2, kPageNameSize));
    std::strcpy(gPageNames + kPageNameSize, "page");
    gPageCount = 2;
    LoadLevel(1);
    FreeLevel();
    FreeMenuPages(&gPage);
    return 0;
}
