// Level set-up with the brain host, the level main loop and tear-down.
#pragma once

#include "common/Level.h"

int LevelInit();
int LevelEngine();
void LevelTeardown();
