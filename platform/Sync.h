// Events and threads: auto- and manual-reset events, waits with time-outs on
// one or several events, and thread creation.
#pragma once

#include <cstdint>

namespace platform {

struct Event;
struct Thread;

constexpr uint32_t INFINITE = 0xFFFFFFFF;
constexpr uint32_t WAIT_OBJECT_0 = 0;
constexpr uint32_t WAIT_TIMEOUT = 258;
constexpr uint32_t WAIT_FAILED = 0xFFFFFFFF;

Event* CreateEvent(bool manualReset, bool initialState);
bool SetEvent(Event* event);
bool ResetEvent(Event* event);
void CloseEvent(Event* event);

// WAIT_OBJECT_0 when signalled, WAIT_TIMEOUT after `ms` (INFINITE waits for
// ever). An auto-reset event is reset by the wait it satisfies.
uint32_t WaitForSingleObject(Event* event, uint32_t ms);
// With waitAll false: WAIT_OBJECT_0 + index of the first signalled event.
uint32_t WaitForMultipleObjects(uint32_t count, Event* const* events, bool waitAll, uint32_t ms);

using ThreadProc = uint32_t (*)(void* arg);
Thread* CreateThread(ThreadProc proc, void* arg);
// WAIT_OBJECT_0 once the thread has ended, WAIT_TIMEOUT otherwise.
uint32_t WaitForThread(Thread* thread, uint32_t ms);
// Releases the handle; a running thread is detached.
void CloseThread(Thread* thread);

} // namespace platform
