// Input scripts: parsed as VRASK_INPUT is, then played through the input
// engine's devices with faked joysticks for a few hundred reads.
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Input.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("input_script");
    fuzz::MainWindow();
    std::string text(reinterpret_cast<const char*>(data), size);
    gErrorInfo = ErrorInfo{};
    gInputState = InputState{};
    if (platform::SetInputScript(text.c_str(), 2)) {
        if (InputInit() == 1) {
            for (int frame = 0; frame < 300; ++frame) {
                uint32_t bits = 0;
                HighScoresGetInput(&bits);
            }
        }
        InputCleanup();
    }
    platform::SetInputScript(nullptr);
    gErrorInfo = ErrorInfo{};
    return 0;
}
