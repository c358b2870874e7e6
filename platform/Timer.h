// Multimedia timers: the timer's capabilities, periods of finer resolution,
// and timed events whose callback runs on the timer service's own thread.
// With VRASK_CLOCK=virtual, events fall due on virtual time, and the clock
// call that reaches the due time returns only once the callback has run.
#pragma once

#include "platform/MmSystem.h"

#include <cstdint>

namespace platform {

constexpr MMRESULT TIMERR_NOERROR = 0;
constexpr MMRESULT TIMERR_NOCANDO = 97;
constexpr MMRESULT TIMERR_STRUCT = 129;

constexpr uint32_t TIME_ONESHOT = 0x0;
constexpr uint32_t TIME_PERIODIC = 0x1;

struct TimeCaps {
    uint32_t periodMin; // milliseconds
    uint32_t periodMax;
};

using TimerCallback = void (*)(uint32_t id, uint32_t message, uintptr_t user, uintptr_t reserved1,
                               uintptr_t reserved2);

// TIMERR_STRUCT when `size` is not that of TimeCaps.
MMRESULT timeGetDevCaps(TimeCaps* caps, uint32_t size);
// TIMERR_NOCANDO for a period outside the capabilities, or when ending a
// period that was not begun.
MMRESULT timeBeginPeriod(uint32_t period);
MMRESULT timeEndPeriod(uint32_t period);
// The event's id, or 0 when the timer cannot be set (a delay of 0 or above
// the longest period, no callback). A one-shot event is gone once it fired.
uint32_t timeSetEvent(uint32_t delay, uint32_t resolution, TimerCallback callback, uintptr_t user,
                      uint32_t flags);
// Once this returns, the event's callback neither runs nor will run (unless
// called from that callback). MMSYSERR_INVALPARAM for an unknown id.
MMRESULT timeKillEvent(uint32_t id);

} // namespace platform
