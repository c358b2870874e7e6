// The level main loop and tear-down: music, input and hot keys, the brains'
// Thinks, scrolling, drawing, the debug overlay and the 90 Hz pacing.
#include "engine/LevelEngine.h"
#include "cdaudio/CDAudio.h"
#include "engine/Globals.h"
#include "engine/InputEngine.h"
#include "engine/Layers.h"
#include "engine/LevelDraw.h"
#include "engine/VraskUtils.h"
#include "platform/Clock.h"
#include "platform/Debug.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/Gdi.h"
#include "platform/Window.h"
#include "soundfx/SoundFX.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr uint8_t kKeyEscape = 0x01;
constexpr uint8_t kKeyR = 0x13;
constexpr uint8_t kKeyT = 0x14;
constexpr uint8_t kKeyP = 0x19;
constexpr uint8_t kKeyS = 0x1F;
constexpr uint8_t kKeyF1 = 0x3B;
constexpr int32_t kAxisThreshold = 5;
constexpr int64_t kFramesPerSecond = 90;

void EngineError(uint16_t code, const char* message) {
    FillError(&gErrorInfo, code, "LevelEngine", "LevelEngine()", message);
}

bool Held(uint8_t key) {
    return gInputState.keysNow[key] & 0x80;
}

// A hot key acts on the frame it goes down.
bool Pressed(uint8_t key) {
    return Held(key) && !(gInputState.keysBefore[key] & 0x80);
}

uint16_t MusicVolume() {
    return uint16_t(gMenuControl.musicVolume & 0xFFFF);
}

bool MusicOn() {
    return gMenuControl.musicOn != 0;
}

// The performance counter, or the millisecond timer where there is none.
struct FrameClock {
    bool counter;
    int64_t frequency, ticksPerFrame;
    int64_t lastFrame, windowStart;
    int64_t framesCounted, lastFps;

    int64_t Now() const {
        return counter ? platform::PerformanceCounter() : int64_t(platform::TimeGetTime());
    }

    void Start() {
        frequency = platform::PerformanceFrequency();
        counter = frequency > 0;
        if (!counter)
            frequency = 1000;
        ticksPerFrame = frequency / kFramesPerSecond;
        lastFrame = windowStart = Now();
        framesCounted = 1;
        lastFps = 0;
    }

    // Waits until a whole frame has passed since the last one, but never
    // longer than one frame from the start of the wait: asleep for most of
    // it, reading the timer only for the last stretch, so that a light level
    // does not keep a core busy.
    void Pace() {
        int64_t now = Now();
        if (now - lastFrame < ticksPerFrame) {
            int64_t waitStart = now;
            if (counter)
                platform::SleepUntilCounter(std::min(lastFrame, waitStart) + ticksPerFrame);
            while (now - lastFrame < ticksPerFrame && now - waitStart < ticksPerFrame)
                now = Now();
        }
        lastFrame = now;
        if ((now - windowStart) / frequency >= 1) {
            windowStart = now;
            lastFps = framesCounted;
            framesCounted = 0;
        }
        ++framesCounted;
    }
};

int StartMusic() {
    if (!MusicOn())
        return 1;
    if (gPage.useCdAudio == 0) {
        char path[5 + sizeof(gPage.musicWave)];
        std::snprintf(path, sizeof(path), "data\\%s", gPage.musicWave);
        if (!platform::NameStaysInside(gPage.musicWave)) {
            FillError2(&gErrorInfo, kErrorFatal, "LevelEngine", "LevelEngine()", "Unable to open ",
                       path);
            return 0;
        }
        if (!SoundFXWavPlay(path))
            return 0;
        SoundFXWavSetVolume(MusicVolume());
    } else {
        if (!CDAudioPlay(uint16_t(gPage.cdTrack)))
            return 0;
        CDAudioSetVolume(MusicVolume());
    }
    return 1;
}

void StopMusic() {
    if (gPage.useCdAudio == 0) {
        if (MusicOn())
            SoundFXWavStop();
    } else {
        CDAudioStop();
    }
}

