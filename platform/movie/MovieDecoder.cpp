#include "platform/movie/MovieDecoder.h"
#include "platform/Debug.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <cstdarg>
#include <cstdio>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace platform::movie {
namespace {

constexpr size_t kMostOneBlock = size_t(256) << 20;

// The decoders' complaints go to the debug log, not to the terminal.
void LogToDebug(void*, int level, const char* format, va_list args) {
    if (level > AV_LOG_WARNING)
        return;
    char line[512];
    std::vsnprintf(line, sizeof(line), format, args);
    DebugPrintf("Movie: %s", line);
}

} // namespace

struct MovieDecoder::Impl {
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    int videoIndex = -1;
    int audioIndex = -1;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    AVFrame* sound = nullptr;
    SwsContext* scaler = nullptr;
    SwrContext* resampler = nullptr;
    uint32_t audioRate = 0;
    int64_t firstPts = AV_NOPTS_VALUE;
    int64_t frameCount = 0;
    bool haveFrame = false;
    bool draining = false;
    bool ended = false;
    bool failed = false;
    std::string path; // for a rewind
    bool wantAudio = false;

    ~Impl() {
        sws_freeContext(scaler);
        swr_free(&resampler);
        av_frame_free(&sound);
        av_frame_free(&frame);
        av_packet_free(&packet);
        avcodec_free_context(&audio);
        avcodec_free_context(&video);
        avformat_close_input(&format);
    }

    static AVCodecContext* OpenCodec(AVStream* stream) {
        const AVCodec* codec = avcodec_find_decoder(stream->codecpar->codec_id);
        if (!codec)
            return nullptr;
        AVCodecContext* context = avcodec_alloc_context3(codec);
        if (!context)
            return nullptr;
        // One thread: frames come out in the same order and time on every run.
        context->thread_count = 1;
        if (avcodec_parameters_to_context(context, stream->codecpar) < 0 ||
            avcodec_open2(context, codec, nullptr) < 0) {
            avcodec_free_context(&context);
            return nullptr;
        }
        return context;
    }

