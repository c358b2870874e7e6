// Lets the timer service follow the virtual clock. Internal to platform/.
#pragma once

#include <cstdint>

namespace platform {

// Virtual time in microseconds, without moving it on.
int64_t VirtualNow();

// Once virtual time reaches `due`, the thread that moved it calls `handler`
// with the new time before its clock call returns; INT64_MAX disarms. One
// alarm for the process.
using ClockAlarm = void (*)(int64_t now);
void SetClockAlarm(int64_t due, ClockAlarm handler);

// Called with the new time by every thread that moves virtual time on, after
// any alarm; null for none. The sound output of the virtual clock renders
// what fell due here. One listener for the process.
using ClockListener = void (*)(int64_t now);
void SetClockListener(ClockListener listener);

} // namespace platform
