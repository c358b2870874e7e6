// A CD track on the real audio device next to the sound-effects library, as
// the game runs them: it plays, is paused and resumed by the CD line's
// volume, and loops, all through the one output (SDL's disk driver here).
// Runs on the real clock; without a display there is no sdl backend and the
// test has nothing to do.
#include "cdaudio/CDAudio.h"
#include "platform/Platform.h"
#include "soundfx/SoundFX.h"
#include "tests/cdaudio/CdTestUtil.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

TEST(CdSdl, ATrackPlaysPausesByVolumeAndLoopsOnTheAudioDevice) {
    setenv("VRASK_CLOCK", "real", 1);
    setenv("VRASK_BACKEND", "sdl", 1);
    unsetenv("VRASK_AUDIO");
    cdtest::Scratch dir;
    std::string disk = (dir.Path() / "disk.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", disk.c_str(), 1);
    if (platform::IsHeadless())
        GTEST_SKIP() << "no display: the sdl backend is not available";
    ASSERT_TRUE(cdtest::LevelTrack("data/cdaudio/track02.wav", 400, 7000));

    ErrorInfo record{};
    ASSERT_EQ(CDAudioInit(nullptr, &record), 1) << record.message;
    ASSERT_EQ(SoundFXInit(nullptr, &record, 2, 44100, 16), 1) << record.message;
    ASSERT_EQ(CDAudioSetVolume(100), 1) << record.message;
    ASSERT_EQ(CDAudioPlay(2), 1) << record.message;
    auto start = std::chrono::steady_clock::now();
    bool paused = false, resumed = false;
    for (;;) {
        auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - start)
                      .count();
        if (ms > 2500)
            break;
        if (ms > 600 && !paused) {
            ASSERT_EQ(CDAudioSetVolume(0), 1);
            paused = true;
        }
        if (ms > 900 && !resumed) {
            ASSERT_EQ(CDAudioSetVolume(100), 1);
            resumed = true;
        }
        EXPECT_EQ(CDAudioRefresh(), 1) << record.message;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(CDAudioStop(), 1);
    EXPECT_EQ(CDAudioCleanup(), 1) << record.message;
    SoundFXCleanup();

    std::vector<uint8_t> bytes;
    ASSERT_TRUE(gamedata::ReadFileBytes(disk, &bytes));
    std::vector<int16_t> heard = cdtest::Samples16(bytes);
    // 7000 at 65500 of 65535.
    const int16_t level = int16_t(7000 * 65500 / 65535);
    size_t loud = 0, firstLoud = SIZE_MAX, gap = 0, longestGap = 0, gapEnd = 0;
    for (size_t i = 0; i + 1 < heard.size(); i += 2) {
        if (heard[i] == level && heard[i + 1] == level) {
            ++loud;
            if (firstLoud == SIZE_MAX)
                firstLoud = i / 2;
            if (gap > longestGap) {
                longestGap = gap;
                gapEnd = i / 2;
            }
            gap = 0;
        } else if (firstLoud != SIZE_MAX && heard[i] == 0) {
            ++gap;
        }
    }
    ASSERT_NE(firstLoud, SIZE_MAX) << heard.size();
    // Paused for about 300 ms between two stretches of the track.
    EXPECT_GT(longestGap, 44100u * 2 / 10);
    EXPECT_GT(gapEnd, firstLoud);
    // Heard for longer than the track lasts: it came round again.
    EXPECT_GT(loud, 44100u * 6 / 10);
}