uint32_t ReadButtons() {
    InputReadDevices("LevelEngine");
    uint32_t buttons = 0;
    if (gInputState.joystickPresent == 1 && gInputState.joystick1.device) {
        const JoyState2& joy = gInputState.joystick1.state;
        if (joy.buttons[0])
            buttons |= kButtonAttack;
        if (joy.buttons[1])
            buttons |= kButtonJump;
        if (joy.x > kAxisThreshold)
            buttons |= kButtonRight;
        else if (joy.x < -kAxisThreshold)
            buttons |= kButtonLeft;
        if (joy.y > kAxisThreshold)
            buttons |= kButtonDown;
        else if (joy.y < -kAxisThreshold)
            buttons |= kButtonUp;
    }
    if (InputBindingDown(kBindAttack))
        buttons |= kButtonAttack;
    if (InputBindingDown(kBindJump))
        buttons |= kButtonJump;
    if (InputBindingDown(kBindRight))
        buttons |= kButtonRight;
    else if (InputBindingDown(kBindLeft))
        buttons |= kButtonLeft;
    if (InputBindingDown(kBindDown))
        buttons |= kButtonDown;
    else if (InputBindingDown(kBindUp))
        buttons |= kButtonUp;
    return buttons;
}

// The in-game menu. Returns 0 when it failed; sets *end when it asks to
// leave the level.
int CallMenu(bool* end) {
    InputState& s = gInputState;
    std::memcpy(s.keysBefore, s.keysNow, sizeof(s.keysBefore));
    // The menu must not see the fire buttons that are still held as new.
    for (int b = 0; b < 2; ++b) {
        s.joystick1.previous.buttons[b] = s.joystick1.state.buttons[b];
        s.joystick2.previous.buttons[b] = s.joystick1.state.buttons[b];
    }
    gMenuControl.cleared = 0;
    gMenuControl.callerContext = 1;
    if (!gMainMenuPage.menuEngine())
        return 0;
    if (gMenuControl.jumpRequest == 1 || gMenuControl.quitRequest == 1)
        *end = true;
    return 1;
}

// The hot keys of one frame, in their order. Returns 0 when the menu failed.
int HotKeys(bool* end) {
    if (Pressed(kKeyEscape) && gMainMenuPage.menuEngine && !CallMenu(end))
        return 0;
    if (Pressed(kKeyS))
        TakeScreenshot(); // a failed screenshot leaves its warning and goes on
    if (Pressed(kKeyP) && MusicOn()) {
        if (gPage.useCdAudio == 0)
            SoundFXWavPause();
        else if (CDAudioMixerAvailable() == 1)
            CDAudioSetVolume(0);
        else
            CDAudioStop();
        gMenuControl.musicPaused = 1;
    }
    if (Pressed(kKeyR) && MusicOn()) {
        if (gPage.useCdAudio == 0)
            SoundFXWavResume();
        else if (CDAudioMixerAvailable() == 1)
            CDAudioSetVolume(MusicVolume());
        else
            CDAudioPlay(uint16_t(gPage.cdTrack));
        gMenuControl.musicPaused = 0;
    }
    if (Pressed(kKeyT))
        gFrameControl.buttons |= kButtonToggle;
    return 1;
}

// One step of a layer along one axis; a step left or up past the cell's
// start lands on the cell's last pixel.
void Step(bool forward, bool back, uint32_t step, uint32_t tileSize, int32_t* sub, int32_t* cell) {
    if (forward) {
        *sub += int32_t(step);
        if (*sub >= int32_t(tileSize)) {
            *sub = 0;
            ++*cell;
        }
    } else if (back) {
        *sub -= int32_t(step);
        if (*sub < 0) {
            *sub = int32_t(tileSize) - 1;
            --*cell;
        }
    }
}

void ScrollLayer(Layer* layer, uint32_t requests) {
    Step(requests & kRequestScrollRight, requests & kRequestScrollLeft, layer->stepX,
         layer->tileWidth, &layer->scrollSubX, &layer->scrollColumn);
    Step(requests & kRequestScrollDown, requests & kRequestScrollUp, layer->stepY,
         layer->tileHeight, &layer->scrollSubY, &layer->scrollRow);
}

