// The timer service: one thread for every timed event of the process.
#include "platform/Timer.h"
#include "platform/Clock.h"
#include "platform/core/ClockWatch.h"
#include "platform/core/Threads.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

constexpr uint32_t kPeriodMin = 1;
constexpr uint32_t kPeriodMax = 1000000;

struct Pending {
    int64_t due; // microseconds: virtual, or of the steady clock
    uint32_t delay;
    uint32_t flags;
    TimerCallback callback;
    uintptr_t user;
};

struct Service {
    std::mutex lock;
    std::condition_variable changed; // for the worker
    std::condition_variable served;  // for threads waiting on a callback
    std::map<uint32_t, Pending> pending;
    std::map<uint32_t, int> periods;
    uint32_t nextId = 1;
    uint32_t running = 0;    // the id whose callback runs now
    int64_t requested = 0;   // virtual time a clock call waits to see served
    int64_t servedUpTo = -1; // virtual time up to which every event fired
    bool started = false;
    std::thread::id worker;
};

// Never destroyed: the worker may outlive every static of the process.
Service& S() {
    static Service* s = new Service;
    return *s;
}

int64_t SteadyMicros() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t Now() {
    return VirtualClock() ? VirtualNow() : SteadyMicros();
}

void OnClockAlarm(int64_t now);

// Arms the clock's alarm for the earliest event (lock held).
void Rearm(Service& s) {
    if (!VirtualClock())
        return;
    int64_t due = INT64_MAX;
    for (const auto& [id, p] : s.pending)
        due = std::min(due, p.due);
    SetClockAlarm(due, OnClockAlarm);
}

void Run() {
    Service& s = S();
    std::unique_lock<std::mutex> lock(s.lock);
    for (;;) {
        int64_t now = Now();
        // Fire what is due, earliest first, without the lock held.
        for (;;) {
            auto next = s.pending.end();
            for (auto it = s.pending.begin(); it != s.pending.end(); ++it)
                if (it->second.due <= now &&
                    (next == s.pending.end() || it->second.due < next->second.due))
                    next = it;
            if (next == s.pending.end())
                break;
            uint32_t id = next->first;
            Pending p = next->second;
            if (p.flags & TIME_PERIODIC)
                next->second.due += int64_t(p.delay) * 1000;
            else
                s.pending.erase(next);
            s.running = id;
            lock.unlock();
            p.callback(id, 0, p.user, 0, 0);
            lock.lock();
            s.running = 0;
            s.served.notify_all();
        }
        s.servedUpTo = std::max(s.servedUpTo, now);
        Rearm(s);
        s.served.notify_all();
        if (VirtualClock()) {
            s.changed.wait(lock, [&] { return s.requested > s.servedUpTo; });
        } else {
            int64_t due = INT64_MAX;
            for (const auto& [id, p] : s.pending)
                due = std::min(due, p.due);
            if (due == INT64_MAX)
                s.changed.wait(lock);
            else
                s.changed.wait_for(lock,
                                   std::chrono::microseconds(std::max<int64_t>(due - Now(), 0)));
        }
    }
}

// A clock call reached an event's due time: wait until the worker has fired
// everything due by then.
void OnClockAlarm(int64_t now) {
    Service& s = S();
    if (std::this_thread::get_id() == s.worker)
        return;
    std::unique_lock<std::mutex> lock(s.lock);
    if (!s.started)
        return;
    s.requested = std::max(s.requested, now);
    s.changed.notify_all();
    s.served.wait(lock, [&] { return s.servedUpTo >= now; });
}

} // namespace

MMRESULT timeGetDevCaps(TimeCaps* caps, uint32_t size) {
    if (MMRESULT injected = InjectedMmResult("timeGetDevCaps"))
        return injected;
    if (!caps || size != sizeof(TimeCaps))
        return TIMERR_STRUCT;
    caps->periodMin = kPeriodMin;
    caps->periodMax = kPeriodMax;
    return TIMERR_NOERROR;
}

MMRESULT timeBeginPeriod(uint32_t period) {
    if (MMRESULT injected = InjectedMmResult("timeBeginPeriod"))
        return injected;
    if (period < kPeriodMin || period > kPeriodMax)
        return TIMERR_NOCANDO;
    Service& s = S();
    std::lock_guard<std::mutex> guard(s.lock);
    ++s.periods[period];
    return TIMERR_NOERROR;
}

MMRESULT timeEndPeriod(uint32_t period) {
    Service& s = S();
    std::lock_guard<std::mutex> guard(s.lock);
    auto it = s.periods.find(period);
    if (it == s.periods.end())
        return TIMERR_NOCANDO;
    if (--it->second == 0)
        s.periods.erase(it);
    return TIMERR_NOERROR;
}

uint32_t timeSetEvent(uint32_t delay, uint32_t, TimerCallback callback, uintptr_t user,
                      uint32_t flags) {
    if (InjectedMmResult("timeSetEvent"))
        return 0;
    if (!callback || delay < kPeriodMin || delay > kPeriodMax)
        return 0;
    Service& s = S();
    std::lock_guard<std::mutex> guard(s.lock);
    if (!s.started) {
        std::thread worker;
        if (!StartThread(&worker, Run))
            return 0;
        s.started = true;
        s.servedUpTo = Now();
        s.worker = worker.get_id();
        worker.detach();
    }
    uint32_t id = s.nextId++;
    if (s.nextId == 0)
        s.nextId = 1;
    s.pending[id] = Pending{Now() + int64_t(delay) * 1000, delay, flags, callback, user};
    Rearm(s);
    s.changed.notify_all();
    return id;
}

MMRESULT timeKillEvent(uint32_t id) {
    Service& s = S();
    std::unique_lock<std::mutex> lock(s.lock);
    bool known = s.pending.erase(id) > 0;
    if (s.running == id && std::this_thread::get_id() != s.worker) {
        s.served.wait(lock, [&] { return s.running != id; });
        known = true;
    }
    Rearm(s);
    return known ? MMSYSERR_NOERROR : MMSYSERR_INVALPARAM;
}

} // namespace platform
