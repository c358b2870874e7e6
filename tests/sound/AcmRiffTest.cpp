// RIFF reading and the ADPCM converter of the platform layer.
#include "platform/Acm.h"
#include "platform/Riff.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace platform;
using namespace soundtest;

namespace {

constexpr uint32_t kWave = MakeFourCC('W', 'A', 'V', 'E');
constexpr uint32_t kFmt = MakeFourCC('f', 'm', 't', ' ');
constexpr uint32_t kData = MakeFourCC('d', 'a', 't', 'a');

TEST(Riff, DescendsPastOtherChunksAndAscendsToTheNext) {
    std::string dir = ScratchDir("riff");
    gamedata::WavDesc d = Pcm(2, 44100, 16, Ramp(10, 2));
    d.beforeFormat.push_back({"LIST", {'I', 'N', 'F', 'O', 'x'}}); // odd: padded
    d.extraSizeField = false;
    ASSERT_TRUE(Write(dir + "/a.wav", BuildWav(d)));

    MmioFile* f = mmioOpen((dir + "\\A.WAV").c_str(), MMIO_READ); // resolved without case
    ASSERT_NE(f, nullptr);
    ChunkInfo riff{};
    riff.fccType = kWave;
    ASSERT_EQ(mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF), 0u);
    EXPECT_EQ(riff.dataOffset, 8u);
    EXPECT_EQ(mmioSeek(f, 0, SEEK_FROM_CURRENT), 12);
    ChunkInfo fmt{};
    fmt.ckid = kFmt;
    ASSERT_EQ(mmioDescend(f, &fmt, &riff, MMIO_FINDCHUNK), 0u);
    EXPECT_EQ(fmt.cksize, 16u);
    ASSERT_EQ(mmioAscend(f, &fmt, 0), 0u);
    ChunkInfo data{};
    data.ckid = kData;
    ASSERT_EQ(mmioDescend(f, &data, &riff, MMIO_FINDCHUNK), 0u);
    EXPECT_EQ(data.cksize, 40u);
    std::vector<uint8_t> got(100);
    EXPECT_EQ(mmioRead(f, got.data(), 100), 40); // the end of the file
    got.resize(40);
    EXPECT_EQ(got, Pcm16(Ramp(10, 2)));
    EXPECT_EQ(mmioSeek(f, -1, SEEK_FROM_START), -1);
    EXPECT_EQ(mmioClose(f, 0), 0u);
    EXPECT_EQ(mmioOpen((dir + "/missing.wav").c_str(), MMIO_READ), nullptr);
}

TEST(Riff, ChunksRunningPastTheirParentOrTheFileAreNotFound) {
    std::string dir = ScratchDir("riff_bounds");
    auto findData = [&](const gamedata::WavDesc& d) {
        EXPECT_TRUE(Write(dir + "/b.wav", BuildWav(d)));
        MmioFile* f = mmioOpen((dir + "/b.wav").c_str(), MMIO_READ);
        ChunkInfo riff{};
        riff.fccType = kWave;
        uint32_t r = mmioDescend(f, &riff, nullptr, MMIO_FINDRIFF);
        if (r == 0) {
            ChunkInfo data{};
            data.ckid = kData;
            r = mmioDescend(f, &data, &riff, MMIO_FINDCHUNK);
        }
        mmioClose(f, 0);
        return r;
    };
    gamedata::WavDesc d = Pcm(2, 44100, 16, Ramp(10, 2));
    EXPECT_EQ(findData(d), 0u);
    d.dataSize = 41;
    EXPECT_EQ(findData(d), MMIOERR_CHUNKNOTFOUND);
    d.dataSize.reset();
    d.riffSize = 4000;
    EXPECT_EQ(findData(d), MMIOERR_CHUNKNOTFOUND);
    d.riffSize.reset();
    d.beforeFormat.push_back({"LIST", {1, 2, 3, 4}, 0xFFFFFFF0u});
    EXPECT_EQ(findData(d), MMIOERR_CHUNKNOTFOUND);
}

