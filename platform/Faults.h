// Fault injection: VRASK_FAULTS=<operation>=<result>[@<nth call>],... makes a
// named platform operation fail with the chosen result, on every call or on
// the nth call only (counted from 1 for each operation).
#pragma once

#include "platform/Result.h"

namespace platform {

// Counts a call of `operation`; true when this call is to fail, with the
// chosen result in *result.
bool FaultHit(const char* operation, Result* result = nullptr);

// Replaces the fault table (same syntax as VRASK_FAULTS; null or "" clears it)
// and resets the call counts. For tests.
bool SetFaults(const char* spec);

} // namespace platform
