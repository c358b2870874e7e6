// The high-score screen.
#pragma once

#include <cstdint>

int HighScores(uint32_t score);
