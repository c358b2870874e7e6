#include "demo/menu/MenuScreen.h"

#include "common/InputState.h"
#include "common/Level.h"
#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/Input.h"

#include <cstring>

namespace demomenu {

namespace {

DisplayHandles* gDisplay;
InputState* gInput;
PageRecord* gPage;
uint32_t gHeld;

constexpr uint8_t kEscape = 0x01;
constexpr uint8_t kEnter = 0x1C;
constexpr uint8_t kSpace = 0x39;
constexpr uint8_t kNumpadEnter = 0x9C;
constexpr uint8_t kUpArrow = 0xC8;
constexpr uint8_t kDownArrow = 0xD0;
constexpr uint8_t kLeftArrow = 0xCB;
constexpr uint8_t kRightArrow = 0xCD;
constexpr int32_t kAxisHalf = 5000; // of the -10000..10000 range the game sets

bool Down(uint8_t key) {
    return gInput->keysNow[key] & 0x80;
}

void ReadKeyboard() {
    std::memcpy(gInput->keysBefore, gInput->keysNow, sizeof(gInput->keysNow));
    platform::InputDevice* keyboard = gInput->keyboard;
    if (!keyboard)
        return;
    platform::Result r = keyboard->GetDeviceState(sizeof(gInput->keysNow), gInput->keysNow);
    if (r == platform::kInputLost && keyboard->Acquire() == platform::kOk)
        keyboard->GetDeviceState(sizeof(gInput->keysNow), gInput->keysNow);
}

// The game keeps the first joystick's state in the input record; the menu
// reads it there too, so the level sees no stale press when it resumes.
uint32_t ReadJoystick() {
    if (gInput->joystickPresent != 1 || !gInput->joystick1.device)
        return 0;
    platform::InputDevice* joystick = gInput->joystick1.device;
    JoystickSlot& slot = gInput->joystick1;
    slot.previous = slot.state;
    if (joystick->Poll() == platform::kInputLost)
        joystick->Acquire();
    if (joystick->GetDeviceState(sizeof(slot.state), &slot.state) != platform::kOk)
        return 0;
    const JoyState2& j = slot.state;
    uint32_t bits = 0;
    if (j.y < -kAxisHalf)
        bits |= kUp;
    if (j.y > kAxisHalf)
        bits |= kDown;
    if (j.x < -kAxisHalf)
        bits |= kLeft;
    if (j.x > kAxisHalf)
        bits |= kRight;
    // The hat, as game pads report their d-pad.
    uint32_t pov = j.pov[0];
    if (pov != 0xFFFFFFFFu && (pov & 0xFFFF) != 0xFFFF) {
        if (pov >= 31500 || pov <= 4500)
            bits |= kUp;
        if (pov >= 13500 && pov <= 22500)
            bits |= kDown;
        if (pov >= 22500 && pov <= 31500)
            bits |= kLeft;
        if (pov >= 4500 && pov <= 13500)
            bits |= kRight;
    }
    if (j.buttons[0] & 0x80 || j.buttons[1] & 0x80)
        bits |= kGo;
    if (j.buttons[2] & 0x80)
        bits |= kBack;
    return bits;
}

uint32_t HeldNow() {
    ReadKeyboard();
    uint32_t bits = ReadJoystick();
    if (Down(kUpArrow))
        bits |= kUp;
    if (Down(kDownArrow))
        bits |= kDown;
    if (Down(kLeftArrow))
        bits |= kLeft;
    if (Down(kRightArrow))
        bits |= kRight;
    if (Down(kEnter) || Down(kNumpadEnter) || Down(kSpace))
        bits |= kGo;
    if (Down(kEscape))
        bits |= kBack;
    return bits;
}

uint32_t Pack(uint32_t rgb) {
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    if (!gDisplay->back || gDisplay->back->GetSurfaceDesc(&desc) != platform::kOk)
        return 0;
    auto channel = [](uint32_t value8, uint32_t mask) -> uint32_t {
        if (!mask)
            return 0;
        int shift = 0;
        while (!((mask >> shift) & 1))
            ++shift;
        uint32_t top = mask >> shift;
        return ((value8 * top + 127) / 255) << shift;
    };
    const platform::PixelFormat& f = desc.pixelFormat;
    return channel((rgb >> 16) & 0xFF, f.rBitMask) | channel((rgb >> 8) & 0xFF, f.gBitMask) |
           channel(rgb & 0xFF, f.bBitMask);
}

} // namespace

void Bind(DisplayHandles* display, InputState* input, PageRecord* page) {
    gDisplay = display;
    gInput = input;
    gPage = page;
}

uint32_t ReadActions() {
    uint32_t now = HeldNow();
    uint32_t pressed = now & ~gHeld;
    gHeld = now;
    return pressed;
}

void ForgetHeld() {
    gHeld = 0xFFFFFFFFu;
    ReadActions();
}

void DrawPicture() {
    DrawPage(gPage ? gPage->menuPages.ptr : nullptr);
}

void DrawPage(MenuPage* page) {
    platform::Surface* back = gDisplay->back;
    if (page && page->surface) {
        if (back->BltFast(0, 0, page->surface, nullptr,
                          platform::DDBLTFAST_NOCOLORKEY | platform::DDBLTFAST_WAIT) ==
            platform::kSurfaceLost)
            page->surface->Restore();
        return;
    }
    FillRect(0, 0, ScreenWidth(), ScreenHeight(), 0x000000);
}

void FillRect(int left, int top, int right, int bottom, uint32_t rgb) {
    platform::BltFx fx{sizeof(fx), Pack(rgb)};
    platform::Rect r{left, top, right, bottom};
    gDisplay->back->Blt(&r, nullptr, nullptr, platform::DDBLT_COLORFILL | platform::DDBLT_WAIT,
                        &fx);
}

int TextWidth(const char* text, int scale) {
    return static_cast<int>(std::strlen(text)) * 6 * scale;
}

void DrawText(int x, int y, const char* text, uint32_t rgb, int scale) {
    int length = static_cast<int>(std::strlen(text));
    if (length == 0)
        return;
    // Written small on a keyed scratch surface, then stretched into place.
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    desc.flags = platform::DDSD_CAPS | platform::DDSD_WIDTH | platform::DDSD_HEIGHT;
    desc.caps = platform::DDSCAPS_OFFSCREENPLAIN | platform::DDSCAPS_SYSTEMMEMORY;
    desc.width = static_cast<uint32_t>(length * 6);
    desc.height = 8;
    platform::Surface* scratch = nullptr;
    if (gDisplay->display->CreateSurface(&desc, &scratch, nullptr) != platform::kOk)
        return;
    platform::BltFx fx{sizeof(fx), 0};
    scratch->Blt(nullptr, nullptr, nullptr, platform::DDBLT_COLORFILL | platform::DDBLT_WAIT, &fx);
    platform::ColorKey key{0, 0};
    scratch->SetColorKey(platform::DDCKEY_SRCBLT, &key);
    platform::DeviceContext* dc = nullptr;
    if (scratch->GetDC(&dc) == platform::kOk) {
        platform::SetBkMode(dc, platform::TRANSPARENT);
        // Never pure black, which is the key.
        uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        if (r + g + b < 24)
            r = g = b = 8;
        platform::SetTextColor(dc, platform::RGB(uint8_t(r), uint8_t(g), uint8_t(b)));
        platform::TextOut(dc, 0, 0, text, length);
        scratch->ReleaseDC(dc);
    }
    platform::Rect dest{x, y, x + length * 6 * scale, y + 8 * scale};
    if (dest.right > ScreenWidth())
        dest.right = ScreenWidth();
    platform::Rect src{0, 0, (dest.right - x) / scale, 8};
    if (src.right > 0)
        gDisplay->back->Blt(&dest, scratch, &src, platform::DDBLT_KEYSRC | platform::DDBLT_WAIT,
                            nullptr);
    scratch->Release();
}

void Present() {
    gDisplay->primary->Flip(nullptr, platform::DDFLIP_WAIT);
}

int ScreenWidth() {
    return gPage ? static_cast<int>(gPage->screenWidth) : 640;
}

int ScreenHeight() {
    return gPage ? static_cast<int>(gPage->screenHeight) : 480;
}

void Release() {
    gDisplay = nullptr;
    gInput = nullptr;
    gPage = nullptr;
}

} // namespace demomenu
