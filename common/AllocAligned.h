// The zero-filling aligned allocator of the level code and the brains: a block
// of size + 32 bytes, of which the first 32-byte boundary is handed out. The
// owner keeps the block address (for free) beside the usable one. A caller
// that overwrites the whole block at once (a map read straight from its file)
// may skip the fill: on a large level it costs as much again as the read.
#pragma once

#include "ErrorInfo.h"
#include "platform/Faults.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

inline void* AllocAlignedFor(ErrorInfo* info, void** rawOut, size_t size, bool zero = true) {
    void* block = nullptr;
    if (!platform::FaultHit("HeapAlloc") && size <= SIZE_MAX - 32)
        block = std::malloc(size + 32);
    *rawOut = block;
    if (!block) {
        FillError(info, kErrorFatal, "VrasksUtils", "Korvid malloc routine",
                  "Unable to allocate memory!");
        return nullptr;
    }
    if (zero)
        std::memset(block, 0, size + 32);
    uintptr_t p = reinterpret_cast<uintptr_t>(block);
    return reinterpret_cast<void*>((p + 31) & ~uintptr_t(31));
}
