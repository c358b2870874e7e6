// What the demo's menu plug-ins share: reading the keyboard and the first
// joystick into menu actions, and drawing the page picture, panels and
// enlarged text onto the back surface.
#pragma once

#include <cstdint>

struct DisplayHandles;
struct InputState;
struct PageRecord;
struct MenuPage;

namespace demomenu {

enum : uint32_t {
    kUp = 0x01,
    kDown = 0x02,
    kLeft = 0x04,
    kRight = 0x08,
    kGo = 0x10,   // Enter, Space, joystick button 0 or 1
    kBack = 0x20, // Escape, joystick button 2
};

void Bind(DisplayHandles* display, InputState* input, PageRecord* page);

// Reads the devices once and returns the actions newly pressed this read.
// Everything held when a screen opens counts as already held.
uint32_t ReadActions();
void ForgetHeld();

// Drawing on the back surface; `rgb` is 0xRRGGBB.
void DrawPicture(); // the page's first picture
void DrawPage(MenuPage* page);
void FillRect(int left, int top, int right, int bottom, uint32_t rgb);
// Text in the built-in 6 x 8 font, enlarged `scale` times.
void DrawText(int x, int y, const char* text, uint32_t rgb, int scale);
int TextWidth(const char* text, int scale);
void Present();
int ScreenWidth();
int ScreenHeight();
void Release();

} // namespace demomenu
