// The process-wide records of the game program. Each has one instance, zero
// at start; libraries and plug-ins receive their addresses.
#pragma once

#include "common/ErrorInfo.h"
#include "common/InputState.h"
#include "common/Level.h"
#include "common/MenuControl.h"

#include <cstdint>

namespace platform {
class Window;
}

constexpr uint32_t kPageNameSize = 40;

extern ErrorInfo gErrorInfo;
extern platform::Window* gMainWindow;
extern void* gInstance;
extern DisplayHandles gDisplay;
extern char* gPageNames; // page count x 40 bytes, as stored in the game file
extern uint32_t gPageCount;
extern PageRecord gPage;         // the current page
extern PageRecord gMainMenuPage; // page 0, kept for the whole run
extern MenuControl gMenuControl;
extern FrameControl gFrameControl;
extern InputState gInputState;