std::vector<uint8_t> AdpcmFormat(uint16_t channels, uint32_t rate, uint16_t align) {
    gamedata::WavDesc d = gamedata::AdpcmWav(channels, rate, align, {});
    std::vector<uint8_t> file = BuildWav(d);
    // The format record sits after "RIFF", size, "WAVE", "fmt ", size.
    std::vector<uint8_t> fmt(file.begin() + 20, file.begin() + 20 + 50);
    fmt.resize(256, 0);
    return fmt;
}

std::vector<uint8_t> PcmFormat(uint16_t channels, uint32_t rate) {
    std::vector<uint8_t> file = BuildWav(Pcm(channels, rate, 16, {}));
    std::vector<uint8_t> fmt(file.begin() + 20, file.begin() + 38);
    fmt.resize(256, 0);
    return fmt;
}

struct Converter {
    AcmStream* stream = nullptr;
    AcmStreamHeader header{};
    std::vector<uint8_t> src, dst;
    Converter(uint16_t channels, uint16_t align, uint32_t blocks) {
        auto s = AdpcmFormat(channels, 22050, align);
        auto t = PcmFormat(channels, 22050);
        EXPECT_EQ(acmStreamOpen(&stream, s.data(), 256, t.data(), 256, 0), MMSYSERR_NOERROR);
        uint32_t out = 0;
        EXPECT_EQ(acmStreamSize(stream, blocks * align, &out, ACM_STREAMSIZEF_SOURCE),
                  MMSYSERR_NOERROR);
        src.resize(blocks * align);
        dst.resize(out);
        header.cbStruct = sizeof(header);
        header.pbSrc = src.data();
        header.cbSrcLength = uint32_t(src.size());
        header.pbDst = dst.data();
        header.cbDstLength = uint32_t(dst.size());
        EXPECT_EQ(acmStreamPrepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
    }
    ~Converter() {
        header.cbSrcLength = uint32_t(src.size());
        header.cbDstLength = uint32_t(dst.size());
        EXPECT_EQ(acmStreamUnprepareHeader(stream, &header, 0), MMSYSERR_NOERROR);
        EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
    }
};

// One mono block worked by hand: the header's two samples come first
// (sample2, then sample1), and a negative prediction is rounded down by the
// shift where a division would round it towards zero.
TEST(Adpcm, DecodesABlockWithTheShiftedPrediction) {
    Converter c(1, 14, 1); // 7 header bytes, 7 bytes of nibbles: 16 samples
    ASSERT_EQ(c.dst.size(), 32u);
    uint8_t block[14] = {3,          // predictor 3: coefficients 192, 64
                         16,   0,    // delta 16
                         0x9B, 0xFF, // sample1 -101
                         0x00, 0x00, // sample2 0
                         0x00, 0,    0, 0, 0, 0, 0x70};
    std::memcpy(c.src.data(), block, sizeof(block));
    ASSERT_EQ(acmStreamConvert(c.stream, &c.header, ACM_STREAMCONVERTF_BLOCKALIGN),
              MMSYSERR_NOERROR);
    EXPECT_EQ(c.header.cbSrcLengthUsed, 14u);
    EXPECT_EQ(c.header.cbDstLengthUsed, 32u);
    std::vector<int16_t> pcm = Samples16(c.dst);
    EXPECT_EQ(pcm[0], 0);
    EXPECT_EQ(pcm[1], -101);
    // -101 * 192 = -19392: -75.75 shifts to -76 (a division gives -75).
    EXPECT_EQ(pcm[2], -76);
    EXPECT_EQ(pcm[3], -83);
    EXPECT_EQ(pcm[4], -82);
    EXPECT_EQ(pcm[5], -83);
    // The nibble 7 adds seven deltas of 16 to its prediction.
    EXPECT_EQ(pcm[14], ((pcm[13] * 192 + pcm[12] * 64) >> 8) + 7 * 16);
}

TEST(Adpcm, RefusesPredictorsOutsideTheTableAndKeepsPartialBlocks) {
    Converter c(2, 64, 3);
    std::fill(c.src.begin(), c.src.end(), 0);
    for (int b = 0; b < 3; ++b)
        c.src[size_t(b) * 64 + 2] = c.src[size_t(b) * 64 + 4] = 16; // deltas
    c.header.cbSrcLength = 64 * 2 + 30;                             // two blocks and a part
    ASSERT_EQ(acmStreamConvert(c.stream, &c.header, ACM_STREAMCONVERTF_BLOCKALIGN),
              MMSYSERR_NOERROR);
    EXPECT_EQ(c.header.cbSrcLengthUsed, 128u);
    EXPECT_EQ(c.header.cbDstLengthUsed, 2u * 4 * gamedata::AdpcmSamplesPerBlock(2, 64));

    c.src[64 + 1] = 7; // the second block's right channel: no predictor 7
    c.header.cbSrcLength = 64 * 3;
    EXPECT_EQ(acmStreamConvert(c.stream, &c.header, ACM_STREAMCONVERTF_BLOCKALIGN),
              MMSYSERR_INVALPARAM);
    EXPECT_EQ(c.header.cbSrcLengthUsed, 64u);
}

TEST(Adpcm, OpenChecksTheFormatsAndTheCallsTheirState) {
    auto s = AdpcmFormat(2, 22050, 1024);
    auto t = PcmFormat(2, 22050);
    AcmStream* stream = nullptr;
    auto wrongRate = PcmFormat(2, 44100);
    EXPECT_EQ(acmStreamOpen(&stream, s.data(), 256, wrongRate.data(), 256, 0), ACMERR_NOTPOSSIBLE);
    auto noTable = s;
    noTable[16] = 2; // extra size too short for the coefficients
    EXPECT_EQ(acmStreamOpen(&stream, noTable.data(), 256, t.data(), 256, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acmStreamOpen(&stream, s.data(), 30, t.data(), 256, 0), ACMERR_NOTPOSSIBLE);
    EXPECT_EQ(acmStreamOpen(&stream, s.data(), 20, t.data(), 256, 0), MMSYSERR_INVALPARAM);
    EXPECT_EQ(acmStreamOpen(&stream, s.data(), 256, t.data(), 256, 1), MMSYSERR_INVALFLAG);
    ASSERT_EQ(acmStreamOpen(&stream, s.data(), 256, t.data(), 256, 0), MMSYSERR_NOERROR);
    uint32_t out = 0;
    EXPECT_EQ(acmStreamSize(stream, 8 * 1024, &out, ACM_STREAMSIZEF_SOURCE), MMSYSERR_NOERROR);
    EXPECT_EQ(out, 8u * 1012 * 4);
    EXPECT_EQ(acmStreamSize(stream, 100, &out, ACM_STREAMSIZEF_SOURCE), ACMERR_NOTPOSSIBLE);
    AcmStreamHeader h{};
    h.cbStruct = sizeof(h);
    EXPECT_EQ(acmStreamConvert(stream, &h, 0), ACMERR_UNPREPARED);
    EXPECT_EQ(acmStreamUnprepareHeader(stream, &h, 0), ACMERR_UNPREPARED);
    std::vector<uint8_t> a(1024), b(4048);
    h.pbSrc = a.data();
    h.cbSrcLength = 1024;
    h.pbDst = b.data();
    h.cbDstLength = 4048;
    ASSERT_EQ(acmStreamPrepareHeader(stream, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(stream, 0), ACMERR_BUSY);
    ASSERT_EQ(acmStreamUnprepareHeader(stream, &h, 0), MMSYSERR_NOERROR);
    EXPECT_EQ(acmStreamClose(stream, 0), MMSYSERR_NOERROR);
    uint32_t size = 0;
    EXPECT_EQ(acmMetrics(nullptr, ACM_METRIC_MAX_SIZE_FORMAT, &size), MMSYSERR_NOERROR);
    EXPECT_GE(size, 50u);
}

} // namespace
