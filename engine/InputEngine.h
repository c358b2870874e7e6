// Input devices, the input state and the action bits.
#pragma once

#include <cstdint>

int InputInit();
int InputCleanup();
int HighScoresGetInput(uint32_t* bits);
