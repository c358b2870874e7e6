#include "demo/HighScoreArt.h"
#include "demo/Glyphs.h"
#include "tools/GameData.h"
#include "tools/Pictures.h"
#include "tools/WavData.h"

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

namespace demo {
namespace {

constexpr int kScale = 4;                 // a glyph pixel is 4 x 4
constexpr int kFrameW = 28, kFrameH = 34; // 20 x 28 glyphs with a margin
constexpr int kGlyphX = 4, kGlyphY = 3;

// Shades a colour from full at the top of a glyph to two thirds at its foot.
uint32_t Shade(uint32_t colour, int y, int height) {
    double f = 1.0 - y / (3.0 * height);
    uint32_t out = 0;
    for (int shift : {0, 8, 16})
        out |= uint32_t(((colour >> shift) & 0xFF) * f) << shift;
    return out | 0x010101; // never the black of the colour key
}

// Frames `first` to `first + count - 1` of the glyph table, `perRow` across,
// in one colour on black (the transparent colour).
std::vector<uint8_t> FontSheet(int first, int count, int perRow, uint32_t colour) {
    int rows = (count + perRow - 1) / perRow;
    int width = perRow * kFrameW, height = rows * kFrameH;
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = kFrameW;
    sheet.frameHeight = kFrameH;
    sheet.framesPerRow = uint32_t(perRow);
    sheet.bitmap = {.width = width,
                    .height = height,
                    .bitCount = 24,
                    .pixels = gamedata::DibRows(width, height, 24, [=](int x, int y) {
                        int frame = (y / kFrameH) * perRow + x / kFrameW;
                        int fx = x % kFrameW - kGlyphX, fy = y % kFrameH - kGlyphY;
                        if (frame >= count || !GlyphPixel(first + frame, fx, fy, kScale))
                            return 0u;
                        return Shade(colour, fy, 7 * kScale);
                    })};
    sheet.frames.resize(size_t(count));
    return gamedata::BuildSpriteSheetFile(sheet);
}

} // namespace

std::vector<uint8_t> DigitFont() {
    return FontSheet(0, 10, 10, 0xFFD040);
}

std::vector<uint8_t> LetterFont() {
    return FontSheet(10, 26, 13, 0xF0F0F0);
}

std::vector<uint8_t> EditingLetterFont() {
    return FontSheet(10, 26, 13, 0xFF6030);
}

std::vector<uint8_t> HighScoreBackground() {
    const std::string title = "HIGH SCORES";
    constexpr int kTitleScale = 6, kAdvance = 6 * kTitleScale;
    const int titleX = (640 - int(title.size()) * kAdvance + kTitleScale) / 2, titleY = 30;
    auto value = [&](int x, int y) -> uint32_t {
        int cell = (x - titleX) / kAdvance;
        if (x >= titleX && cell < int(title.size()) && title[size_t(cell)] != ' ') {
            int glyph = 10 + (title[size_t(cell)] - 'A');
            if (GlyphPixel(glyph, (x - titleX) % kAdvance, y - titleY, kTitleScale))
                return Shade(0x60C0FF, y - titleY, 7 * kTitleScale);
        }
        // A panel behind the table, on a deep blue gradient.
        bool panel = x >= 70 && x < 540 && y >= 98 && y < 462;
        double t = y / 479.0;
        uint32_t blue = uint32_t(90 - 60 * t), green = uint32_t(30 - 20 * t);
        if (panel)
            return (x == 70 || x == 539 || y == 98 || y == 461) ? 0x5080A0u : 0x101828u;
        return green << 8 | blue;
    };
    gamedata::BmpFileDesc bmp{.width = 640, .height = 480, .bitCount = 24};
    bmp.pixels = gamedata::DibRows(640, 480, 24, value);
    return gamedata::BuildBmpFile(bmp);
}

std::vector<uint8_t> HighScoreMusic() {
    // Four bars of a slow arpeggio at 22050 Hz, the same on both sides (the
    // stream takes stereo at the mixer's rate or half of it); it loops.
    constexpr int kRate = 22050, kNoteFrames = kRate / 4;
    const double notes[] = {220.0,  277.18, 329.63, 440.0,  329.63, 277.18, 246.94, 293.66,
                            369.99, 493.88, 369.99, 293.66, 220.0,  261.63, 329.63, 392.0};
    std::vector<int16_t> samples;
    for (double freq : notes)
        for (int i = 0; i < kNoteFrames; ++i) {
            double envelope = std::exp(-3.0 * i / kNoteFrames);
            auto v = int16_t(6000 * envelope * std::sin(2 * M_PI * freq * i / kRate));
            samples.push_back(v);
            samples.push_back(v);
        }
    gamedata::WavDesc wav;
    wav.channels = 2;
    wav.rate = kRate;
    wav.bits = 16;
    wav.samples = gamedata::Pcm16(samples);
    return gamedata::BuildWav(wav);
}

} // namespace demo