int ThinkList(PtrPair<Sprite> list) {
    for (Sprite* sprite = list.ptr; sprite; sprite = sprite->next.ptr)
        if (sprite->think && !sprite->think())
            return 0; // the brain has filled the record
    return 1;
}

int DrawOverlay(int64_t fps) {
    platform::DeviceContext* dc = nullptr;
    if (gDisplay.back->GetDC(&dc) != platform::kOk) {
        EngineError(kErrorWarning, "Unable to get DC from surface!");
        return 0;
    }
    char text[64];
    SpriteInstance* at = gPlayerSprite->instances.ptr;
    int n = std::snprintf(text, sizeof(text), "%d, %d", at ? at->x : 0, at ? at->y : 0);
    platform::TextOut(dc, 10, 10, text, n);
    n = std::snprintf(text, sizeof(text), "%d FPS", int(fps));
    platform::TextOut(dc, 10, 30, text, n);
    gDisplay.back->ReleaseDC(dc);
    return 1;
}

} // namespace

int LevelEngine() {
    if (!gPlayerSprite || !gPlayerSprite->think || !gMainLayer) {
        EngineError(kErrorFatal, "Unable to run level: it was not set up!");
        return 0;
    }
    for (uint32_t& word : gFrameControl.engineWords)
        word = 1;
    bool end = false;
    FrameClock clock{};
    clock.Start();
    if (!GetDXSurfaces(int32_t(gPage.screenWidth), int32_t(gPage.screenHeight),
                       int32_t(gPage.colourDepth))) {
        EngineError(kErrorFatal, "Unable to get surfaces!");
        return 0;
    }
    SoundFXSetGlobalVolume(uint16_t(gMenuControl.effectsVolume & 0xFFFF));
    if (!StartMusic())
        return 0;

    for (;;) {
        if (end) {
            StopMusic();
            return 1;
        }
        gFrameControl.buttons = 0;
        gFrameControl.requests = 0;
        gFrameControl.buttons = ReadButtons();
        // A close of the window leaves the level as the menu's quit does.
        if (platform::QuitRequested()) {
            gMenuControl.quitRequest = 1;
            StopMusic();
            return 1;
        }
        if (!HotKeys(&end))
            return 0;
        std::memcpy(gInputState.keysBefore, gInputState.keysNow, sizeof(gInputState.keysBefore));
        if (gPage.useCdAudio == 1 && CDAudioRefresh() != 1)
            platform::OutputDebugString("CDAudioRefresh failed!\n");

        if (!gPlayerSprite->think())
            return 0;
        uint32_t requests = gFrameControl.requests;
        if (requests & kRequestEndLevel)
            end = true;
        if (requests & kRequestRecentre) {
            int32_t cameraX = 0, cameraY = 0;
            CentreCameraOnPlayer(gMainLayer, &cameraX, &cameraY);
            SetLayerScroll(cameraX, cameraY);
        }
        for (Layer* layer = gPage.layers.ptr; layer; layer = layer->next.ptr) {
            ScrollLayer(layer, gFrameControl.requests);
            if (!ThinkList(layer->platforms) || !ThinkList(layer->sprites))
                return 0;
            DrawLayer(layer, gPage.screenWidth, gPage.screenHeight);
        }
        SpriteInstance* player = gPlayerSprite->instances.ptr;
        if (player && player->alive == 0)
            end = true;
        if (Held(kKeyF1) && !DrawOverlay(clock.lastFps))
            return 0;
        gDisplay.primary->Flip(nullptr, platform::DDFLIP_WAIT);
        platform::SetForegroundWindow(gMainWindow);
        clock.Pace();
    }
}

// Frees every layer and releases the display surfaces, so the next page sets
// its own mode.
void LevelTeardown() {
    FreeLevel();
    gPlayerSprite = nullptr;
    gMainLayer = nullptr;
    if (gDisplay.primary) {
        gDisplay.primary->Release();
        gDisplay.primary = nullptr;
        gDisplay.back = nullptr;
    }
}
