// The demo game's main menu (page 0): start or resume, music on and off,
// music and effects volume, the high-score table, quit. Up and Down choose,
// Left and Right change a setting, Enter or Space (joystick: stick or d-pad,
// buttons 1 and 2) take the choice, Escape (button 3) backs out. The
// settings live in the control block, which the game saves as preferences.
#include "common/InputState.h"
#include "common/Level.h"
#include "common/MenuControl.h"
#include "demo/menu/MenuScreen.h"
#include "platform/Clock.h"
#include "platform/Files.h"

#include <cstdio>
#include <cstring>
#include <initializer_list>

#define EXPORT extern "C" __attribute__((visibility("default")))

namespace {

MenuControl* gControl;

enum Item { kStart, kResume, kNewGame, kMusic, kMusicVolume, kEffectsVolume, kScores, kQuit };

constexpr uint16_t kFirstGamePage = 3;
constexpr uint32_t kVolumeStep = 10;

struct Screen {
    Item items[8];
    int count = 0;
    const char* title = "";
};

Screen ScreenFor() {
    Screen s;
    auto add = [&s](Item item) { s.items[s.count++] = item; };
    if (gControl->callerContext == 0) {
        s.title = "VRASK";
        add(kStart);
    } else if (gControl->openAtExit == 1) {
        // The game is over: the runner opens this document as it leaves.
        s.title = "THE END";
        std::snprintf(gControl->documentToOpen, sizeof(gControl->documentToOpen), "readme.txt");
        add(kQuit);
    } else {
        s.title = "PAUSED";
        add(kResume);
        add(kNewGame);
    }
    for (Item item : {kMusic, kMusicVolume, kEffectsVolume, kScores})
        add(item);
    if (gControl->openAtExit != 1)
        add(kQuit);
    return s;
}

void Label(Item item, char* out, size_t size) {
    switch (item) {
    case kStart:
        std::snprintf(out, size, "Start game");
        break;
    case kResume:
        std::snprintf(out, size, "Resume");
        break;
    case kNewGame:
        std::snprintf(out, size, "New game");
        break;
    case kMusic:
        std::snprintf(out, size, "Music: %s", gControl->musicOn ? "on" : "off");
        break;
    case kMusicVolume:
        std::snprintf(out, size, "Music volume: < %u >", gControl->musicVolume);
        break;
    case kEffectsVolume:
        std::snprintf(out, size, "Effects volume: < %u >", gControl->effectsVolume);
        break;
    case kScores:
        std::snprintf(out, size, "High scores");
        break;
    case kQuit:
        std::snprintf(out, size, gControl->openAtExit == 1 ? "Leave" : "Quit");
        break;
    }
}

void Step(uint32_t* volume, int direction) {
    if (direction < 0)
        *volume = *volume >= kVolumeStep ? *volume - kVolumeStep : 0;
    else
        *volume = *volume + kVolumeStep <= 100 ? *volume + kVolumeStep : 100;
}

void DrawMenu(const Screen& s, int selected) {
    using namespace demomenu;
    DrawPicture();
    int w = ScreenWidth();
    DrawText((w - TextWidth(s.title, 6)) / 2, 40, s.title, 0xFFE070, 6);
    int top = 140, rowHeight = 40;
    FillRect(80, top - 16, w - 80, top + s.count * rowHeight, 0x101828);
    for (int i = 0; i < s.count; ++i) {
        char label[64];
        Label(s.items[i], label, sizeof(label));
        int y = top + i * rowHeight;
        if (i == selected)
            FillRect(90, y - 6, w - 90, y + 30, 0x3050A0);
        DrawText((w - TextWidth(label, 3)) / 2, y, label, i == selected ? 0xFFFFFF : 0xA0B0C0, 3);
    }
    const char* keys = "Arrows or stick: choose   Enter: take   Esc: back";
    DrawText((w - TextWidth(keys, 2)) / 2, ScreenHeight() - 40, keys, 0xFFDC78, 2);
    Present();
}

// The table the high-score screen keeps: eight scores, then eight 32-byte
// entries whose first three bytes are letters (0 = A).
void ShowScores() {
    using namespace demomenu;
    uint8_t table[288] = {};
    bool have = false;
    if (platform::File* f = platform::FileOpenRead("data\\QEXALL.000")) {
        have = platform::FileRead(f, table, sizeof(table)) == sizeof(table);
        platform::FileClose(f);
    }
    ForgetHeld();
    for (;;) {
        DrawPicture();
        int w = ScreenWidth();
        DrawText((w - TextWidth("HIGH SCORES", 5)) / 2, 30, "HIGH SCORES", 0xFFE070, 5);
        FillRect(120, 100, w - 120, 100 + 8 * 36 + 10, 0x101828);
        for (int i = 0; i < 8; ++i) {
            char line[48];
            if (have) {
                uint32_t score = table[i * 4] | table[i * 4 + 1] << 8 | table[i * 4 + 2] << 16 |
                                 uint32_t(table[i * 4 + 3]) << 24;
                char name[4];
                for (int k = 0; k < 3; ++k) {
                    uint8_t letter = table[32 + i * 32 + k];
                    name[k] = letter < 26 ? char('A' + letter) : '?';
                }
                name[3] = 0;
                std::snprintf(line, sizeof(line), "%d. %s  %8u", i + 1, name, score);
            } else {
                std::snprintf(line, sizeof(line), "%d. ---  %8s", i + 1, "-");
            }
            DrawText((w - TextWidth(line, 3)) / 2, 112 + i * 36, line, 0xFFFFFF, 3);
        }
        const char* keys = "Enter or Esc: back";
        DrawText((w - TextWidth(keys, 2)) / 2, ScreenHeight() - 40, keys, 0xFFDC78, 2);
        Present();
        if (ReadActions() & (kGo | kBack))
            break;
        platform::Sleep(15);
    }
    ForgetHeld();
}

} // namespace

