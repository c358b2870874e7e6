#include "engine/Globals.h"

ErrorInfo gErrorInfo;
platform::Window* gMainWindow;
void* gInstance;
DisplayHandles gDisplay;
char* gPageNames;
uint32_t gPageCount;
PageRecord gPage;
PageRecord gMainMenuPage;
MenuControl gMenuControl;
FrameControl gFrameControl;
InputState gInputState;
