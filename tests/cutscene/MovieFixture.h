// What the cutscene tests share: small movies made with the ffmpeg tool, a
// display whose primary surface the test can look at while a movie plays,
// and a keyboard that the test presses frame by frame.
#pragma once

#include "cutscene/MovieMaker.h"
#include "engine/CutsceneEngine.h"
#include "engine/Globals.h"
#include "platform/Display.h"
#include "platform/Faults.h"
#include "platform/Input.h"
#include "platform/Movie.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace cutscenetest {

// Forwards to the real display, keeping the primary surfaces it makes.
class WatchedDisplay final : public platform::Display {
  public:
    explicit WatchedDisplay(platform::Display* real) : real_(real) {}
    ~WatchedDisplay() override {
        for (auto* s : primaries)
            s->Release();
        real_->Release();
    }
    platform::Result SetCooperativeLevel(platform::Window* w, uint32_t flags) override {
        return real_->SetCooperativeLevel(w, flags);
    }
    platform::Result SetDisplayMode(uint32_t w, uint32_t h, uint32_t bits, uint32_t rate,
                                    uint32_t flags) override {
        modes.push_back({w, h, bits});
        return real_->SetDisplayMode(w, h, bits, rate, flags);
    }
    platform::Result RestoreDisplayMode() override { return real_->RestoreDisplayMode(); }
    platform::Result GetDisplayMode(platform::SurfaceDesc* d) override {
        return real_->GetDisplayMode(d);
    }
    platform::Result CreateSurface(platform::SurfaceDesc* d, platform::Surface** out,
                                   void* outer) override {
        platform::Result r = real_->CreateSurface(d, out, outer);
        if (r == platform::kOk && (d->caps & platform::DDSCAPS_PRIMARYSURFACE)) {
            (*out)->AddRef();
            primaries.push_back(*out);
        }
        return r;
    }

    struct Mode {
        uint32_t width, height, bits;
    };
    std::vector<Mode> modes;
    std::vector<platform::Surface*> primaries;

  private:
    platform::Display* real_;
};

// A keyboard whose every read calls the test with the read's number (from 1)
// and the keys to fill in.
class ScriptedKeyboard final : public platform::InputDevice {
  public:
    std::function<void(int read, uint8_t keys[256])> onRead;
    int reads = 0;

    platform::Result SetDataFormat(platform::DataFormat) override { return platform::kOk; }
    platform::Result SetCooperativeLevel(platform::Window*, uint32_t) override {
        return platform::kOk;
    }
    platform::Result SetProperty(uint32_t, const platform::PropHeader*) override {
        return platform::kOk;
    }
    platform::Result Acquire() override { return platform::kOk; }
    platform::Result Unacquire() override { return platform::kOk; }
    platform::Result Poll() override { return platform::kOk; }
    platform::Result GetDeviceState(uint32_t size, void* data) override {
        if (size != 256)
            return platform::kInvalidParam;
        uint8_t keys[256] = {};
        ++reads;
        if (onRead)
            onRead(reads, keys);
        std::memcpy(data, keys, 256);
        return platform::kOk;
    }
};

// Records the volumes a movie's sound is given and the stream's seeks, and
// otherwise forwards to the real stream.
class RecordingAudio final : public platform::BasicAudio {
  public:
    RecordingAudio(platform::BasicAudio* real, std::vector<int32_t>* log)
        : real_(real), log_(log) {}
    ~RecordingAudio() override { real_->Release(); }
    platform::Result put_Volume(int32_t v) override {
        log_->push_back(v);
        return real_->put_Volume(v);
    }
    platform::Result get_Volume(int32_t* v) override { return real_->get_Volume(v); }

  private:
    platform::BasicAudio* real_;
    std::vector<int32_t>* log_;
};

class RecordingGraph final : public platform::FilterGraph {
  public:
    RecordingGraph(platform::FilterGraph* real, std::vector<int32_t>* log)
        : real_(real), log_(log) {}
    ~RecordingGraph() override { real_->Release(); }
    platform::Result QueryBasicAudio(platform::BasicAudio** out) override {
        platform::BasicAudio* audio = nullptr;
        platform::Result r = real_->QueryBasicAudio(&audio);
        *out = r == platform::kOk ? new RecordingAudio(audio, log_) : nullptr;
        return r;
    }

  private:
    platform::FilterGraph* real_;
    std::vector<int32_t>* log_;
};

