// Debugger output: to the file named by VRASK_DEBUG_LOG ("-" for standard
// error), discarded otherwise.
#pragma once

namespace platform {

void OutputDebugString(const char* text);
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

} // namespace platform