    bool OpenResampler() {
        audioRate = uint32_t(audio->sample_rate);
        if (audioRate < 8000 || audioRate > 96000)
            audioRate = 44100;
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        AVChannelLayout in;
        if (audio->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC || audio->ch_layout.nb_channels == 0)
            av_channel_layout_default(
                &in, audio->ch_layout.nb_channels ? audio->ch_layout.nb_channels : 1);
        else if (av_channel_layout_copy(&in, &audio->ch_layout) < 0)
            return false;
        int r = swr_alloc_set_opts2(&resampler, &stereo, AV_SAMPLE_FMT_S16, int(audioRate), &in,
                                    audio->sample_fmt, audio->sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        return r >= 0 && swr_init(resampler) >= 0;
    }

    void TakeSound(std::vector<int16_t>* pcm) {
        while (avcodec_receive_frame(audio, sound) == 0) {
            if (pcm && resampler) {
                int most = swr_get_out_samples(resampler, sound->nb_samples);
                if (most > 0) {
                    size_t at = pcm->size();
                    pcm->resize(at + size_t(most) * 2);
                    uint8_t* out = reinterpret_cast<uint8_t*>(pcm->data() + at);
                    int got = swr_convert(resampler, &out, most,
                                          const_cast<const uint8_t**>(sound->extended_data),
                                          sound->nb_samples);
                    pcm->resize(at + size_t(got > 0 ? got : 0) * 2);
                }
            }
            av_frame_unref(sound);
        }
    }

    double TimeOf(const AVFrame* f) {
        int64_t pts = f->best_effort_timestamp;
        AVStream* stream = format->streams[videoIndex];
        if (pts == AV_NOPTS_VALUE) {
            AVRational rate =
                stream->avg_frame_rate.num ? stream->avg_frame_rate : AVRational{25, 1};
            return double(frameCount) * rate.den / rate.num;
        }
        if (firstPts == AV_NOPTS_VALUE)
            firstPts = pts;
        return double(pts - firstPts) * av_q2d(stream->time_base);
    }
};

MovieDecoder::MovieDecoder() : impl_(new Impl) {}
MovieDecoder::~MovieDecoder() = default;

Result MovieDecoder::Open(const char* nativePath, bool wantAudio) {
    static std::once_flag logging;
    std::call_once(logging, [] {
        av_log_set_callback(LogToDebug);
        // A damaged header can ask the decoders for gigabytes; no movie
        // frame or packet of ours needs a block anywhere near this.
        av_max_alloc(kMostOneBlock);
    });
    struct stat info {};
    if (stat(nativePath, &info) != 0)
        return kNotFound;
    Impl& m = *impl_;
    m.path = nativePath;
    m.wantAudio = wantAudio;
    if (avformat_open_input(&m.format, nativePath, nullptr, nullptr) < 0) {
        DebugPrintf("Movie: \"%s\" is not a movie file\n", nativePath);
        return kBadFormat;
    }
    if (avformat_find_stream_info(m.format, nullptr) < 0)
        return kBadFormat;
    m.videoIndex = av_find_best_stream(m.format, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (m.videoIndex < 0) {
        DebugPrintf("Movie: \"%s\" has no video stream\n", nativePath);
        return kBadFormat;
    }
    m.video = Impl::OpenCodec(m.format->streams[m.videoIndex]);
    if (!m.video || m.video->width <= 0 || m.video->height <= 0) {
        DebugPrintf("Movie: no decoder for the video of \"%s\"\n", nativePath);
        return kBadFormat;
    }
    if (wantAudio) {
        m.audioIndex = av_find_best_stream(m.format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (m.audioIndex >= 0) {
            m.audio = Impl::OpenCodec(m.format->streams[m.audioIndex]);
            if (!m.audio || !m.OpenResampler()) {
                // The picture plays without its sound.
                DebugPrintf("Movie: the sound of \"%s\" cannot be decoded\n", nativePath);
                avcodec_free_context(&m.audio);
                swr_free(&m.resampler);
                m.audioIndex = -1;
            }
        }
    }
    m.packet = av_packet_alloc();
    m.frame = av_frame_alloc();
    m.sound = av_frame_alloc();
    if (!m.packet || !m.frame || !m.sound)
        return kOutOfMemory;
    return kOk;
}

int MovieDecoder::Width() const {
    return impl_->video->width;
}
int MovieDecoder::Height() const {
    return impl_->video->height;
}
bool MovieDecoder::HasAudio() const {
    return impl_->audio != nullptr;
}
uint32_t MovieDecoder::AudioRate() const {
    return impl_->audioRate;
}
bool MovieDecoder::Failed() const {
    return impl_->failed;
}

bool MovieDecoder::NextFrame(double* seconds, std::vector<int16_t>* pcm) {
    Impl& m = *impl_;
    if (m.ended)
        return false;
    for (;;) {
        av_frame_unref(m.frame);
        int r = avcodec_receive_frame(m.video, m.frame);
        if (r == 0) {
            *seconds = m.TimeOf(m.frame);
            ++m.frameCount;
            m.haveFrame = true;
            return true;
        }
        if (r == AVERROR_EOF) {
            m.ended = true;
            return false;
        }
        if (r != AVERROR(EAGAIN)) {
            m.failed = m.ended = true;
            return false;
        }
        if (m.draining) {
            m.ended = true;
            return false;
        }
        r = av_read_frame(m.format, m.packet);
        if (r < 0) {
            // The end of the file: what the decoders still hold comes out.
            m.draining = true;
            avcodec_send_packet(m.video, nullptr);
            if (m.audio) {
                avcodec_send_packet(m.audio, nullptr);
                m.TakeSound(pcm);
            }
            if (r != AVERROR_EOF)
                DebugPrintf("Movie: read error %d, playing what was decoded\n", r);
            continue;
        }
        if (m.packet->stream_index == m.videoIndex) {
            if (avcodec_send_packet(m.video, m.packet) < 0)
                DebugPrintf("Movie: a damaged video packet was skipped\n");
        } else if (m.audio && m.packet->stream_index == m.audioIndex) {
            if (avcodec_send_packet(m.audio, m.packet) == 0)
                m.TakeSound(pcm);
        }
        av_packet_unref(m.packet);
    }
}

bool MovieDecoder::Draw(uint8_t* pixels, int pitch, int width, int height, int bits) {
    Impl& m = *impl_;
    if (!m.haveFrame || width <= 0 || height <= 0)
        return false;
    AVPixelFormat target = bits == 16 ? AV_PIX_FMT_RGB565LE : AV_PIX_FMT_BGR0;
    m.scaler = sws_getCachedContext(m.scaler, m.frame->width, m.frame->height,
                                    AVPixelFormat(m.frame->format), width, height, target,
                                    SWS_POINT, nullptr, nullptr, nullptr);
    if (!m.scaler)
        return false;
    uint8_t* planes[4] = {pixels, nullptr, nullptr, nullptr};
    int pitches[4] = {pitch, 0, 0, 0};
    return sws_scale(m.scaler, m.frame->data, m.frame->linesize, 0, m.frame->height, planes,
                     pitches) == height;
}

// Opened afresh rather than sought: a seek by time lands past the first
// frames in some containers (MPEG program streams among them), and a fresh
// start is the first frame in every one.
bool MovieDecoder::Rewind() {
    std::string path = impl_->path;
    bool wantAudio = impl_->wantAudio;
    bool hadAudio = HasAudio();
    impl_ = std::make_unique<Impl>();
    return Open(path.c_str(), wantAudio) == kOk && HasAudio() == hadAudio;
}

} // namespace platform::movie
