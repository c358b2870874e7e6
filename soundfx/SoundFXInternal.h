// State and routines shared by the units of the sound-effects library.
#pragma once

#include "common/ErrorInfo.h"
#include "platform/Acm.h"
#include "platform/Riff.h"
#include "platform/Sound.h"

#include <atomic>
#include <cstdint>

namespace sonork {

// Set up by SoundFXInit (SoundFX unit).
extern ErrorInfo* gErrorRecord;
extern platform::SoundDevice* gDevice;
extern uint16_t gMixChannels;
extern uint16_t gMixRate;
extern uint16_t gMixBits;

// The name lists hold names in fields of this size, terminator included.
constexpr size_t kMaxFileName = 260;

// Fills the record with code 2 for a unit and a routine.
void Fail(const char* unit, const char* location, const char* message);
void Fail2(const char* unit, const char* location, const char* prefix, const char* name);

// The chunks of a WAV file open for reading, found in turn. A step that fails
// closes the file, fills the record under the unit and routine, and gives 0.
struct WavChunks {
    platform::MmioFile* file;
    const char* unit;
    const char* location;
    platform::ChunkInfo riff{}, format{}, data{};

    int Fail(const char* message);
    // The WAVE form and its fmt chunk, left at the start of the fmt chunk.
    int FindFormat();
    // Out of the fmt chunk and into the data chunk.
    int FindData();
};

// The stream file reader (WavFile unit, reported as "WavPlayback").
extern uint32_t gMaxFormatSize;
extern uint8_t* gSourceFormat;
extern uint8_t* gTargetFormat;
extern int32_t gIsAdpcm;
extern uint32_t gSourceChunkSize;
extern uint32_t gTargetChunkSize;
extern platform::MmioFile* gStreamFile;
extern uint32_t gDataConsumed;
extern platform::ChunkInfo gDataChunk;

int wavFileOpen(const char* fileName);
int wavConversionInit();
int wavFileRead(uint32_t length, uint8_t* target, uint32_t* got);
int wavFileReset();
int wavFileClose();
int wavConversionCleanup();
// The reason text of an ACM result for one of the calls.
const char* AcmReason(const char* call, platform::MMRESULT result);

// For tests: the service thread waits this long before it carries out a play
// or stop command, as a thread stuck elsewhere would.
extern std::atomic<uint32_t> gServiceStallMs;
// For tests: a refill held up this long (real time) after its lock, and how
// long the game waits for the service thread's answers (4000 ms).
extern std::atomic<uint32_t> gRefillStallMs;
extern std::atomic<uint32_t> gAnswerMs;
// For tests: the stream buffer, null when no stream exists.
platform::SoundBuffer* StreamBuffer();

} // namespace sonork
