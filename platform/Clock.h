// Time. With VRASK_CLOCK=virtual every read of the counter advances virtual
// time by a fixed quantum, so paced loops run at full speed, deterministically.
#pragma once

#include <cstdint>

namespace platform {

int64_t PerformanceCounter();
int64_t PerformanceFrequency();
uint32_t TimeGetTime(); // milliseconds
void Sleep(uint32_t ms);
// Sleeps on the real clock until shortly before PerformanceCounter() reaches
// `due`, so that a caller reading the counter from then on sees it on time
// without spinning through the whole wait. Returns at once on the virtual
// clock (whose reads move it on, so callers keep reading it exactly as
// before) and when `due` is that close already.
void SleepUntilCounter(int64_t due);
// Calendar seconds, as the random generator is seeded with; on the virtual
// clock a fixed start plus virtual time, so runs repeat exactly.
int64_t TimeSeconds();
bool VirtualClock();

} // namespace platform
