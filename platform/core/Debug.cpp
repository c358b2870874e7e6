#include "platform/Debug.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

struct DebugLog {
    std::mutex lock;
    FILE* out = nullptr;
};

DebugLog& Log() {
    static DebugLog* log = [] {
        auto* l = new DebugLog;
        const char* target = std::getenv("VRASK_DEBUG_LOG");
        if (target && std::strcmp(target, "-") == 0)
            l->out = stderr;
        else if (target && *target)
            l->out = std::fopen(target, "w");
        return l;
    }();
    return *log;
}

} // namespace

void OutputDebugString(const char* text) {
    DebugLog& log = Log();
    if (!log.out || !text)
        return;
    std::lock_guard<std::mutex> guard(log.lock);
    std::fputs(text, log.out);
    std::fflush(log.out);
}

void DebugPrintf(const char* format, ...) {
    char text[1024];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    OutputDebugString(text);
}

} // namespace platform