class RecordingStream final : public platform::MultiMediaStream {
  public:
    explicit RecordingStream(platform::MultiMediaStream* real) : real_(real) {}
    ~RecordingStream() override { real_->Release(); }
    platform::Result Initialize(uint32_t t, uint32_t f, platform::FilterGraph* g) override {
        return real_->Initialize(t, f, g);
    }
    platform::Result AddMediaStream(platform::Display* d, uint32_t p, uint32_t f) override {
        return real_->AddMediaStream(d, p, f);
    }
    platform::Result OpenFile(const char* path, uint32_t f) override {
        return real_->OpenFile(path, f);
    }
    platform::Result GetMediaStream(uint32_t p, platform::MediaStream** out) override {
        return real_->GetMediaStream(p, out);
    }
    platform::Result GetFilterGraph(platform::FilterGraph** out) override {
        platform::FilterGraph* graph = nullptr;
        platform::Result r = real_->GetFilterGraph(&graph);
        *out = r == platform::kOk ? new RecordingGraph(graph, &volumes) : nullptr;
        return r;
    }
    platform::Result Seek(int64_t time) override {
        ++seeks;
        return real_->Seek(time);
    }
    platform::Result SetState(uint32_t state) override { return real_->SetState(state); }

    std::vector<int32_t> volumes;
    int seeks = 0;

  private:
    platform::MultiMediaStream* real_;
};

class CutsceneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveFfmpeg())
            GTEST_SKIP() << "the ffmpeg tool is not installed";
        platform::SetFaults(nullptr);
        scratch_ = std::make_unique<ScratchDir>();
        std::filesystem::create_directories("data");
        std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
        std::memset(&gInputState, 0, sizeof(gInputState));
        gMenuControl = MenuControl{};
        gMenuControl.effectsVolume = 100;
        platform::Display* real = nullptr;
        ASSERT_EQ(platform::CreateDisplay(&real), platform::kOk);
        display_ = new WatchedDisplay(real);
        gDisplay = DisplayHandles{display_, nullptr, nullptr};
        keyboard_ = new ScriptedKeyboard;
        gInputState.keyboard = keyboard_;
    }

    void TearDown() override {
        platform::SetFaults(nullptr);
        if (gDisplay.primary)
            gDisplay.primary->Release();
        gDisplay = DisplayHandles{};
        if (display_)
            display_->Release();
        gInputState.keyboard = nullptr;
        if (keyboard_)
            keyboard_->Release();
        scratch_.reset();
    }

    // The primary surface the movie is playing on.
    platform::Surface* Screen() const {
        return display_->primaries.empty() ? nullptr : display_->primaries.back();
    }

    static uint32_t Pixel(platform::Surface* s, int x, int y) {
        platform::SurfaceDesc desc{};
        desc.size = sizeof(desc);
        if (s->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr) != platform::kOk)
            return 0xDEADBEEF;
        uint32_t bytes = desc.pixelFormat.rgbBitCount / 8;
        uint32_t v = 0;
        std::memcpy(&v, static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * bytes, bytes);
        s->Unlock(nullptr);
        return v;
    }

    static platform::GammaRamp Ramp(platform::Surface* s) {
        platform::GammaRamp ramp{};
        platform::GammaControl* gamma = nullptr;
        if (s && s->GetGammaControl(&gamma) == platform::kOk) {
            gamma->GetGammaRamp(0, &ramp);
            gamma->Release();
        }
        return ramp;
    }

    // Opens data\<name> as the game does and plays it through the recorder.
    int PlayRecorded(const char* name, uint32_t flags, RecordingStream** recorder) {
        platform::MultiMediaStream* stream = nullptr;
        std::string path = std::string("data\\") + name;
        if (RenderFileToMMStream(path.c_str(), &stream, display_) != platform::kOk)
            return -1;
        auto* wrapped = new RecordingStream(stream);
        *recorder = wrapped;
        return RenderStreamToSurface(wrapped, flags, 1, 57, display_) == platform::kOk ? 1 : 0;
    }

    std::string Message() const { return gErrorInfo.message; }
    std::string Location() const { return gErrorInfo.location; }

    std::unique_ptr<ScratchDir> scratch_;
    WatchedDisplay* display_ = nullptr;
    ScriptedKeyboard* keyboard_ = nullptr;
};

} // namespace cutscenetest
