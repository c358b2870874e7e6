// Time. With VRASK_CLOCK=virtual every read of the counter advances virtual
// time by a fixed quantum, so paced loops run at full speed, deterministically.
#pragma once

#include <cstdint>

namespace platform {

int64_t PerformanceCounter();
int64_t PerformanceFrequency();
uint32_t TimeGetTime(); // milliseconds
void Sleep(uint32_t ms);
// Calendar seconds, as the random generator is seeded with; on the virtual
// clock a fixed start plus virtual time, so runs repeat exactly.
int64_t TimeSeconds();
bool VirtualClock();

} // namespace platform
