// The preferences file: loaded, its key bindings read by the input engine
// over a script that presses every key, and saved back unchanged.
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Input.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string EveryKeyScript() {
    std::string text;
    for (int key = 1; key < 256; ++key) {
        char line[32];
        std::snprintf(line, sizeof(line), "%d down 0x%02X\n", key / 8, key);
        text += line;
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("prefs");
    fuzz::MainWindow();
    static const std::string script = EveryKeyScript();
    fuzz::WriteFile("data/prefs.cfg", data, size);
    gErrorInfo = ErrorInfo{};
    if (LoadUserPrefs() == 1) {
        if (platform::SetInputScript(script.c_str()) && InputInit() == 1) {
            for (int frame = 0; frame < 34; ++frame) {
                uint32_t bits = 0;
                HighScoresGetInput(&bits);
            }
        }
        InputCleanup();
        platform::SetInputScript(nullptr);
        // What was read is what is written back.
        if (size >= kPrefsSize && SaveUserPrefs() == 1) {
            uint8_t saved[kPrefsSize] = {};
            if (FILE* f = std::fopen("data/prefs.cfg", "rb")) {
                size_t got = std::fread(saved, 1, sizeof(saved), f);
                std::fclose(f);
                if (got != sizeof(saved) || std::memcmp(saved, data, sizeof(saved)) != 0)
                    std::abort();
            }
        }
    }
    gErrorInfo = ErrorInfo{};
    return 0;
}
