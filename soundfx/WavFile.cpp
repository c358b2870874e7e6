// The stream file reader: the streamed WAV file read piece by piece, ADPCM
// decoded to 16-bit PCM on the way. Reports under the WavPlayback unit.
#include "soundfx/SoundFXInternal.h"

#include <cstdlib>
#include <cstring>

using namespace platform;

namespace sonork {

uint32_t gMaxFormatSize;
uint8_t* gSourceFormat;
uint8_t* gTargetFormat;
int32_t gIsAdpcm;
uint32_t gSourceChunkSize;
uint32_t gTargetChunkSize;
MmioFile* gStreamFile;
uint32_t gDataConsumed;
ChunkInfo gDataChunk;

namespace {

const char kUnit[] = "WavPlayback";

char gStreamFileName[kMaxFileName];
ChunkInfo gRiffChunk;
AcmStream* gConverter;
AcmStreamHeader gConvertHeader;
uint8_t* gSourceBlock;
uint8_t* gTargetBlock;

uint16_t U16(const uint8_t* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t U32(const uint8_t* p) {
    return U16(p) | uint32_t(U16(p + 2)) << 16;
}
void Put16(uint8_t* p, uint16_t v) {
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
    Put16(p, uint16_t(v));
    Put16(p + 2, uint16_t(v >> 16));
}

} // namespace

const char* AcmReason(const char* call, MMRESULT result) {
    struct Known {
        MMRESULT code;
        const char* text;
    };
    static const Known kNames[] = {
        {MMSYSERR_INVALPARAM, "MMSYSERR_INVALPARAM!"},
        {MMSYSERR_INVALHANDLE, "MMSYSERR_INVALHANDLE!"},
        {MMSYSERR_INVALFLAG, "MMSYSERR_INVALFLAG!"},
        {MMSYSERR_NOMEM, "MMSYSERR_NOMEM!"},
        {MMSYSERR_NOTSUPPORTED, "MMSYSERR_NOTSUPPORTED!"},
        {ACMERR_NOTPOSSIBLE, "ACMERR_NOTPOSSIBLE!"},
        {ACMERR_BUSY, "ACMERR_BUSY!"},
        {ACMERR_UNPREPARED, "ACMERR_UNPREPARED!"},
    };
    // Which results each call's message recognises.
    struct Row {
        const char* call;
        MMRESULT codes[5];
    };
    static const Row kRows[] = {
        {"acmMetrics",
         {MMSYSERR_INVALPARAM, MMSYSERR_INVALHANDLE, MMSYSERR_NOTSUPPORTED, ACMERR_NOTPOSSIBLE}},
        {"acmStreamOpen",
         {MMSYSERR_INVALFLAG, MMSYSERR_INVALHANDLE, MMSYSERR_NOMEM, MMSYSERR_INVALPARAM,
          ACMERR_NOTPOSSIBLE}},
        {"acmStreamSize",
         {MMSYSERR_INVALPARAM, MMSYSERR_INVALHANDLE, MMSYSERR_INVALFLAG, ACMERR_NOTPOSSIBLE}},
        {"acmStreamPrepareHeader",
         {MMSYSERR_INVALHANDLE, MMSYSERR_NOMEM, MMSYSERR_INVALFLAG, MMSYSERR_INVALPARAM}},
        {"acmStreamConvert",
         {MMSYSERR_INVALPARAM, MMSYSERR_INVALHANDLE, MMSYSERR_INVALFLAG, ACMERR_BUSY,
          ACMERR_UNPREPARED}},
        {"acmStreamUnprepareHeader",
         {MMSYSERR_INVALPARAM, MMSYSERR_INVALHANDLE, MMSYSERR_INVALFLAG, ACMERR_BUSY,
          ACMERR_UNPREPARED}},
        {"acmStreamClose", {MMSYSERR_INVALHANDLE, MMSYSERR_INVALFLAG, ACMERR_BUSY}},
    };
    for (const Row& row : kRows) {
        if (std::strcmp(row.call, call) != 0)
            continue;
        for (MMRESULT code : row.codes) {
            if (code == 0 || code != result)
                continue;
            for (const Known& k : kNames)
                if (k.code == code)
                    return k.text;
        }
    }
    return "UNKNOWN ERROR!";
}

int wavFileOpen(const char* fileName) {
    static const char kLocation[] = "wavFileOpen()";
    std::memset(gSourceFormat, 0, gMaxFormatSize);
    MmioFile* file = mmioOpen(fileName, MMIO_READ);
    if (!file) {
        Fail(kUnit, kLocation, "Unable to open WAV file!");
        return 0;
    }
    WavChunks wav{file, kUnit, kLocation};
    if (!wav.FindFormat())
        return 0;
    uint32_t size = wav.format.cksize;
    if (size > gMaxFormatSize)
        return wav.Fail("Fmt chunk too large!");
    // The fields read below must all be in the chunk.
    if (size < 16 || mmioRead(file, gSourceFormat, int32_t(size)) != int32_t(size))
        return wav.Fail("Unable to read wav format information!");
    uint16_t tag = U16(gSourceFormat);
    uint16_t channels = U16(gSourceFormat + 2);
    uint32_t rate = U32(gSourceFormat + 4);
    uint16_t bits = U16(gSourceFormat + 14);
    gIsAdpcm = tag == WAVE_FORMAT_ADPCM ? 1 : 0;
    if (tag != WAVE_FORMAT_PCM && tag != WAVE_FORMAT_ADPCM)
        return wav.Fail("Wav format unsupported!");
    if (channels != gMixChannels)
        return wav.Fail("Wav file data has wrong number of channels!");
    if (rate != gMixRate && rate != gMixRate / 2u)
        return wav.Fail("Wav file data is not correct sample rate!");
    if (bits != gMixBits && bits != 4)
        return wav.Fail("Wav bit depth unsupported!");
    if (!wav.FindData())
        return 0;

    CopyField(gStreamFileName, fileName);
    gStreamFile = file;
    gRiffChunk = wav.riff;
    gDataChunk = wav.data;
    gDataConsumed = 0;
    if (gIsAdpcm) {
        std::memset(gTargetFormat, 0, gMaxFormatSize);
        Put16(gTargetFormat, WAVE_FORMAT_PCM);
        Put16(gTargetFormat + 2, 2);
        Put32(gTargetFormat + 4, rate);
        Put32(gTargetFormat + 8, 4 * rate);
        Put16(gTargetFormat + 12, 4);
        Put16(gTargetFormat + 14, 16);
        Put16(gTargetFormat + 16, 0);
    } else {
        std::memcpy(gTargetFormat, gSourceFormat, 18);
    }
    return 1;
}

int wavConversionInit() {
    static const char kLocation[] = "wavConversionInit()";
    MMRESULT r =
        acmStreamOpen(&gConverter, gSourceFormat, gMaxFormatSize, gTargetFormat, gMaxFormatSize, 0);
    if (r != MMSYSERR_NOERROR) {
        gConverter = nullptr;
        Fail2(kUnit, kLocation,
              "Unable to open ACM conversion stream: ", AcmReason("acmStreamOpen", r));
        return 0;
    }
    gSourceChunkSize = 8u * U16(gSourceFormat + 12);
    r = acmStreamSize(gConverter, gSourceChunkSize, &gTargetChunkSize, ACM_STREAMSIZEF_SOURCE);
    if (r != MMSYSERR_NOERROR) {
        Fail2(kUnit, kLocation, "Unable to query ACM stream size: ", AcmReason("acmStreamSize", r));
        return 0;
    }
    gSourceBlock = static_cast<uint8_t*>(std::calloc(1, gSourceChunkSize));
    if (!gSourceBlock) {
        Fail(kUnit, kLocation, "Unable to allocate memory for ACM source buffer!");
        return 0;
    }
    gTargetBlock = static_cast<uint8_t*>(std::calloc(1, gTargetChunkSize));
    if (!gTargetBlock) {
        Fail(kUnit, kLocation, "Unable to allocate memory for ACM destination buffer!");
        return 0;
    }
    gConvertHeader = {};
    gConvertHeader.cbStruct = sizeof(AcmStreamHeader);
    gConvertHeader.pbSrc = gSourceBlock;
    gConvertHeader.cbSrcLength = gSourceChunkSize;
    gConvertHeader.pbDst = gTargetBlock;
    gConvertHeader.cbDstLength = gTargetChunkSize;
    r = acmStreamPrepareHeader(gConverter, &gConvertHeader, 0);
    if (r != MMSYSERR_NOERROR) {
        Fail2(kUnit, kLocation,
              "Unable to prepare ACM header: ", AcmReason("acmStreamPrepareHeader", r));
        return 0;
    }
    return 1;
}

int wavFileRead(uint32_t length, uint8_t* target, uint32_t* got) {
    static const char kLocation[] = "wavFileRead()";
    *got = 0;
    if (!gStreamFile) {
        Fail2(kUnit, kLocation, "Unable to read wav file: ", gStreamFileName);
        return 0;
    }
    if (!gIsAdpcm) {
        uint32_t want = length;
        if (want > gDataChunk.cksize - gDataConsumed)
            want = gDataChunk.cksize - gDataConsumed;
        int32_t read = mmioRead(gStreamFile, target, int32_t(want));
        // A failed read is reported like the ADPCM path's, not taken as the end.
        if (read < 0) {
            Fail2(kUnit, kLocation, "Unable to read wav file: ", gStreamFileName);
            return 0;
        }
        gDataConsumed += uint32_t(read);
        *got = uint32_t(read);
        return 1;
    }
    if (!gConverter || !gSourceBlock) {
        Fail(kUnit, kLocation, "Unable to convert ADPCM stream!");
        return 0;
    }
    uint32_t produced = 0;
    while (produced < length) {
        uint32_t want = gSourceChunkSize;
        if (want > gDataChunk.cksize - gDataConsumed)
            want = gDataChunk.cksize - gDataConsumed;
        int32_t read = want ? mmioRead(gStreamFile, gSourceBlock, int32_t(want)) : 0;
        if (read == 0)
            break;
        if (read < 0) {
            Fail2(kUnit, kLocation, "Unable to read wav file: ", gStreamFileName);
            return 0;
        }
        gDataConsumed += uint32_t(read);
        gConvertHeader.cbSrcLength = uint32_t(read);
        gConvertHeader.cbDstLengthUsed = 0;
        MMRESULT r = acmStreamConvert(gConverter, &gConvertHeader, ACM_STREAMCONVERTF_BLOCKALIGN);
        if (r != MMSYSERR_NOERROR) {
            Fail2(kUnit, kLocation,
                  "Unable to convert ADPCM stream: ", AcmReason("acmStreamConvert", r));
            return 0;
        }
        // A partial block at the end goes back to the file, unconverted.
        uint32_t left = uint32_t(read) - gConvertHeader.cbSrcLengthUsed;
        if (left) {
            mmioSeek(gStreamFile, -int32_t(left), SEEK_FROM_CURRENT);
            gDataConsumed -= left;
        }
        uint32_t made = gConvertHeader.cbDstLengthUsed;
        if (made == 0) {
            if (left == uint32_t(read)) {
                // Only a partial block was left: the data ends here for good.
                gDataConsumed = gDataChunk.cksize;
                break;
            }
            Fail(kUnit, kLocation, "Unable to convert ADPCM stream!");
            return 0;
        }
        if (made > length - produced)
            made = length - produced;
        std::memcpy(target + produced, gTargetBlock, made);
        produced += made;
    }
    *got = produced;
    return 1;
}

int wavFileReset() {
    if (!gStreamFile ||
        mmioSeek(gStreamFile, int32_t(gRiffChunk.dataOffset + 4), SEEK_FROM_START) < 0) {
        Fail(kUnit, "wavFileReset()", "Unable to rewind wav file!");
        return 0;
    }
    ChunkInfo data{};
    data.ckid = MakeFourCC('d', 'a', 't', 'a');
    if (mmioDescend(gStreamFile, &data, &gRiffChunk, MMIO_FINDCHUNK) != 0) {
        Fail(kUnit, "wavFileReset()", "Unable to rewind wav file!");
        return 0;
    }
    gDataChunk = data;
    gDataConsumed = 0;
    return 1;
}

int wavFileClose() {
    if (!gStreamFile)
        return 1;
    if (mmioClose(gStreamFile, 0) != 0) {
        Fail(kUnit, "wavFileClose()", "Unable to close WAV file!");
        return 0;
    }
    gRiffChunk = {};
    gDataChunk = {};
    gStreamFile = nullptr;
    gDataConsumed = 0;
    gStreamFileName[0] = '\0';
    if (gSourceFormat)
        std::memset(gSourceFormat, 0, gMaxFormatSize);
    if (gTargetFormat)
        std::memset(gTargetFormat, 0, gMaxFormatSize);
    return 1;
}

int wavConversionCleanup() {
    static const char kLocation[] = "wavConversionCleanup()";
    if (gConverter) {
        gConvertHeader.cbSrcLength = gSourceChunkSize;
        gConvertHeader.cbDstLength = gTargetChunkSize;
        if (gConvertHeader.fdwStatus & ACMSTREAMHEADER_STATUSF_PREPARED) {
            MMRESULT r = acmStreamUnprepareHeader(gConverter, &gConvertHeader, 0);
            if (r != MMSYSERR_NOERROR) {
                Fail2(kUnit, kLocation,
                      "Unable to unprepare ACM header: ", AcmReason("acmStreamUnprepareHeader", r));
                return 0;
            }
        }
        MMRESULT r = acmStreamClose(gConverter, 0);
        if (r != MMSYSERR_NOERROR) {
            Fail2(kUnit, kLocation, "Unable to cloase ACM: ", AcmReason("acmStreamClose", r));
            return 0;
        }
        gConverter = nullptr;
    }
    gConvertHeader = {};
    std::free(gSourceBlock);
    std::free(gTargetBlock);
    std::free(gSourceFormat);
    std::free(gTargetFormat);
    gSourceBlock = gTargetBlock = gSourceFormat = gTargetFormat = nullptr;
    gSourceChunkSize = gTargetChunkSize = 0;
    return 1;
}

} // namespace sonork
