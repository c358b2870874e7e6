// Outputs without an audio device: samples rendered in time and thrown away,
// or written to a WAV file for tests and recordings. On the real clock a
// thread of their own renders them; on the virtual clock they are rendered
// as virtual time moves on, so a sound lasts its length in virtual time and
// runs repeat exactly.
#include "platform/Clock.h"
#include "platform/core/ClockWatch.h"
#include "platform/core/Threads.h"
#include "platform/sound/SoundOutput.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace platform {
namespace {

class PacedOutput;

// The output that follows the virtual clock, and the lock its rendering
// takes: moving the clock, catching up and ending the output all meet here.
std::mutex gVirtualLock;
PacedOutput* gVirtualOutput = nullptr;

void OnClockMoved(int64_t now);

class PacedOutput : public SoundOutput {
  public:
    PacedOutput(const OutputFormat& format, RenderFn render, void* context, FILE* file)
        : format_(format), render_(render), context_(context), file_(file) {
        if (file_)
            WriteHeader(0);
        if (VirtualClock()) {
            start_ = VirtualNow();
            std::lock_guard<std::mutex> guard(gVirtualLock);
            gVirtualOutput = this;
            SetClockListener(OnClockMoved);
        } else {
            running_ = StartThread(&thread_, [this] { Run(); });
        }
    }

    // False when the real clock's render thread could not be had.
    bool Running() const { return running_; }

    ~PacedOutput() override {
        if (thread_.joinable()) {
            stop_ = true;
            thread_.join();
        } else {
            std::lock_guard<std::mutex> guard(gVirtualLock);
            if (gVirtualOutput == this)
                gVirtualOutput = nullptr;
        }
        if (file_) {
            WriteHeader(dataBytes_);
            std::fclose(file_);
        }
    }

    const char* Name() const override { return file_ ? "wav" : "null"; }

    // Renders everything due by virtual time `now`, when that is at least
    // `least` frames (gVirtualLock held).
    void RenderDue(int64_t now, uint64_t least) {
        if (now <= start_)
            return;
        uint64_t due = uint64_t(now - start_) * format_.rate / 1000000;
        if (due < rendered_ + std::max<uint64_t>(least, 1))
            return;
        const uint32_t block = format_.rate / 100;
        const uint32_t frameBytes = format_.channels * format_.bits / 8;
        scratch_.resize(size_t(block) * frameBytes);
        while (rendered_ < due) {
            uint32_t frames = uint32_t(std::min<uint64_t>(block, due - rendered_));
            render_(context_, scratch_.data(), frames);
            if (file_)
                dataBytes_ +=
                    uint32_t(std::fwrite(scratch_.data(), 1, size_t(frames) * frameBytes, file_));
            rendered_ += frames;
        }
        if (file_)
            std::fflush(file_);
    }

    uint32_t Rate() const { return format_.rate; }

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
    bool running_ = true;
    int64_t start_ = 0;     // virtual time of the first frame
    uint64_t rendered_ = 0; // frames rendered since then
    std::vector<uint8_t> scratch_;
};

// Every millisecond of virtual time is rendered as it passes; CatchUp takes
// the rest.
void OnClockMoved(int64_t now) {
    std::lock_guard<std::mutex> guard(gVirtualLock);
    if (gVirtualOutput)
        gVirtualOutput->RenderDue(now, gVirtualOutput->Rate() / 1000);
}

} // namespace

void CatchUpSoundOutput() {
    if (!VirtualClock())
        return;
    std::lock_guard<std::mutex> guard(gVirtualLock);
    if (gVirtualOutput)
        gVirtualOutput->RenderDue(VirtualNow(), 0);
}

namespace {
SoundOutput* Started(PacedOutput* output) {
    if (output->Running())
        return output;
    delete output;
    return nullptr;
}
} // namespace

SoundOutput* OpenNullSoundOutput(const OutputFormat& format, RenderFn render, void* context) {
    return Started(new PacedOutput(format, render, context, nullptr));
}

SoundOutput* OpenWavSoundOutput(const char* path, const OutputFormat& format, RenderFn render,
                                void* context) {
    FILE* file = std::fopen(path, "wb");
    if (!file)
        return nullptr;
    return Started(new PacedOutput(format, render, context, file));
}

} // namespace platform
