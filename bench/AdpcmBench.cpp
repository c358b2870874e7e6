// Decoding a minute of stereo 44.1 kHz MS ADPCM made by sox: the platform's
// converter against libavcodec's decoder, both writing interleaved 16-bit PCM
// into memory. Before timing, the two outputs must have the same length.
#include "bench/BenchUtil.h"
#include "common/ByteIO.h"
#include "platform/Acm.h"
#include "platform/Sound.h"
#include "tools/WavData.h"

extern "C" {
#include <libavcodec/avcodec.h>
}
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Input {
    bool ready = false;
    const char* error = nullptr;
    std::vector<uint8_t> format; // the fmt chunk, extra bytes included
    std::vector<uint8_t> data;
    uint16_t channels = 0, blockAlign = 0;
    uint32_t rate = 0;
    size_t pcmBytes = 0;
};

Input gIn;

bool ReadAdpcm(const std::string& path) {
    std::vector<uint8_t> bytes;
    if (!gamedata::ReadFileBytes(path, &bytes) || bytes.size() < 12)
        return false;
    ByteReader r(bytes.data(), bytes.size());
    r.Skip(12);
    while (r.Has(8)) {
        char id[4];
        r.Bytes(id, 4);
        uint32_t size = r.U32();
        if (!r.Has(size))
            size = uint32_t(r.Remaining());
        const uint8_t* at = bytes.data() + r.Offset();
        if (std::memcmp(id, "fmt ", 4) == 0)
            gIn.format.assign(at, at + size);
        else if (std::memcmp(id, "data", 4) == 0)
            gIn.data.assign(at, at + size);
        r.Skip(size + (size & 1));
    }
    if (gIn.format.size() < 20 || gIn.data.empty())
        return false;
    ByteReader f(gIn.format.data(), gIn.format.size());
    f.U16();
    gIn.channels = f.U16();
    gIn.rate = f.U32();
    f.U32();
    gIn.blockAlign = f.U16();
    return gIn.blockAlign > 0;
}

bool Project(std::vector<uint8_t>* out) {
    platform::WaveFormat pcm{
        1, gIn.channels, gIn.rate, gIn.rate * 2u * gIn.channels, uint16_t(2 * gIn.channels), 16, 0};
    platform::AcmStream* stream = nullptr;
    if (platform::acmStreamOpen(&stream, gIn.format.data(), uint32_t(gIn.format.size()), &pcm,
                                sizeof(pcm), 0) != 0)
        return false;
    uint32_t need = 0;
    platform::acmStreamSize(stream, uint32_t(gIn.data.size()), &need,
                            platform::ACM_STREAMSIZEF_SOURCE);
    out->resize(need);
    platform::AcmStreamHeader h{};
    h.cbStruct = sizeof(h);
    h.pbSrc = gIn.data.data();
    h.cbSrcLength = uint32_t(gIn.data.size());
    h.pbDst = out->data();
    h.cbDstLength = need;
    bool ok = platform::acmStreamPrepareHeader(stream, &h, 0) == 0 &&
              platform::acmStreamConvert(stream, &h, platform::ACM_STREAMCONVERTF_BLOCKALIGN) == 0;
    out->resize(h.cbDstLengthUsed);
    platform::acmStreamUnprepareHeader(stream, &h, 0);
    platform::acmStreamClose(stream, 0);
    return ok;
}

struct Libav {
    AVCodecContext* context = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;

    bool Open() {
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_ADPCM_MS);
        if (!codec)
            return false;
        context = avcodec_alloc_context3(codec);
        context->sample_rate = int(gIn.rate);
        av_channel_layout_default(&context->ch_layout, gIn.channels);
        context->block_align = gIn.blockAlign;
        packet = av_packet_alloc();
        frame = av_frame_alloc();
        return avcodec_open2(context, codec, nullptr) == 0;
    }
    ~Libav() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&context);
    }

    // One block a packet, as a demuxer hands them over.
    bool Decode(std::vector<uint8_t>* out) {
        out->resize(gIn.pcmBytes ? gIn.pcmBytes : gIn.data.size() * 4 + 4096);
        size_t produced = 0;
        for (size_t at = 0; at + gIn.blockAlign <= gIn.data.size(); at += gIn.blockAlign) {
            packet->data = gIn.data.data() + at;
            packet->size = gIn.blockAlign;
            if (avcodec_send_packet(context, packet) < 0)
                return false;
            while (avcodec_receive_frame(context, frame) == 0) {
                size_t bytes = size_t(frame->nb_samples) * 2 * gIn.channels;
                if (produced + bytes > out->size())
                    out->resize(produced + bytes);
                std::memcpy(out->data() + produced, frame->data[0], bytes);
                produced += bytes;
            }
        }
        out->resize(produced);
        return true;
    }
};

void SetUp() {
    if (gIn.ready)
        return;
    gIn.ready = true;
    std::string dir = bench::Scratch();
    if (!bench::Sox("-n -r 44100 -c 2 -b 16 " + dir +
                    "/src.wav synth 60 pinknoise vol 0.7 : " + "synth 0.5 sine 200-4000 vol 0.3") ||
        !bench::Sox(dir + "/src.wav -e ms-adpcm " + dir + "/ms.wav") ||
        !ReadAdpcm(dir + "/ms.wav")) {
        gIn.error = "sox could not make the ADPCM file";
        return;
    }
    std::vector<uint8_t> ours, theirs;
    Libav libav;
    if (!Project(&ours) || !libav.Open() || !libav.Decode(&theirs)) {
        gIn.error = "a decoder refused the file";
        return;
    }
    gIn.pcmBytes = ours.size();
    // libavcodec divides the prediction where the converter shifts (as sox
    // does), so a few samples differ by the rounding; the work is the same.
    if (ours.size() != theirs.size()) {
        std::fprintf(stderr, "bench: ADPCM outputs differ in size (%zu and %zu bytes)\n",
                     ours.size(), theirs.size());
        gIn.error = "the converter and libavcodec decode different lengths";
        return;
    }
    size_t same = 0;
    for (size_t i = 0; i < ours.size(); i += 2)
        same += ours[i] == theirs[i] && ours[i + 1] == theirs[i + 1];
    std::fprintf(stderr, "bench: ADPCM samples equal to libavcodec's: %.1f %%\n",
                 100.0 * double(same) / double(ours.size() / 2));
}

void BM_Adpcm_Project(benchmark::State& state) {
    SetUp();
    if (gIn.error) {
        state.SkipWithError(gIn.error);
        return;
    }
    std::vector<uint8_t> out;
    for (auto _ : state) {
        Project(&out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gIn.data.size()));
}

void BM_Adpcm_Libavcodec(benchmark::State& state) {
    SetUp();
    if (gIn.error) {
        state.SkipWithError(gIn.error);
        return;
    }
    Libav libav;
    libav.Open();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        libav.Decode(&out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(gIn.data.size()));
}

} // namespace

BENCHMARK(BM_Adpcm_Project)->Name("BM_Adpcm/Project")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Adpcm_Libavcodec)->Name("BM_Adpcm/Libavcodec")->Unit(benchmark::kMillisecond);
