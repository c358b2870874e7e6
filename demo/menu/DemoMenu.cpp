// The demo game's story pages: each menu page of the page record is one
// picture with its caption, shown in list order. Enter, Space or a joystick
// button turns the page; Escape skips the rest of the story.
#include "common/Level.h"
#include "demo/menu/MenuScreen.h"
#include "platform/Clock.h"

#include <cstring>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

PageRecord* gPage;

// The caption in lines of at most `width` characters, broken at blanks.
void DrawCaption(const char* text) {
    using namespace demomenu;
    constexpr int kScale = 3, kWidth = 32;
    int y = ScreenHeight() - 150;
    const char* at = text;
    while (*at && y < ScreenHeight() - 50) {
        int length = static_cast<int>(std::strlen(at));
        int cut = length;
        if (cut > kWidth) {
            cut = kWidth;
            while (cut > 0 && at[cut] != ' ')
                --cut;
            if (cut == 0)
                cut = kWidth;
        }
        char line[kWidth + 1];
        std::memcpy(line, at, cut);
        line[cut] = 0;
        DrawText((ScreenWidth() - TextWidth(line, kScale)) / 2, y, line, 0xFFFFFF, kScale);
        y += 30;
        at += cut;
        while (*at == ' ')
            ++at;
    }
}

} // namespace

EXPORT int32_t MenuInit(DisplayHandles* display, InputState* input, PageRecord* page, ErrorInfo*,
                        MenuControl*) {
    demomenu::Bind(display, input, page);
    gPage = page;
    return 1;
}

EXPORT int32_t MenuEngine() {
    using namespace demomenu;
    MenuPage* page = gPage->menuPages.ptr;
    ForgetHeld();
    while (page) {
        DrawPage(page);
        DrawCaption(page->name);
        const char* keys = "Enter: go on    Esc: skip";
        DrawText((ScreenWidth() - TextWidth(keys, 2)) / 2, ScreenHeight() - 30, keys, 0xFFDC78, 2);
        Present();
        uint32_t pressed = ReadActions();
        if (pressed & kBack)
            return 1;
        if (pressed & kGo)
            page = page->next.ptr;
        platform::Sleep(15);
    }
    return 1;
}

EXPORT int32_t MenuCleanup() {
    demomenu::Release();
    gPage = nullptr;
    return 1;
}
