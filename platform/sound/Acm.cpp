// Microsoft ADPCM to 16-bit PCM. The prediction uses an arithmetic shift,
// (sample1 * coef1 + sample2 * coef2) >> 8, as the original decoder did; a
// division would round negative values the other way.
#include "platform/Acm.h"
#include "common/ByteIO.h"
#include "platform/Faults.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <vector>

namespace platform {

struct AcmStream {
    uint16_t channels;
    uint32_t rate;
    uint16_t blockAlign;
    uint16_t samplesPerBlock;
    std::vector<int16_t> coef1, coef2;
    int prepared = 0;
};

namespace {

constexpr int kAdaptation[16] = {230, 230, 230, 230, 307, 409, 512, 614,
                                 768, 614, 512, 409, 307, 230, 230, 230};

uint32_t OutputBlockBytes(const AcmStream* s) {
    return uint32_t(s->samplesPerBlock) * s->channels * 2;
}

// One channel's decoder state between nibbles.
struct Channel {
    int32_t coef1, coef2;
    int32_t delta, sample1, sample2;
};

// The next sample of a channel from its 4-bit code. 64-bit sums only keep
// hostile tables and deltas from overflowing; real data never comes near.
inline int16_t Step(Channel& c, int code) {
    int32_t prediction =
        int32_t((int64_t(c.sample1) * c.coef1 + int64_t(c.sample2) * c.coef2) >> 8);
    int32_t signedCode = code - ((code & 8) << 1);
    int32_t value = prediction + signedCode * c.delta;
    // Rarely out of range: a branch the processor predicts keeps the clamp
    // off the chain from one sample to the next.
    if (uint32_t(value + 32768) > 65535u) [[unlikely]]
        value = value < 0 ? -32768 : 32767;
    int64_t delta = (int64_t(kAdaptation[code]) * c.delta) >> 8;
    delta = delta > (1 << 24) ? (1 << 24) : delta;
    c.delta = delta < 16 ? 16 : int32_t(delta);
    c.sample2 = c.sample1;
    c.sample1 = value;
    return int16_t(value);
}

inline void Put(uint8_t* out, int16_t sample) {
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &sample, 2);
    } else {
        out[0] = uint8_t(uint16_t(sample));
        out[1] = uint8_t(uint16_t(sample) >> 8);
    }
}

// A block's header: its channels' predictors, deltas and first two samples,
// which are also its first output. False when a predictor is not in the
// format's table.
bool Header(const AcmStream* s, const uint8_t* in, Channel* c, uint8_t** out) {
    const int ch = s->channels;
    for (int i = 0; i < ch; ++i) {
        int predictor = in[i];
        if (predictor >= int(s->coef1.size()))
            return false;
        c[i].coef1 = s->coef1[predictor];
        c[i].coef2 = s->coef2[predictor];
    }
    auto s16 = [](const uint8_t* p) { return int32_t(int16_t(uint16_t(p[0] | (p[1] << 8)))); };
    for (int i = 0; i < ch; ++i) {
        c[i].delta = s16(in + ch + 2 * i);
        c[i].sample1 = s16(in + 3 * ch + 2 * i);
        c[i].sample2 = s16(in + 5 * ch + 2 * i);
    }
    for (int i = 0; i < ch; ++i, *out += 2)
        Put(*out, int16_t(c[i].sample2));
    for (int i = 0; i < ch; ++i, *out += 2)
        Put(*out, int16_t(c[i].sample1));
    return true;
}

// A block's nibbles, high one first. In stereo a byte holds one sample of
// each channel: two chains the processor runs side by side. (Decoding two
// blocks at once gave four chains but more state than registers: slower.)
template <int Channels>
void Nibbles(const uint8_t* in, uint8_t* out, Channel* state, uint32_t count) {
    Channel left = state[0], right = state[Channels - 1];
    uint32_t pairs = count / 2;
    for (uint32_t i = 0; i < pairs; ++i, out += 4) {
        int byte = in[i];
        Put(out, Step(left, byte >> 4));
        Put(out + 2, Step(Channels == 2 ? right : left, byte & 0xF));
    }
    if (count & 1)
        Put(out, Step(left, in[pairs] >> 4));
}

