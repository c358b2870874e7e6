// The host of the menu plug-ins.
#pragma once

#include <cstdint>

int MainMenuInit();
int MenuInit(int32_t isMainMenu);
void MenuPageCleanup();
void MainMenuCleanup();
