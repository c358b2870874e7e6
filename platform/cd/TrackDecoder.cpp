// Ripped tracks through FFmpeg: any container and codec it reads (WAV, FLAC,
// Ogg Vorbis, Opus, MP3, ...), resampled to the disc's own format.
#include "platform/cd/TrackDecoder.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <algorithm>
#include <cstring>
#include <vector>

namespace platform {
namespace {

std::string ErrorText(int error) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(error, text, sizeof(text));
    return text;
}

class FfmpegDecoder final : public TrackDecoder {
  public:
    ~FfmpegDecoder() override {
        swr_free(&resampler_);
        av_frame_free(&frame_);
        av_packet_free(&packet_);
        avcodec_free_context(&codec_);
        avformat_close_input(&format_);
    }

    bool Open(const std::string& path, std::string* why) {
        int r = avformat_open_input(&format_, path.c_str(), nullptr, nullptr);
        if (r < 0) {
            *why = ErrorText(r);
            return false;
        }
        if ((r = avformat_find_stream_info(format_, nullptr)) < 0) {
            *why = ErrorText(r);
            return false;
        }
        const AVCodec* decoder = nullptr;
        stream_ = av_find_best_stream(format_, AVMEDIA_TYPE_AUDIO, -1, -1, &decoder, 0);
        if (stream_ < 0 || !decoder) {
            *why = "no audio stream";
            return false;
        }
        codec_ = avcodec_alloc_context3(decoder);
        packet_ = av_packet_alloc();
        frame_ = av_frame_alloc();
        if (!codec_ || !packet_ || !frame_) {
            *why = "out of memory";
            return false;
        }
        AVStream* stream = format_->streams[stream_];
        if ((r = avcodec_parameters_to_context(codec_, stream->codecpar)) < 0 ||
            (r = avcodec_open2(codec_, decoder, nullptr)) < 0) {
            *why = ErrorText(r);
            return false;
        }
        if (codec_->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&codec_->ch_layout, codec_->ch_layout.nb_channels);
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        r = swr_alloc_set_opts2(&resampler_, &stereo, AV_SAMPLE_FMT_S16, kCdRate,
                                &codec_->ch_layout, codec_->sample_fmt, codec_->sample_rate, 0,
                                nullptr);
        if (r < 0 || (r = swr_init(resampler_)) < 0) {
            *why = ErrorText(r);
            return false;
        }
        duration_ = stream->duration != AV_NOPTS_VALUE
                        ? av_rescale_q(stream->duration, stream->time_base, AVRational{1, kCdRate})
                        : (format_->duration != AV_NOPTS_VALUE
                               ? av_rescale(format_->duration, kCdRate, AV_TIME_BASE)
                               : -1);
        return true;
    }

    int64_t ContainerFrames() const { return duration_; }

    int Read(int16_t* out, int frames) override {
        while (int(pending_.size() / 2) < frames && !drained_) {
            if (!Decode())
                return -1;
        }
        int n = std::min<int>(frames, int(pending_.size() / 2));
        std::memcpy(out, pending_.data(), size_t(n) * 4);
        pending_.erase(pending_.begin(), pending_.begin() + ptrdiff_t(n) * 2);
        return n;
    }

  private:
    // Moves the decoder on by one packet (or the final flush); false on a
    // damaged file.
    bool Decode() {
        if (!flushing_) {
            int r = av_read_frame(format_, packet_);
            if (r == AVERROR_EOF) {
                flushing_ = true;
                avcodec_send_packet(codec_, nullptr);
            } else if (r < 0) {
                return false;
            } else {
                bool ours = packet_->stream_index == stream_;
                if (ours && avcodec_send_packet(codec_, packet_) < 0 &&
                    ++badPackets_ > kBadPacketsAllowed) {
                    av_packet_unref(packet_);
                    return false;
                }
                av_packet_unref(packet_);
            }
        }
        for (;;) {
            int r = avcodec_receive_frame(codec_, frame_);
            if (r == AVERROR(EAGAIN))
                return true;
            if (r == AVERROR_EOF) {
                Convert(nullptr, 0);
                drained_ = true;
                return true;
            }
            if (r < 0)
                return false;
            Convert(const_cast<const uint8_t**>(frame_->extended_data), frame_->nb_samples);
            av_frame_unref(frame_);
        }
    }

    void Convert(const uint8_t** in, int count) {
        int room = swr_get_out_samples(resampler_, count);
        if (room <= 0)
            return;
        size_t at = pending_.size();
        pending_.resize(at + size_t(room) * 2);
        uint8_t* out = reinterpret_cast<uint8_t*>(pending_.data() + at);
        int got = swr_convert(resampler_, &out, room, in, count);
        pending_.resize(at + size_t(std::max(got, 0)) * 2);
    }

    static constexpr int kBadPacketsAllowed = 16;

    AVFormatContext* format_ = nullptr;
    AVCodecContext* codec_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVFrame* frame_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int stream_ = -1;
    int64_t duration_ = -1;
    bool flushing_ = false;
    bool drained_ = false;
    int badPackets_ = 0;
    std::vector<int16_t> pending_;
};

FfmpegDecoder* Open(const std::string& path, std::string* why) {
    auto* d = new FfmpegDecoder;
    if (!d->Open(path, why)) {
        delete d;
        return nullptr;
    }
    return d;
}

} // namespace

TrackDecoder* OpenTrackDecoder(const std::string& path, std::string* why) {
    return Open(path, why);
}

bool TrackFrames(const std::string& path, uint64_t* frames, std::string* why) {
    FfmpegDecoder* d = Open(path, why);
    if (!d)
        return false;
    int64_t known = d->ContainerFrames();
    if (known >= 0) {
        *frames = uint64_t(known);
        delete d;
        return true;
    }
    std::vector<int16_t> block(2 * 4096);
    uint64_t total = 0;
    for (;;) {
        int n = d->Read(block.data(), 4096);
        if (n < 0) {
            *why = "damaged file";
            delete d;
            return false;
        }
        if (n == 0)
            break;
        total += uint64_t(n);
    }
    delete d;
    *frames = total;
    return true;
}

} // namespace platform
