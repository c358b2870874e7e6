// Reading RIFF files: forms and chunks found by identifier, bounded by their
// parent and by the file, with a position that reads and seeks move.
#pragma once

#include "platform/Result.h"

#include <cstdint>

namespace platform {

struct MmioFile;

struct ChunkInfo {
    uint32_t ckid;       // chunk identifier
    uint32_t cksize;     // size of the chunk's data
    uint32_t fccType;    // form type of a RIFF or LIST chunk
    uint32_t dataOffset; // file offset of the chunk's data
    uint32_t flags;
};

constexpr uint32_t MakeFourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}
constexpr uint32_t FOURCC_RIFF = MakeFourCC('R', 'I', 'F', 'F');
constexpr uint32_t FOURCC_LIST = MakeFourCC('L', 'I', 'S', 'T');

// Open flags (reading is all there is; buffering is always on).
constexpr uint32_t MMIO_READ = 0x0;
constexpr uint32_t MMIO_ALLOCBUF = 0x10000;
// Descend flags.
constexpr uint32_t MMIO_FINDCHUNK = 0x10;
constexpr uint32_t MMIO_FINDRIFF = 0x20;
constexpr uint32_t MMIO_FINDLIST = 0x40;

// Results of descend, ascend and close.
constexpr uint32_t MMIOERR_CANNOTOPEN = 257;
constexpr uint32_t MMIOERR_CANNOTCLOSE = 260;
constexpr uint32_t MMIOERR_CANNOTREAD = 261;
constexpr uint32_t MMIOERR_CANNOTSEEK = 263;
constexpr uint32_t MMIOERR_CHUNKNOTFOUND = 265;

constexpr int SEEK_FROM_START = 0;
constexpr int SEEK_FROM_CURRENT = 1;
constexpr int SEEK_FROM_END = 2;

// Null when the file cannot be opened (result in *result).
MmioFile* mmioOpen(const char* name, uint32_t flags, Result* result = nullptr);
// Finds a chunk from the current position: the RIFF form of ck->fccType
// (MMIO_FINDRIFF), the LIST of ck->fccType (MMIO_FINDLIST), the chunk
// ck->ckid (MMIO_FINDCHUNK) or the next chunk; inside `parent` when given.
// A chunk whose data runs past its parent or the file is not found. Leaves
// the position at the chunk's data (after the form type of RIFF and LIST).
uint32_t mmioDescend(MmioFile* file, ChunkInfo* ck, const ChunkInfo* parent, uint32_t flags);
// Moves to the start of the chunk after `ck`.
uint32_t mmioAscend(MmioFile* file, ChunkInfo* ck, uint32_t flags);
// Bytes read (fewer at the end of the file), or -1 on error.
int32_t mmioRead(MmioFile* file, void* buffer, int32_t bytes);
// The new position, or -1.
int32_t mmioSeek(MmioFile* file, int32_t offset, int origin);
uint32_t mmioClose(MmioFile* file, uint32_t flags);

} // namespace platform
