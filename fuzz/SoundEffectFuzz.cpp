// Sound-effect WAV files through the library's loader and its acceptance
// rules, cached and uncached; what loads is played and mixed.
#include "engine/Globals.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("sound_effect");
    static bool ready = SoundFXInit(nullptr, &gErrorInfo, 2, 44100, 16) == 1;
    if (!ready)
        return 0;
    fuzz::WriteFile("data/effect.wav", data, size);
    gErrorInfo = ErrorInfo{};
    if (platform::SoundBuffer* buffer = SoundFXGetBufferNoCache("data\\effect.wav")) {
        buffer->Play(0);
        buffer->Stop();
        buffer->Release();
    }
    if (platform::SoundBuffer* buffer = SoundFXGetBuffer("data\\effect.wav"))
        buffer->Release();
    SoundFXClearCache();
    gErrorInfo = ErrorInfo{};
    return 0;
}
