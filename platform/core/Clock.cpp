#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/core/ClockWatch.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

#if defined(__linux__)
#include <sys/prctl.h>
#endif

namespace platform {
namespace {

constexpr int64_t kFrequency = 1000000; // microseconds
// Each read of the virtual counter moves time on by this much.
constexpr int64_t kVirtualQuantum = 50;

std::atomic<int64_t> gVirtualNow{0};
std::atomic<int64_t> gAlarmDue{INT64_MAX};
std::atomic<ClockAlarm> gAlarm{nullptr};
std::atomic<ClockListener> gListener{nullptr};

// Virtual time moved on to `now`: a timer that fell due must have fired
// before the clock call returns, or runs would not repeat.
int64_t Moved(int64_t now) {
    if (now >= gAlarmDue.load(std::memory_order_acquire)) {
        ClockAlarm alarm = gAlarm.load();
        if (alarm)
            alarm(now);
    }
    if (ClockListener listener = gListener.load(std::memory_order_acquire))
        listener(now);
    return now;
}

std::chrono::steady_clock::time_point RealStart() {
    static const auto start = std::chrono::steady_clock::now();
    return start;
}

int64_t RealMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now() - RealStart()).count();
}

// How early SleepUntilCounter wakes: the rest is spun. On an idle machine a
// sleep here ends 40 to 90 us late at the median; a loaded one (two cores,
// load 20 and more) wakes 1 ms late one time in ten, which no margin that
// leaves the core mostly idle can cover.
constexpr int64_t kSpinMicros = 500;

} // namespace

int64_t VirtualNow() {
    return gVirtualNow.load();
}

void SetClockAlarm(int64_t due, ClockAlarm handler) {
    gAlarm.store(handler);
    gAlarmDue.store(due, std::memory_order_release);
}

void SetClockListener(ClockListener listener) {
    gListener.store(listener, std::memory_order_release);
}

bool VirtualClock() {
    return GetSettings().virtualClock;
}

int64_t PerformanceCounter() {
    if (VirtualClock())
        return Moved(gVirtualNow.fetch_add(kVirtualQuantum) + kVirtualQuantum);
    return RealMicros();
}

int64_t PerformanceFrequency() {
    return kFrequency;
}

uint32_t TimeGetTime() {
    return static_cast<uint32_t>(PerformanceCounter() / (kFrequency / 1000));
}

int64_t TimeSeconds() {
    if (VirtualClock())
        return 1000000000 + gVirtualNow.load() / kFrequency;
    return static_cast<int64_t>(std::time(nullptr));
}

void SleepUntilCounter(int64_t due) {
    if (VirtualClock())
        return;
#if defined(__linux__)
    // The default 50 us of timer slack would come on top of every wake-up.
    static thread_local bool slack = prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL) == 0;
    (void)slack;
#endif
    int64_t wake = due - kSpinMicros;
    if (wake <= RealMicros())
        return;
    std::this_thread::sleep_until(RealStart() + std::chrono::microseconds(wake));
}

void Sleep(uint32_t ms) {
    if (VirtualClock()) {
        int64_t step = int64_t(ms) * (kFrequency / 1000);
        Moved(gVirtualNow.fetch_add(step) + step);
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
