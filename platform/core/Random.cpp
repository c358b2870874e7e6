#include "platform/Random.h"

#include <atomic>

namespace platform {
namespace {
std::atomic<uint32_t> gHold{1};
} // namespace

void Srand(uint32_t seed) {
    gHold.store(seed, std::memory_order_relaxed);
}

int32_t Rand() {
    uint32_t next = gHold.load(std::memory_order_relaxed) * 214013u + 2531011u;
    gHold.store(next, std::memory_order_relaxed);
    return int32_t((next >> 16) & 0x7fff);
}

} // namespace platform
