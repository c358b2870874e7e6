// The high-score table: loaded, a new score entered, drawn with the fonts
// over the background, saved, and loaded again to the same table.
#include "engine/Globals.h"
#include "engine/HighScores.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Display.h"
#include "tools/Pictures.h"

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Fonts of the sizes the screen expects: digits, letters, letters in edit.
void WriteFont(const char* path, uint32_t width, uint32_t height, uint32_t perRow,
               uint32_t frames) {
    gamedata::SpriteSheetFileDesc sheet;
    sheet.frameWidth = width;
    sheet.frameHeight = height;
    sheet.framesPerRow = perRow;
    int w = int(perRow * width), h = int((frames + perRow - 1) / perRow * height);
    sheet.bitmap = {.width = w,
                    .height = h,
                    .bitCount = 24,
                    .pixels = gamedata::DibRows(
                        w, h, 24, [](int x, int y) { return uint32_t(x * 7 + y * 3) & 0xFFFFFF; })};
    sheet.frames.resize(frames);
    std::vector<uint8_t> bytes = gamedata::BuildSpriteSheetFile(sheet);
    fuzz::WriteFile(path, bytes.data(), bytes.size());
}

bool Ready() {
    if (!fuzz::Display(640, 480, 16))
        return false;
    WriteFont("data/QEXAGS.013", 12, 14, 4, 10);
    WriteFont("data/QEXAGS.014", 16, 20, 7, 26);
    WriteFont("data/QEXAGS.015", 14, 18, 5, 26);
    const char* names[3] = {"QEXAGS.013", "QEXAGS.014", "QEXAGS.015"};
    for (int i = 0; i < 3; ++i) {
        std::strcpy(gHighScores.fonts[i].sheetFile, names[i]);
        if (LoadSprite(&gHighScores.fonts[i], 1) != 1)
            return false;
    }
    gHighScores.background = fuzz::PlainSurface(640, 480);
    return gHighScores.background != nullptr;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("high_scores");
    static bool ready = Ready();
    if (!ready || size < 4)
        return 0;
    // The first four bytes are the score the player makes; the rest the file.
    uint32_t score = uint32_t(data[0]) | uint32_t(data[1]) << 8 | uint32_t(data[2]) << 16 |
                     uint32_t(data[3]) << 24;
    fuzz::WriteFile("data/QEXALL.000", data + 4, size - 4);
    gErrorInfo = ErrorInfo{};
    if (HighScoresLoad() == 1) {
        HighScoresInsert(score);
        HighScoresPrepare();
        HighScoresRenderBackground();
        HighScoresRenderScores();
        HighScoresRenderInitials();
        uint32_t scores[kHighScoreCount];
        uint8_t initials[kHighScoreCount][kHighScoreInitialsSize];
        std::memcpy(scores, gHighScores.scores, sizeof(scores));
        std::memcpy(initials, gHighScores.initials, sizeof(initials));
        if (HighScoresSave() == 1 &&
            (HighScoresLoad() != 1 || std::memcmp(scores, gHighScores.scores, sizeof(scores)) ||
             std::memcmp(initials, gHighScores.initials, sizeof(initials))))
            std::abort(); // the table did not survive its own round trip
    }
    gErrorInfo = ErrorInfo{};
    return 0;
}
