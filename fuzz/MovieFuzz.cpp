// Movie files through the cutscene player on the headless display. Escape
// goes down at the 20th read, so an input plays for at most the fade after
// it: a short budget whatever the file claims.
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Display.h"
#include "platform/Input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("movie");
    if (!fuzz::Display(640, 480, 16))
        return 0;
    fuzz::WriteFile("data/movie.avi", data, size);
    gErrorInfo = ErrorInfo{};
    gInputState = InputState{};
    if (platform::SetInputScript("20 down ESCAPE\n") && InputInit() == 1)
        CutsceneEngine("data\\movie.avi", 0, 320, 240, 16, 1, 57);
    InputCleanup();
    platform::SetInputScript(nullptr);
    gErrorInfo = ErrorInfo{};
    return 0;
}