EXPORT int32_t MenuInit(DisplayHandles* display, InputState* input, PageRecord* page, ErrorInfo*,
                        MenuControl* control) {
    demomenu::Bind(display, input, page);
    gControl = control;
    return 1;
}

EXPORT int32_t MenuEngine() {
    using namespace demomenu;
    Screen s = ScreenFor();
    int selected = 0;
    ForgetHeld();
    for (;;) {
        DrawMenu(s, selected);
        uint32_t pressed = ReadActions();
        Item item = s.items[selected];
        if (pressed & kUp)
            selected = (selected + s.count - 1) % s.count;
        if (pressed & kDown)
            selected = (selected + 1) % s.count;
        int direction = (pressed & kRight) ? 1 : (pressed & kLeft) ? -1 : 0;
        if (direction && item == kMusicVolume)
            Step(&gControl->musicVolume, direction);
        if (direction && item == kEffectsVolume)
            Step(&gControl->effectsVolume, direction);
        if (direction && item == kMusic)
            gControl->musicOn = gControl->musicOn ? 0 : 1;
        if (pressed & kBack) {
            // Before a game Escape leaves; from a level it goes back to play.
            if (gControl->callerContext == 0)
                gControl->quitRequest = 1;
            return 1;
        }
        if (pressed & kGo) {
            switch (item) {
            case kStart:
                gControl->jumpRequest = 1;
                gControl->targetPage = kFirstGamePage;
                return 1;
            case kResume:
                return 1;
            case kNewGame:
                gControl->jumpRequest = 1;
                gControl->targetPage = kFirstGamePage;
                return 1;
            case kMusic:
                gControl->musicOn = gControl->musicOn ? 0 : 1;
                break;
            case kMusicVolume:
            case kEffectsVolume:
                break;
            case kScores:
                ShowScores();
                break;
            case kQuit:
                if (gControl->openAtExit != 1)
                    gControl->quitRequest = 1;
                return 1;
            }
        }
        platform::Sleep(15); // about 60 screens a second
    }
}

EXPORT int32_t MenuCleanup() {
    demomenu::Release();
    gControl = nullptr;
    return 1;
}
