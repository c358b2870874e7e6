// Outputs without an audio device: samples rendered in real time and thrown
// away, or written to a WAV file for tests and recordings.
#include "platform/sound/SoundOutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

namespace platform {
namespace {

class PacedOutput : public SoundOutput {
  public:
    PacedOutput(const OutputFormat& format, RenderFn render, void* context, FILE* file)
        : format_(format), render_(render), context_(context), file_(file) {
        if (file_)
            WriteHeader(0);
        thread_ = std::thread([this] { Run(); });
    }

    ~PacedOutput() override {
        stop_ = true;
        thread_.join();
        if (file_) {
            WriteHeader(dataBytes_);
            std::fclose(file_);
        }
    }

    const char* Name() const override { return file_ ? "wav" : "null"; }

  private:
    // Renders in blocks of 10 ms against the real clock, catching up after a
    // stall but never by more than a fifth of a second.
    void Run() {
        using Clock = std::chrono::steady_clock;
        const uint32_t block = format_.rate / 100;
        const uint32_t frameBytes = format_.channels * format_.bits / 8;
        std::vector<uint8_t> samples(size_t(block) * frameBytes);
        auto start = Clock::now();
        uint64_t rendered = 0;
        while (!stop_) {
            uint64_t due =
                uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - start)
                             .count()) *
                format_.rate / 1000000;
            if (due > rendered + format_.rate / 5)
                rendered = due - format_.rate / 5;
            while (rendered + block <= due && !stop_) {
                render_(context_, samples.data(), block);
                if (file_) {
                    dataBytes_ += uint32_t(std::fwrite(samples.data(), 1, samples.size(), file_));
                    std::fflush(file_);
                }
                rendered += block;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

    void WriteHeader(uint32_t dataBytes) {
        uint16_t align = uint16_t(format_.channels * format_.bits / 8);
        uint8_t h[44];
        auto put32 = [&](int at, uint32_t v) {
            for (int i = 0; i < 4; ++i)
                h[at + i] = uint8_t(v >> (8 * i));
        };
        auto put16 = [&](int at, uint16_t v) {
            h[at] = uint8_t(v);
            h[at + 1] = uint8_t(v >> 8);
        };
        std::copy_n("RIFF", 4, h);
        put32(4, 36 + dataBytes);
        std::copy_n("WAVEfmt ", 8, h + 8);
        put32(16, 16);
        put16(20, 1);
        put16(22, format_.channels);
        put32(24, format_.rate);
        put32(28, format_.rate * align);
        put16(32, align);
        put16(34, format_.bits);
        std::copy_n("data", 4, h + 36);
        put32(40, dataBytes);
        std::fseek(file_, 0, SEEK_SET);
        std::fwrite(h, 1, sizeof(h), file_);
        std::fseek(file_, 0, SEEK_END);
        std::fflush(file_);
    }

    OutputFormat format_;
    RenderFn render_;
    void* context_;
    FILE* file_;
    uint32_t dataBytes_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

} // namespace

SoundOutput* OpenNullSoundOutput(const OutputFormat& format, RenderFn render, void* context) {
    return new PacedOutput(format, render, context, nullptr);
}

SoundOutput* OpenWavSoundOutput(const char* path, const OutputFormat& format, RenderFn render,
                                void* context) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return nullptr;
    return new PacedOutput(format, render, context, file);
}

} // namespace platform
