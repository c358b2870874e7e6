// The control block the runner shares with the menu plug-in.
#pragma once

#include <cstddef>
#include <cstdint>

struct MenuControl {
    uint32_t cleared;       // zeroed before every main-menu call; never read
    uint32_t callerContext; // 0 before page 3, 1 from a level or after the last page
    uint32_t jumpRequest;
    uint32_t quitRequest;
    uint16_t targetPage;
    uint32_t openAtExit;
    char documentToOpen[260];
    uint32_t musicOn;
    uint32_t secondOption;
    uint32_t musicVolume;   // low 16 bits go to the music players
    uint32_t effectsVolume; // low 16 bits are the global effects volume
    uint32_t musicPaused;
};

static_assert(offsetof(MenuControl, targetPage) == 16);
static_assert(offsetof(MenuControl, openAtExit) == 20);
static_assert(offsetof(MenuControl, documentToOpen) == 24);
static_assert(offsetof(MenuControl, musicOn) == 284);
static_assert(offsetof(MenuControl, musicPaused) == 300);
static_assert(sizeof(MenuControl) == 304);