// Decodes `blocks` blocks into little-endian PCM; returns how many were
// decoded before one with a bad header.
uint32_t DecodeBlocks(const AcmStream* s, const uint8_t* in, uint8_t* out, uint32_t blocks) {
    const int ch = s->channels;
    const uint32_t count = uint32_t(s->samplesPerBlock - 2) * uint32_t(ch);
    const size_t outBytes = size_t(s->samplesPerBlock) * size_t(ch) * 2;
    for (uint32_t b = 0; b < blocks; ++b) {
        const uint8_t* from = in + size_t(b) * s->blockAlign;
        uint8_t* to = out + b * outBytes;
        Channel c[2];
        if (!Header(s, from, c, &to))
            return b;
        if (ch == 2)
            Nibbles<2>(from + 14, to, c, count);
        else
            Nibbles<1>(from + 7, to, c, count);
    }
    return blocks;
}

} // namespace

MMRESULT acmMetrics(void*, uint32_t metric, uint32_t* value) {
    if (MMRESULT r = InjectedMmResult("acmMetrics"))
        return r;
    if (!value)
        return MMSYSERR_INVALPARAM;
    if (metric != ACM_METRIC_MAX_SIZE_FORMAT)
        return MMSYSERR_NOTSUPPORTED;
    // Room for an ADPCM format with a generous coefficient table.
    *value = 256;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamOpen(AcmStream** out, const void* source, uint32_t sourceBytes,
                       const void* target, uint32_t targetBytes, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamOpen"))
        return r;
    if (!out || !source || !target)
        return MMSYSERR_INVALPARAM;
    *out = nullptr;
    if (flags)
        return MMSYSERR_INVALFLAG;
    ByteReader src(static_cast<const uint8_t*>(source), sourceBytes);
    uint16_t tag = src.U16();
    uint16_t channels = src.U16();
    uint32_t rate = src.U32();
    src.U32();
    uint16_t blockAlign = src.U16();
    src.U16();
    uint16_t extra = src.U16();
    uint16_t samplesPerBlock = src.U16();
    uint16_t coefCount = src.U16();
    ByteReader dst(static_cast<const uint8_t*>(target), targetBytes);
    uint16_t dstTag = dst.U16();
    uint16_t dstChannels = dst.U16();
    uint32_t dstRate = dst.U32();
    dst.U32();
    uint16_t dstAlign = dst.U16();
    uint16_t dstBits = dst.U16();
    if (src.Overrun() || dst.Overrun())
        return MMSYSERR_INVALPARAM;
    if (tag != 2 || (channels != 1 && channels != 2) || dstTag != 1 || dstBits != 16 ||
        dstChannels != channels || dstRate != rate || dstAlign != 2 * channels)
        return ACMERR_NOTPOSSIBLE;
    // The block, its header and its coefficient table must agree.
    uint32_t headerBytes = 7u * channels;
    if (blockAlign <= headerBytes || coefCount == 0 || extra < 4u + 4u * coefCount ||
        18u + extra > sourceBytes)
        return ACMERR_NOTPOSSIBLE;
    uint32_t most = (blockAlign - headerBytes) * 2 / channels + 2;
    if (samplesPerBlock < 2 || samplesPerBlock > most)
        return ACMERR_NOTPOSSIBLE;
    auto* stream = new (std::nothrow) AcmStream;
    if (!stream)
        return MMSYSERR_NOMEM;
    stream->channels = channels;
    stream->rate = rate;
    stream->blockAlign = blockAlign;
    stream->samplesPerBlock = samplesPerBlock;
    for (uint16_t i = 0; i < coefCount; ++i) {
        stream->coef1.push_back(src.S16());
        stream->coef2.push_back(src.S16());
    }
    *out = stream;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamSize(AcmStream* stream, uint32_t input, uint32_t* output, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamSize"))
        return r;
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (!output)
        return MMSYSERR_INVALPARAM;
    if (flags == ACM_STREAMSIZEF_SOURCE) {
        uint64_t bytes = uint64_t(input / stream->blockAlign) * OutputBlockBytes(stream);
        if (bytes == 0 || bytes > UINT32_MAX)
            return ACMERR_NOTPOSSIBLE;
        *output = uint32_t(bytes);
    } else if (flags == ACM_STREAMSIZEF_DESTINATION) {
        uint32_t per = OutputBlockBytes(stream);
        uint64_t bytes = uint64_t((input + per - 1) / per) * stream->blockAlign;
        if (bytes == 0 || bytes > UINT32_MAX)
            return ACMERR_NOTPOSSIBLE;
        *output = uint32_t(bytes);
    } else {
        return MMSYSERR_INVALFLAG;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamPrepareHeader(AcmStream* stream, AcmStreamHeader* header, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamPrepareHeader"))
        return r;
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (flags)
        return MMSYSERR_INVALFLAG;
    if (!header || header->cbStruct < sizeof(AcmStreamHeader) || !header->pbSrc || !header->pbDst ||
        (header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return MMSYSERR_INVALPARAM;
    header->fdwStatus = ACMSTREAMHEADER_STATUSF_PREPARED;
    header->cbSrcLengthUsed = 0;
    header->cbDstLengthUsed = 0;
    // The lengths prepared are the most a later convert may use.
    header->reserved[0] = header->cbSrcLength;
    header->reserved[1] = header->cbDstLength;
    ++stream->prepared;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamConvert(AcmStream* stream, AcmStreamHeader* header, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamConvert"))
        return r;
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (flags & ~uint32_t(ACM_STREAMCONVERTF_BLOCKALIGN | 0x10 | 0x20))
        return MMSYSERR_INVALFLAG;
    if (!header || header->cbStruct < sizeof(AcmStreamHeader))
        return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return ACMERR_UNPREPARED;
    if (header->cbSrcLength > header->reserved[0] || header->cbDstLength > header->reserved[1])
        return MMSYSERR_INVALPARAM;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_DONE;
    // Only whole blocks are taken; a partial block stays with the caller.
    uint32_t blocks = header->cbSrcLength / stream->blockAlign;
    blocks = std::min(blocks, header->cbDstLength / OutputBlockBytes(stream));
    uint32_t done = DecodeBlocks(stream, header->pbSrc, header->pbDst, blocks);
    if (done < blocks) {
        header->cbSrcLengthUsed = done * stream->blockAlign;
        header->cbDstLengthUsed = done * OutputBlockBytes(stream);
        return MMSYSERR_INVALPARAM;
    }
    uint32_t produced = blocks * OutputBlockBytes(stream);
    header->cbSrcLengthUsed = blocks * stream->blockAlign;
    header->cbDstLengthUsed = produced;
    header->fdwStatus |= ACMSTREAMHEADER_STATUSF_DONE;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamUnprepareHeader(AcmStream* stream, AcmStreamHeader* header, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamUnprepareHeader"))
        return r;
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (flags)
        return MMSYSERR_INVALFLAG;
    if (!header)
        return MMSYSERR_INVALPARAM;
    if (!(header->fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED))
        return ACMERR_UNPREPARED;
    // The lengths must be the prepared ones again.
    if (header->cbSrcLength != header->reserved[0] || header->cbDstLength != header->reserved[1])
        return MMSYSERR_INVALPARAM;
    header->fdwStatus &= ~ACMSTREAMHEADER_STATUSF_PREPARED;
    --stream->prepared;
    return MMSYSERR_NOERROR;
}

MMRESULT acmStreamClose(AcmStream* stream, uint32_t flags) {
    if (MMRESULT r = InjectedMmResult("acmStreamClose"))
        return r;
    if (!stream)
        return MMSYSERR_INVALHANDLE;
    if (flags)
        return MMSYSERR_INVALFLAG;
    if (stream->prepared)
        return ACMERR_BUSY;
    delete stream;
    return MMSYSERR_NOERROR;
}

} // namespace platform
