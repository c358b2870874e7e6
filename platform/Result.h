// Results of platform operations. Success is 0; each failure is a distinct
// value so that callers keep their retry, restore and report paths.
#pragma once

#include <cstdint>

namespace platform {

using Result = int32_t;

constexpr Result kOk = 0;
// A success that is not plain: a movie stream has no more samples.
constexpr Result kEndOfStream = 1;
constexpr Result kFail = -1;     // generic failure
constexpr Result kNotFound = -2; // the file or object does not exist
constexpr Result kAccessDenied = -3;
constexpr Result kSharingViolation = -4;
constexpr Result kOutOfMemory = -5;
constexpr Result kDiskFull = -6;
constexpr Result kInvalidParam = -7;
constexpr Result kUnsupported = -8; // the operation is not available on this backend
constexpr Result kBadFormat = -9;
constexpr Result kSurfaceLost = -20;
constexpr Result kWasStillDrawing = -21;
constexpr Result kInputLost = -22;
constexpr Result kNotAcquired = -23;
constexpr Result kOtherAppHasPrio = -24; // the window is in the background
constexpr Result kBufferLost = -25;
constexpr Result kAllocated = -26; // the device is in use elsewhere
constexpr Result kNoDriver = -27;
constexpr Result kUnsupportedMode = -28;
constexpr Result kAcquired = -40;  // not while the device is acquired
constexpr Result kUnplugged = -41; // the device was detached
// Sound device and buffers.
constexpr Result kNoAggregation = -60;
constexpr Result kUninitialized = -61;
constexpr Result kInvalidCall = -62;     // not allowed in the object's state
constexpr Result kPrioLevelNeeded = -63; // needs the priority cooperative level

// The name used for a result in VRASK_FAULTS and in logs ("not_found", ...).
const char* ResultName(Result r);
// Parses a result name or a number (decimal or 0x hex); false when unknown.
bool ParseResult(const char* text, Result* out);

} // namespace platform
