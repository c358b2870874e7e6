// Entry, one-time set-up, the game runner over the pages, shutdown, the game
// and level files and the user preferences.
#pragma once

#include "platform/Window.h"

#include <cstdint>

constexpr const char* kGameFileName = "TolwickDunmarrow.gam";
constexpr uint32_t kPrefsSize = 144;

int WinMain(void* instance, void* previousInstance, const char* commandLine, int showCommand);
intptr_t VraskWindowProc(platform::Window* window, uint32_t message, uintptr_t wParam,
                         intptr_t lParam);
int GameInit();
int RunGame();
void GameShutdown();

// Game file and level files.
int LoadGame(const char* fileName);
int LoadLevel(uint32_t pageIndex);

// User preferences, data\prefs.cfg.
int LoadUserPrefs();
int SaveUserPrefs();
void UserPrefsDefault(uint8_t* record);
void UserPrefsGather(uint8_t* record);
void UserPrefsApply(const uint8_t* record);
// True once LoadUserPrefs has filled the shared records this run.
bool UserPrefsLoaded();
