#include "platform/Clock.h"
#include "platform/Platform.h"
#include "platform/core/ClockWatch.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>

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

int64_t RealMicros() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration_cast<microseconds>(steady_clock::now() - start).count();
}

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
