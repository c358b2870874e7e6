// Shows the loading screen in a real window for a while: the set-up of the
// program's entry (window, display object, loading-screen sprite), then
// LoadScreen, then the window is kept serviced. Used by the X screenshot
// check; writes its own data\qexags.012 into the current folder.
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "engine/VraskUtils.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Window.h"
#include "support/GameWindow.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Frame 0 (100 x 50): a white border, red on the left half, green on the
// right; frame 1 beside it is blue and never shown.
uint32_t SheetPixel(int x, int y) {
    if (x >= 100)
        return 0x001F;
    if (x < 2 || x >= 98 || y < 2 || y >= 48)
        return 0x7FFF;
    return x < 50 ? 0x7C00 : 0x03E0;
}

int Fail(const char* what) {
    std::fprintf(stderr, "loadscreen_show: %s: %s\n", what, gErrorInfo.message);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = 100;
    sheet.frameHeight = 50;
    sheet.framesPerRow = 2;
    sheet.bitmap.width = 200;
    sheet.bitmap.height = 50;
    sheet.bitmap.bitCount = 16;
    sheet.bitmap.pixels = gamedata::DibRows(200, 50, 16, SheetPixel);
    sheet.frames.resize(2);
    if (!gamedata::WriteFile("data/qexags.012", gamedata::BuildSpriteSheetFile(sheet)))
        return Fail("cannot write data/qexags.012");

    if (const char* missing = OpenGameWindowAndDisplay())
        return Fail(missing);
    if (!LoadScreenInit())
        return Fail("LoadScreenInit");
    if (!LoadScreen())
        return Fail("LoadScreen");
    std::printf("loading screen shown\n");
    std::fflush(stdout);
    for (int i = 0; i < seconds * 50; ++i) {
        platform::PumpEvents();
        platform::Sleep(20);
    }
    TakeScreenshot(); // what the primary surface holds, for comparison
    LoadScreenCleanup();
    gDisplay.primary->Release();
    gDisplay.display->Release();
    platform::DestroyWindow(gMainWindow);
    return 0;
}
