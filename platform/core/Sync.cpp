#include "platform/Sync.h"
#include "platform/core/Threads.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace platform {

namespace {
// One lock and one condition for every event keeps waits on several events
// simple and free of lost wake-ups; the game has only a handful of them.
std::mutex gLock;
std::condition_variable gChanged;
} // namespace

struct Event {
    bool manualReset;
    bool signalled;
};

struct Thread {
    std::thread thread;
    bool done = false;
};

Event* CreateEvent(bool manualReset, bool initialState) {
    return new Event{manualReset, initialState};
}

bool SetEvent(Event* event) {
    if (!event)
        return false;
    {
        std::lock_guard<std::mutex> guard(gLock);
        event->signalled = true;
    }
    gChanged.notify_all();
    return true;
}

bool ResetEvent(Event* event) {
    if (!event)
        return false;
    std::lock_guard<std::mutex> guard(gLock);
    event->signalled = false;
    return true;
}

void CloseEvent(Event* event) {
    delete event;
}

namespace {

template <class Ready>
bool WaitUntil(std::unique_lock<std::mutex>& lock, uint32_t ms, Ready ready) {
    if (ms == INFINITE) {
        gChanged.wait(lock, ready);
        return true;
    }
    return gChanged.wait_for(lock, std::chrono::milliseconds(ms), ready);
}

} // namespace

uint32_t WaitForSingleObject(Event* event, uint32_t ms) {
    return WaitForMultipleObjects(1, &event, false, ms);
}

uint32_t WaitForMultipleObjects(uint32_t count, Event* const* events, bool waitAll, uint32_t ms) {
    if (count == 0 || !events)
        return WAIT_FAILED;
    for (uint32_t i = 0; i < count; ++i)
        if (!events[i])
            return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(gLock);
    uint32_t first = count;
    auto ready = [&] {
        first = count;
        bool all = true;
        for (uint32_t i = 0; i < count; ++i) {
            if (events[i]->signalled) {
                if (first == count)
                    first = i;
            } else {
                all = false;
            }
        }
        return waitAll ? all : first < count;
    };
    if (!WaitUntil(lock, ms, ready))
        return WAIT_TIMEOUT;
    if (waitAll) {
        for (uint32_t i = 0; i < count; ++i)
            if (!events[i]->manualReset)
                events[i]->signalled = false;
        return WAIT_OBJECT_0;
    }
    if (!events[first]->manualReset)
        events[first]->signalled = false;
    return WAIT_OBJECT_0 + first;
}

Thread* CreateThread(ThreadProc proc, void* arg) {
    if (!proc)
        return nullptr;
    auto* t = new Thread;
    bool started = StartThread(&t->thread, [t, proc, arg] {
        proc(arg);
        {
            std::lock_guard<std::mutex> guard(gLock);
            t->done = true;
        }
        gChanged.notify_all();
    });
    if (!started) {
        delete t;
        return nullptr;
    }
    return t;
}

uint32_t WaitForThread(Thread* thread, uint32_t ms) {
    if (!thread)
        return WAIT_FAILED;
    std::unique_lock<std::mutex> lock(gLock);
    if (!WaitUntil(lock, ms, [thread] { return thread->done; }))
        return WAIT_TIMEOUT;
    return WAIT_OBJECT_0;
}

void CloseThread(Thread* thread) {
    if (!thread)
        return;
    bool done;
    {
        std::lock_guard<std::mutex> guard(gLock);
        done = thread->done;
    }
    if (done) {
        thread->thread.join();
        delete thread;
    } else {
        // Still running: it owns its record from here on.
        thread->thread.detach();
    }
}

} // namespace platform
