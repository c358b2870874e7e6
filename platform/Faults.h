// Fault injection: VRASK_FAULTS=<operation>=<result>[@<nth call>],... makes a
// named platform operation fail with the chosen result, on every call or on
// the nth call only (counted from 1 for each operation).
#pragma once

#include "platform/Result.h"

#include <atomic>

namespace platform {

namespace faults {
// kUnread until the table is first read from VRASK_FAULTS, then kNone or
// kSome: with no faults (every real run) a call costs one load.
enum State { kUnread, kNone, kSome };
extern std::atomic<int> gState;
bool Hit(const char* operation, Result* result);
} // namespace faults

// Counts a call of `operation`; true when this call is to fail, with the
// chosen result in *result.
inline bool FaultHit(const char* operation, Result* result = nullptr) {
    return faults::gState.load(std::memory_order_acquire) != faults::kNone &&
           faults::Hit(operation, result);
}

// Replaces the fault table (same syntax as VRASK_FAULTS; null or "" clears it)
// and resets the call counts. For tests.
bool SetFaults(const char* spec);

} // namespace platform
