// The demo game's menu plug-in: shows each menu page's picture with its name
// and the keys, and answers the game through the control block. It is built
// twice, as the main menu (MAIN_MENU) and as the other pages' plug-in: one
// loaded library keeps one page's state, and the main menu stays loaded while
// other pages come and go.
//   Main menu before the first game page: Enter plays the story again,
//   Escape quits. From a level or after the last page: Enter or Escape
//   returns. Any other menu page: Enter or Space goes on, Escape quits.
#include "common/InputState.h"
#include "common/Level.h"
#include "common/MenuControl.h"
#include "platform/Clock.h"
#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/Input.h"

#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint8_t kEscape = 0x01;
constexpr uint8_t kEnter = 0x1C;
constexpr uint8_t kSpace = 0x39;
constexpr uint8_t kNumpadEnter = 0x9C;

DisplayHandles* gDisplay;
InputState* gInput;
PageRecord* gPage;
MenuControl* gControl;
#ifdef MAIN_MENU
constexpr bool gMain = true;
#else
constexpr bool gMain = false;
#endif

bool Pressed(uint8_t key) {
    return (gInput->keysNow[key] & 0x80) && !(gInput->keysBefore[key] & 0x80);
}

void ReadKeyboard() {
    std::memcpy(gInput->keysBefore, gInput->keysNow, sizeof(gInput->keysNow));
    platform::InputDevice* keyboard = gInput->keyboard;
    if (!keyboard)
        return;
    platform::Result r = keyboard->GetDeviceState(sizeof(gInput->keysNow), gInput->keysNow);
    while (r == platform::kInputLost)
        r = keyboard->Acquire();
}

void Draw(const char* title, const char* keys) {
    platform::Surface* back = gDisplay->back;
    if (!back)
        return;
    MenuPage* page = gPage->menuPages.ptr;
    if (page && page->surface) {
        if (back->BltFast(0, 0, page->surface, nullptr,
                          platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT) ==
            platform::kSurfaceLost)
            page->surface->Restore();
    } else {
        platform::BltFx fx{sizeof(fx), 0};
        back->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL | platform::DDBLT_WAIT, &fx);
    }
    platform::DeviceContext* dc = nullptr;
    if (back->GetDC(&dc) == platform::kOk) {
        platform::SetBkMode(dc, platform::TRANSPARENT);
        platform::SetTextColor(dc, platform::RGB(255, 255, 255));
        platform::TextOut(dc, 40, 40, title, static_cast<int>(std::strlen(title)));
        platform::SetTextColor(dc, platform::RGB(255, 220, 120));
        platform::TextOut(dc, 40, static_cast<int>(gPage->screenHeight) - 40, keys,
                          static_cast<int>(std::strlen(keys)));
        back->ReleaseDC(dc);
    }
    gDisplay->primary->Flip(nullptr, platform::DDFLIP_WAIT);
}

} // namespace

EXPORT int32_t MenuInit(DisplayHandles* display, InputState* input, PageRecord* page, ErrorInfo*,
                        MenuControl* control) {
    gDisplay = display;
    gInput = input;
    gPage = page;
    gControl = control;
    return 1;
}

EXPORT int32_t MenuEngine() {
    if (!gDisplay->primary || !gDisplay->back)
        return 1; // nothing to show on; the game goes on
    bool beforeGame = gMain && gControl->callerContext == 0;
    const char* title = gPage->menuPages.ptr ? gPage->menuPages.ptr->name : "";
    const char* keys = beforeGame ? "Enter: play the story again    Escape: quit"
                       : gMain    ? "Enter or Escape: back to the game"
                                  : "Enter: go on    Escape: quit";
    ReadKeyboard();
    std::memcpy(gInput->keysBefore, gInput->keysNow, sizeof(gInput->keysNow));
    for (;;) {
        Draw(title, keys);
        ReadKeyboard();
        bool go = Pressed(kEnter) || Pressed(kNumpadEnter) || (!gMain && Pressed(kSpace));
        bool escape = Pressed(kEscape);
        if (beforeGame && go) {
            gControl->jumpRequest = 1;
            gControl->targetPage = 1;
            return 1;
        }
        if ((go || escape) && gMain && !beforeGame)
            return 1;
        if (escape) {
            gControl->quitRequest = 1;
            return 1;
        }
        if (go)
            return 1;
        platform::Sleep(15); // about 60 screens a second
    }
}

EXPORT int32_t MenuCleanup() {
    return 1;
}
