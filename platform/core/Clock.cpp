#include "platform/Clock.h"
#include "platform/Platform.h"

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

int64_t RealMicros() {
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    return duration_cast<microseconds>(steady_clock::now() - start).count();
}

} // namespace

bool VirtualClock() {
    return GetSettings().virtualClock;
}

int64_t PerformanceCounter() {
    if (VirtualClock())
        return gVirtualNow.fetch_add(kVirtualQuantum) + kVirtualQuantum;
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
        gVirtualNow.fetch_add(int64_t(ms) * (kFrequency / 1000));
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

} // namespace platform
