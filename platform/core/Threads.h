// Starting a thread where the system may have none to give: std::thread
// throws then, and an exception must never leave the platform layer. The
// operation is "CreateThread" for fault injection.
#pragma once

#include "platform/Faults.h"

#include <system_error>
#include <thread>
#include <utility>

namespace platform {

template <class Body> bool StartThread(std::thread* out, Body&& body) {
    if (FaultHit("CreateThread"))
        return false;
    try {
        *out = std::thread(std::forward<Body>(body));
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

} // namespace platform
