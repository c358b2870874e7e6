// The demo game's high-score data: the screen opens over it, the fonts hold
// ten and twenty-six distinct glyphs, and a finished table can be looked at
// in the screenshot the test leaves in its folder.
#include "highscores/HighScoresFixture.h"

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using hstest::HighScoresTest;

// The pixels of one frame of a font, as the surface holds them.
std::vector<uint32_t> Frame(Sprite& font, uint32_t n) {
    std::vector<uint32_t> out;
    int w = int(font.frameWidth), h = int(font.frameHeight);
    int sx = int(n % font.framesPerRow) * w, sy = int(n / font.framesPerRow) * h;
    platform::SurfaceDesc desc{};
    desc.size = sizeof(desc);
    EXPECT_EQ(font.surface->Lock(nullptr, &desc, platform::DDLOCK_WAIT, nullptr), platform::kOk);
    for (int y = sy; y < sy + h; ++y)
        for (int x = sx; x < sx + w; ++x) {
            uint16_t v;
            std::memcpy(&v, static_cast<uint8_t*>(desc.surface) + y * desc.pitch + x * 2, 2);
            out.push_back(v);
        }
    font.surface->Unlock(nullptr);
    return out;
}

TEST_F(HighScoresTest, TheDemoGamesDataMakesALegibleScreen) {
    for (const char* name : {"QEXAGB.000", "QEXAGS.013", "QEXAGS.014", "QEXAGS.015", "QEXASW.000"})
        fs::copy_file(fs::path(VRASK_GAME_DIR) / "data" / name, fs::path("data") / name,
                      fs::copy_options::overwrite_existing);
    Script("2 down RIGHT\n3 up RIGHT\n5 down SPACE\n6 up SPACE\n8 down ESCAPE\n");
    ASSERT_EQ(HighScores(1234567), 1) << Message();
    ASSERT_EQ(HighScoresInit(), 1) << Message();
    const uint32_t kFrames[3] = {10, 26, 26};
    for (int f = 0; f < 3; ++f) {
        Sprite& font = gHighScores.fonts[f];
        EXPECT_EQ(font.frameCount, kFrames[f]);
        // Every glyph differs from every other and has some of each: ink
        // and the transparent black around it.
        std::set<std::vector<uint32_t>> seen;
        for (uint32_t n = 0; n < kFrames[f]; ++n) {
            std::vector<uint32_t> pixels = Frame(font, n);
            size_t ink = pixels.size() - size_t(std::count(pixels.begin(), pixels.end(), 0u));
            EXPECT_GT(ink, pixels.size() / 10) << "font " << f << " frame " << n;
            EXPECT_LT(ink, pixels.size() / 2) << "font " << f << " frame " << n;
            seen.insert(pixels);
        }
        EXPECT_EQ(seen.size(), kFrames[f]) << "font " << f;
    }
    // The whole table fits the screen: the last row ends above the bottom.
    EXPECT_LE(110 + 7 * (gHighScores.fonts[kFontLetters].frameHeight + 10) +
                  gHighScores.fonts[kFontLetters].frameHeight,
              480u);
    EXPECT_EQ(HighScoresCleanup(), 1);
    EXPECT_EQ(TakeScreenshot(), 1);
    EXPECT_TRUE(fs::exists("Tolwick000.bmp"));
}

} // namespace
