// The audio device through SDL, fed by the mixer from SDL's audio thread.
#include "platform/Debug.h"
#include "platform/sound/SoundOutput.h"

#include <SDL.h>

namespace platform {
namespace {

class SdlOutput : public SoundOutput {
  public:
    SdlOutput(SDL_AudioDeviceID device, RenderFn render, void* context, uint32_t frameBytes)
        : device_(device), render_(render), context_(context), frameBytes_(frameBytes) {}

    ~SdlOutput() override {
        SDL_CloseAudioDevice(device_);
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }

    const char* Name() const override { return "sdl"; }

    void Start() { SDL_PauseAudioDevice(device_, 0); }

    static void Callback(void* user, Uint8* stream, int length) {
        auto* self = static_cast<SdlOutput*>(user);
        self->render_(self->context_, stream, uint32_t(length) / self->frameBytes_);
    }

    void SetDevice(SDL_AudioDeviceID device) { device_ = device; }

  private:
    SDL_AudioDeviceID device_;
    RenderFn render_;
    void* context_;
    uint32_t frameBytes_;
};

} // namespace

SoundOutput* OpenSdlSoundOutput(const OutputFormat& format, RenderFn render, void* context) {
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        DebugPrintf("Sound: SDL audio unavailable: %s\n", SDL_GetError());
        return nullptr;
    }
    auto* output = new SdlOutput(0, render, context, format.channels * format.bits / 8);
    SDL_AudioSpec want{};
    want.freq = int(format.rate);
    want.format = format.bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    want.channels = uint8_t(format.channels);
    want.samples = 1024;
    want.callback = SdlOutput::Callback;
    want.userdata = output;
    SDL_AudioSpec have{};
    // SDL converts to what the device takes; the mixer keeps the game's format.
    SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device == 0) {
        DebugPrintf("Sound: cannot open the audio device: %s\n", SDL_GetError());
        output->SetDevice(0);
        delete output;
        return nullptr;
    }
    output->SetDevice(device);
    DebugPrintf("Sound: audio device \"%s\" at %d Hz\n", SDL_GetCurrentAudioDriver(), have.freq);
    output->Start();
    return output;
}

} // namespace platform
