// Input devices, the input state and the action bits.
#include "engine/InputEngine.h"
#include "engine/Globals.h"

// The platform has no input object yet: set-up says so, and nothing is held.
int InputInit() {
    FillError(&gErrorInfo, kErrorFatal, "InputEngine", "InputInit()",
              "Unable to create DirectInput object!");
    return 0;
}

int InputCleanup() {
    return 1;
}

int HighScoresGetInput(uint32_t* bits) {
    *bits = 0;
    return 1;
}
