// Audio compression: Microsoft ADPCM decoded to 16-bit PCM through the
// stream calls the game uses (metrics, open, size, prepare, convert, close).
#pragma once

#include "platform/MmSystem.h"

#include <cstdint>

namespace platform {

constexpr MMRESULT ACMERR_NOTPOSSIBLE = 512;
constexpr MMRESULT ACMERR_BUSY = 513;
constexpr MMRESULT ACMERR_UNPREPARED = 514;

constexpr uint32_t ACM_METRIC_MAX_SIZE_FORMAT = 50;
constexpr uint32_t ACM_STREAMSIZEF_SOURCE = 0x0;
constexpr uint32_t ACM_STREAMSIZEF_DESTINATION = 0x1;
constexpr uint32_t ACM_STREAMCONVERTF_BLOCKALIGN = 0x4;
constexpr uint32_t ACMSTREAMHEADER_STATUSF_DONE = 0x10000;
constexpr uint32_t ACMSTREAMHEADER_STATUSF_PREPARED = 0x20000;

struct AcmStream;

struct AcmStreamHeader {
    uint32_t cbStruct; // sizeof(AcmStreamHeader)
    uint32_t fdwStatus;
    uintptr_t dwUser;
    uint8_t* pbSrc;
    uint32_t cbSrcLength;
    uint32_t cbSrcLengthUsed;
    uintptr_t dwSrcUser;
    uint8_t* pbDst;
    uint32_t cbDstLength;
    uint32_t cbDstLengthUsed;
    uintptr_t dwDstUser;
    uint32_t reserved[10];
};

// Only ACM_METRIC_MAX_SIZE_FORMAT: the largest format record, in bytes.
MMRESULT acmMetrics(void* object, uint32_t metric, uint32_t* value);
// Formats are wave format records as stored in a file's format chunk, each in
// a block of the given size (fields past the record read as zeros). The only
// conversion is Microsoft ADPCM to 16-bit PCM of the same channels and rate.
MMRESULT acmStreamOpen(AcmStream** out, const void* source, uint32_t sourceBytes,
                       const void* target, uint32_t targetBytes, uint32_t flags);
MMRESULT acmStreamSize(AcmStream* stream, uint32_t input, uint32_t* output, uint32_t flags);
MMRESULT acmStreamPrepareHeader(AcmStream* stream, AcmStreamHeader* header, uint32_t flags);
// Converts whole source blocks; cbSrcLengthUsed and cbDstLengthUsed tell how
// much was taken and produced.
MMRESULT acmStreamConvert(AcmStream* stream, AcmStreamHeader* header, uint32_t flags);
MMRESULT acmStreamUnprepareHeader(AcmStream* stream, AcmStreamHeader* header, uint32_t flags);
MMRESULT acmStreamClose(AcmStream* stream, uint32_t flags);

} // namespace platform
