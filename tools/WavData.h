// WAV files for tests and demo data: PCM or Microsoft ADPCM headers around
// given sample bytes, with every size overridable so damaged files can be
// crafted on purpose, and a reader for the PCM files the game writes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace gamedata {

struct WavChunk {
    std::string id; // four characters
    std::vector<uint8_t> data;
    std::optional<uint32_t> size; // the declared size, when not data.size()
};

struct WavDesc {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    std::optional<uint16_t> blockAlign; // channels * bits / 8 when unset
    std::optional<uint32_t> avgBytes;   // blockAlign * rate when unset
    bool extraSizeField = true;         // false: a 16-byte format record
    std::vector<uint8_t> formatExtra;   // after the extra-size field
    std::optional<uint32_t> formatSize; // the declared size of "fmt "
    std::vector<uint8_t> samples;
    std::optional<uint32_t> dataSize;   // the declared size of "data"
    std::optional<uint32_t> riffSize;   // the declared size of the form
    std::vector<WavChunk> beforeFormat; // e.g. a "LIST" chunk first
    std::vector<WavChunk> afterData;
};

std::vector<uint8_t> BuildWav(const WavDesc& desc);

// Little-endian bytes of 16-bit samples.
std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples);

// The extra format bytes of Microsoft ADPCM with the standard coefficient
// table, and the matching samples per block.
uint16_t AdpcmSamplesPerBlock(uint16_t channels, uint16_t blockAlign);
std::vector<uint8_t> AdpcmFormatExtra(uint16_t channels, uint16_t blockAlign);
// A description of an ADPCM file around ready-made blocks.
WavDesc AdpcmWav(uint16_t channels, uint32_t rate, uint16_t blockAlign,
                 const std::vector<uint8_t>& blocks);

struct WavInfo {
    uint16_t formatTag = 0, channels = 0, bits = 0, blockAlign = 0;
    uint32_t rate = 0;
    std::vector<uint8_t> data;
};
// Reads the format and the data chunk of a WAV file; false when it is not one.
bool ReadWav(const std::vector<uint8_t>& bytes, WavInfo* out);
bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out);

} // namespace gamedata
