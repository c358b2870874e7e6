// The sdl backend's audio device: music streamed and an effect over it reach
// SDL's output. CI runs it with SDL's disk driver under a virtual display;
// without a display the backend is headless and the test has nothing to do.
#include "platform/Platform.h"
#include "platform/Sound.h"
#include "soundfx/SoundFX.h"
#include "tests/sound/SoundTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace soundtest;

TEST(SdlAudio, MusicLoopsAndAnEffectPlaysOverIt) {
    std::string dir = ScratchDir("sdl_audio");
    std::string disk = dir + "/disk.raw";
    setenv("VRASK_BACKEND", "sdl", 1);
    unsetenv("VRASK_AUDIO");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", disk.c_str(), 1);
    if (platform::IsHeadless())
        GTEST_SKIP() << "no display: the sdl backend is not available";

    ErrorInfo record{};
    ASSERT_EQ(SoundFXInit(nullptr, &record, 2, 44100, 16), 1);
    // A quiet music file shorter than the stream buffer, and a loud effect.
    std::vector<int16_t> music(4096 * 2 * 2, 500), effect(2205, 20000);
    ASSERT_TRUE(Write(dir + "/music.wav", BuildWav(Pcm(2, 44100, 16, music))));
    ASSERT_TRUE(Write(dir + "/hit.wav", BuildWav(Pcm(1, 22050, 16, effect))));
    ASSERT_EQ(SoundFXWavPlay((dir + "/music.wav").c_str()), 1) << record.message;
    platform::SoundBuffer* hit = SoundFXGetBuffer((dir + "/hit.wav").c_str());
    ASSERT_NE(hit, nullptr) << record.message;
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    ASSERT_EQ(hit->Play(0), platform::kOk); // 100 ms, on the music or in its gap
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    SoundFXWavStop();
    hit->Release();
    SoundFXCleanup();

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(gamedata::ReadFileBytes(disk, &bytes));
    std::vector<int16_t> heard = Samples16(bytes);
    size_t quiet = 0, loud = 0, silent = 0;
    for (int16_t s : heard) {
        quiet += s == 500;
        loud += s == 20500 || s == 20000;
        silent += s == 0;
    }
    // The music, twice round with its gaps; the effect on top of it.
    EXPECT_GT(quiet, music.size()) << heard.size();
    EXPECT_GT(loud, 8000u);
    EXPECT_GT(silent, 0u);
}
