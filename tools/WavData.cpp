#include "tools/WavData.h"

#include "common/ByteIO.h"

#include <fstream>
#include <iterator>

namespace gamedata {
namespace {

void PutId(ByteWriter& out, const std::string& id) {
    for (size_t i = 0; i < 4; ++i)
        out.U8(i < id.size() ? uint8_t(id[i]) : uint8_t(' '));
}

void PutChunk(ByteWriter& out, const std::string& id, const std::vector<uint8_t>& data,
              std::optional<uint32_t> size) {
    PutId(out, id);
    out.U32(size ? *size : uint32_t(data.size()));
    out.Bytes(data.data(), data.size());
    if (data.size() & 1)
        out.U8(0);
}

constexpr int16_t kCoef1[7] = {256, 512, 0, 192, 240, 460, 392};
constexpr int16_t kCoef2[7] = {0, -256, 0, 64, 0, -208, -232};

} // namespace

std::vector<uint8_t> BuildWav(const WavDesc& d) {
    uint16_t align = d.blockAlign ? *d.blockAlign : uint16_t(d.channels * d.bits / 8);
    ByteWriter fmt;
    fmt.U16(d.formatTag).U16(d.channels).U32(d.rate);
    fmt.U32(d.avgBytes ? *d.avgBytes : uint32_t(align) * d.rate);
    fmt.U16(align).U16(d.bits);
    if (d.extraSizeField) {
        fmt.U16(uint16_t(d.formatExtra.size()));
        fmt.Bytes(d.formatExtra.data(), d.formatExtra.size());
    }
    ByteWriter body;
    PutId(body, "WAVE");
    for (const WavChunk& c : d.beforeFormat)
        PutChunk(body, c.id, c.data, c.size);
    PutChunk(body, "fmt ", fmt.Data(), d.formatSize);
    PutChunk(body, "data", d.samples, d.dataSize);
    for (const WavChunk& c : d.afterData)
        PutChunk(body, c.id, c.data, c.size);
    ByteWriter out;
    PutId(out, "RIFF");
    out.U32(d.riffSize ? *d.riffSize : uint32_t(body.Data().size()));
    out.Bytes(body.Data().data(), body.Data().size());
    return out.Data();
}

std::vector<uint8_t> Pcm16(const std::vector<int16_t>& samples) {
    ByteWriter out;
    for (int16_t s : samples)
        out.U16(uint16_t(s));
    return out.Data();
}

uint16_t AdpcmSamplesPerBlock(uint16_t channels, uint16_t blockAlign) {
    return uint16_t((blockAlign - 7 * channels) * 2 / channels + 2);
}

std::vector<uint8_t> AdpcmFormatExtra(uint16_t channels, uint16_t blockAlign) {
    ByteWriter out;
    out.U16(AdpcmSamplesPerBlock(channels, blockAlign)).U16(7);
    for (int i = 0; i < 7; ++i)
        out.U16(uint16_t(kCoef1[i])).U16(uint16_t(kCoef2[i]));
    return out.Data();
}

WavDesc AdpcmWav(uint16_t channels, uint32_t rate, uint16_t blockAlign,
                 const std::vector<uint8_t>& blocks) {
    WavDesc d;
    d.formatTag = 2;
    d.channels = channels;
    d.rate = rate;
    d.bits = 4;
    d.blockAlign = blockAlign;
    d.avgBytes = uint32_t(uint64_t(rate) * blockAlign / AdpcmSamplesPerBlock(channels, blockAlign));
    d.formatExtra = AdpcmFormatExtra(channels, blockAlign);
    d.samples = blocks;
    return d;
}

bool ReadWav(const std::vector<uint8_t>& bytes, WavInfo* out) {
    ByteReader r(bytes.data(), bytes.size());
    if (r.U32() != 0x46464952 /* RIFF */)
        return false;
    r.U32();
    if (r.U32() != 0x45564157 /* WAVE */)
        return false;
    bool haveFormat = false;
    while (r.Remaining() >= 8) {
        uint32_t id = r.U32();
        uint32_t size = r.U32();
        size_t start = r.Offset();
        if (id == 0x20746d66 /* fmt  */) {
            out->formatTag = r.U16();
            out->channels = r.U16();
            out->rate = r.U32();
            r.U32();
            out->blockAlign = r.U16();
            out->bits = r.U16();
            haveFormat = true;
        } else if (id == 0x61746164 /* data */) {
            size_t take = size < r.Remaining() ? size : r.Remaining();
            out->data.assign(bytes.begin() + long(start), bytes.begin() + long(start + take));
            return haveFormat;
        }
        r = ByteReader(bytes.data(), bytes.size());
        r.Skip(start + size + (size & 1));
    }
    return false;
}

bool ReadFileBytes(const std::string& path, std::vector<uint8_t>* out) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    out->assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

} // namespace gamedata
