// The one random generator of the game and its plug-ins: the classic 15-bit
// linear congruential generator (0 to 32767), shared by every module of the
// process so that a seed set by the engine is the one the brains draw from.
// Seeded from TimeSeconds(), so runs on the virtual clock repeat exactly.
#pragma once

#include <cstdint>

namespace platform {

constexpr int32_t kRandMax = 32767;

void Srand(uint32_t seed);
int32_t Rand(); // 0 to kRandMax

} // namespace platform
