#include "platform/Result.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

struct NamedResult {
    const char* name;
    Result value;
};

constexpr NamedResult kResults[] = {
    {"ok", kOk},
    {"fail", kFail},
    {"not_found", kNotFound},
    {"access_denied", kAccessDenied},
    {"sharing", kSharingViolation},
    {"out_of_memory", kOutOfMemory},
    {"disk_full", kDiskFull},
    {"invalid_param", kInvalidParam},
    {"unsupported", kUnsupported},
    {"bad_format", kBadFormat},
    {"surface_lost", kSurfaceLost},
    {"still_drawing", kWasStillDrawing},
    {"input_lost", kInputLost},
    {"not_acquired", kNotAcquired},
    {"background", kOtherAppHasPrio},
    {"buffer_lost", kBufferLost},
    {"allocated", kAllocated},
    {"no_driver", kNoDriver},
    {"unsupported_mode", kUnsupportedMode},
    {"acquired", kAcquired},
    {"unplugged", kUnplugged},
    {"no_aggregation", kNoAggregation},
    {"uninitialized", kUninitialized},
    {"invalid_call", kInvalidCall},
    {"prio_level_needed", kPrioLevelNeeded},
    {"end_of_stream", kEndOfStream},
};

} // namespace

const char* ResultName(Result r) {
    for (const auto& entry : kResults)
        if (entry.value == r)
            return entry.name;
    return "unknown";
}

bool ParseResult(const char* text, Result* out) {
    if (!text || !*text)
        return false;
    for (const auto& entry : kResults) {
        if (std::strcmp(entry.name, text) == 0) {
            *out = entry.value;
            return true;
        }
    }
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text, &end, 0);
    if (errno || !end || *end || v < INT32_MIN || v > UINT32_MAX)
        return false;
    *out = static_cast<Result>(static_cast<uint32_t>(v));
    return true;
}

} // namespace platform
