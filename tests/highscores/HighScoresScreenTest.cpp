// The screen as a whole: initials entered from scripted input, the table
// saved or left alone, what is drawn, lost surfaces, and set-up failures.
#include "highscores/HighScoresFixture.h"

#include "platform/Clock.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using hstest::FontShape;
using hstest::HighScoresTest;
using hstest::kDefaultScores;

// A key pressed at read `at` and let go two reads later.
std::string Tap(int at, const char* key) {
    return std::to_string(at) + " down " + key + "\n" + std::to_string(at + 2) + " up " + key +
           "\n";
}

// ---- Entering initials ---------------------------------------------------------

TEST_F(HighScoresTest, ThreeJumpsConfirmTheLettersAndAFourthClosesTheScreen) {
    // 30000 goes in at position 6. Right, right: C; jump; left: Z; jump;
    // jump leaves the third at A; the fourth jump closes.
    Script(Tap(2, "RIGHT") + Tap(6, "RIGHT") + Tap(10, "SPACE") + Tap(14, "LEFT") +
           Tap(18, "SPACE") + Tap(22, "SPACE") + Tap(26, "SPACE") + Tap(200, "ESCAPE"));
    ASSERT_EQ(HighScores(30000), 1) << Message();
    EXPECT_EQ(gHighScores.entryDone, 1);
    EXPECT_EQ(gHighScores.scores[6], 30000u);
    EXPECT_EQ(Letters(6), "CZA");
    auto saved = ReadBytes("data/QEXALL.000");
    ASSERT_EQ(saved.size(), 288u);
    EXPECT_EQ(saved[24], 0x30); // 30000 = 0x7530
    EXPECT_EQ(saved[25], 0x75);
    EXPECT_EQ(saved[32 + 6 * 32 + 0], 2);
    EXPECT_EQ(saved[32 + 6 * 32 + 1], 25);
    EXPECT_EQ(saved[32 + 6 * 32 + 2], 0);
    EXPECT_EQ(saved[32 + 7 * 32 + 0], gHighScores.initials[7][0]);
    // The screen closed on the fourth jump, well before the Escape.
    EXPECT_EQ(gErrorInfo.code, 0);
    EXPECT_EQ(gHighScores.background, nullptr);
    EXPECT_EQ(gHighScores.fonts[0].surface, nullptr);
}

TEST_F(HighScoresTest, EscapeDuringEntryClosesAndSavesTheLettersSoFar) {
    Table(kDefaultScores, std::vector<std::string>(8, "QQQ"));
    Script(Tap(2, "LEFT") + Tap(6, "SPACE") + Tap(10, "RIGHT") + Tap(14, "ESCAPE"));
    ASSERT_EQ(HighScores(999999), 1) << Message();
    EXPECT_EQ(gHighScores.scores[0], 999999u);
    EXPECT_EQ(Letters(0), "ZBA");
    auto saved = ReadBytes("data/QEXALL.000");
    ASSERT_EQ(saved.size(), 288u);
    EXPECT_EQ(saved[32 + 0], 25);
    EXPECT_EQ(saved[32 + 1], 1);
    EXPECT_EQ(saved[32 + 2], 0);
    EXPECT_EQ(saved[32 + 32], uint8_t('Q' - 'A')); // the old best, now second
}

TEST_F(HighScoresTest, WithoutAQualifyingScoreJumpOrEscapeCloseAndTheFileIsNotRewritten) {
    // A longer file shows whether it was written again: a save writes 288.
    auto file = hstest::TableFile(kDefaultScores, std::vector<std::string>(8, "ABC"));
    file.insert(file.end(), 12, 0x55);
    for (const char* key : {"SPACE", "ESCAPE"}) {
        SCOPED_TRACE(key);
        WriteBytes("data/QEXALL.000", file);
        Script(Tap(3, key));
        ASSERT_EQ(HighScores(0), 1) << Message();
        EXPECT_EQ(gHighScores.changed, 0);
        EXPECT_EQ(ReadBytes("data/QEXALL.000"), file);
        InputCleanup();
    }
}

TEST_F(HighScoresTest, KeysHeldAsTheScreenOpensAreNotPresses) {
    // Jump and Escape are down from the first read and Escape is never let
    // go; right is held for 100 reads from the first, far less than 250 ms.
    // Only the later right press and the later jump presses count.
    Script("0 down SPACE\n0 down ESCAPE\n0 down RIGHT\n100 up RIGHT\n105 up SPACE\n" +
           Tap(110, "RIGHT") + Tap(115, "SPACE") + Tap(120, "SPACE") + Tap(125, "SPACE") +
           Tap(130, "SPACE"));
    platform::Sleep(1000); // the clock well past its start, as after a game
    ASSERT_EQ(HighScores(20000), 1) << Message();
    EXPECT_EQ(Letters(7), "BAA");
}

// Holding right from read 2: one step at once, then one each time more than
// 250 ms have passed. Each read of the virtual clock moves it on 50 us, and
// the screen reads it once a frame while a direction is held, so 250 ms is
// 5000 frames.
TEST_F(HighScoresTest, HoldingRightStepsAtOnceThenEveryQuarterSecond) {
    struct Hold {
        int frames;
        const char* letters;
    } kHolds[] = {{40, "BAA"}, {4990, "BAA"}, {5100, "CAA"}, {16000, "EAA"}};
    for (const Hold& h : kHolds) {
        SCOPED_TRACE(h.frames);
        fs::remove("data/QEXALL.000");
        Script("2 down RIGHT\n" + std::to_string(2 + h.frames) + " up RIGHT\n" +
               Tap(h.frames + 10, "ESCAPE"));
        ASSERT_EQ(HighScores(20000), 1) << Message();
        EXPECT_EQ(Letters(7), h.letters);
        InputCleanup();
    }
}

// ---- Drawing -----------------------------------------------------------------

class RenderTest : public HighScoresTest {
  protected:
    void SetUp() override {
        HighScoresTest::SetUp();
        if (HasFatalFailure())
            return;
        Table({12345678, 150000, 125000, 100000, 75000, 50000, 25000, 100},
              {"ABC", "XYZ", "DEF", "GHI", "JKL", "MNO", "PQR", "STU"});
        ASSERT_EQ(HighScoresInit(), 1) << Message();
    }
    void TearDown() override {
        if (gHighScores.background)
            HighScoresCleanup();
        HighScoresTest::TearDown();
    }

    // The centre of a frame of a font lands at (x, y) of `surface`, and the
    // frame's transparent corner shows the background there.
    void ExpectGlyph(platform::Surface* surface, int font, uint32_t frame, int x, int y) {
        Sprite& f = gHighScores.fonts[font];
        int w = int(f.frameWidth), h = int(f.frameHeight);
        int sx = int(frame % f.framesPerRow) * w, sy = int(frame / f.framesPerRow) * h;
        EXPECT_EQ(At(surface, x + w / 2, y + h / 2), At(f.surface, sx + w / 2, sy + h / 2))
            << "font " << font << " frame " << frame << " at " << x << "," << y;
        EXPECT_EQ(At(surface, x, y), At(gHighScores.background, x, y))
            << "transparent corner at " << x << "," << y;
    }

    void Draw() {
        HighScoresPrepare();
        ASSERT_EQ(HighScoresRenderBackground(), 1);
        ASSERT_EQ(HighScoresRenderScores(), 1);
        ASSERT_EQ(HighScoresRenderInitials(), 1);
    }
};

TEST_F(RenderTest, DigitsAndLettersLandWhereTheFontsSay) {
    Draw();
    platform::Surface* back = gDisplay.back;
    // Rows are the letter font's height plus 10 apart: 30.
    const uint32_t kRow0[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int k = 0; k < 8; ++k)
        ExpectGlyph(back, kFontDigits, kRow0[k], 280 + k * 12, 110);
    const uint32_t kRow7[8] = {0, 0, 0, 0, 0, 1, 0, 0};
    for (int k = 0; k < 8; ++k)
        ExpectGlyph(back, kFontDigits, kRow7[k], 280 + k * 12, 110 + 7 * 30);
    // Letters: x = 95 + j x (16 - 5).
    for (int j = 0; j < 3; ++j) {
        ExpectGlyph(back, kFontLetters, uint32_t(j), 95 + j * 11, 110);
        ExpectGlyph(back, kFontLetters, uint32_t(23 + j), 95 + j * 11, 110 + 30);
        ExpectGlyph(back, kFontLetters, uint32_t(18 + j), 95 + j * 11, 110 + 7 * 30);
    }
    // Away from the table the background shows as it is.
    EXPECT_EQ(At(back, 600, 20), At(gHighScores.background, 600, 20));
    EXPECT_EQ(At(back, 10, 470), At(gHighScores.background, 10, 470));
}

TEST_F(RenderTest, TheEntryBeingEditedUsesTheEditingFontFromTheCursorOn) {
    HighScoresInsert(110000); // position 3
    gHighScores.initials[3][0] = 4;
    gHighScores.cursor = 1;
    gHighScores.initials[3][1] = 7;
    Draw();
    platform::Surface* back = gDisplay.back;
    // The confirmed letter in the plain font, the rest in the editing font
    // with its own frame size: x = 95 + j x (14 - 5), y = 110 + 3 x (18 + 10).
    ExpectGlyph(back, kFontLetters, 4, 95, 110 + 3 * 30);
    ExpectGlyph(back, kFontEditing, 7, 95 + 9, 110 + 3 * 28);
    ExpectGlyph(back, kFontEditing, 0, 95 + 18, 110 + 3 * 28);
    // Other rows keep the plain font.
    ExpectGlyph(back, kFontLetters, 6, 95, 110 + 4 * 30);
    // Once the entry is done the plain font is used throughout.
    gHighScores.entryDone = 1;
    Draw();
    ExpectGlyph(back, kFontLetters, 7, 95 + 11, 110 + 3 * 30);
}

TEST_F(RenderTest, LostSurfacesAreReloadedAndDrawnAgain) {
    // The blitter still busy on the first try is waited out.
    ASSERT_TRUE(platform::SetFaults("BltFast=still_drawing@1"));
    Draw();
    ExpectGlyph(gDisplay.back, kFontDigits, 1, 280, 110);

    NewDebugText();
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@1"));
    ASSERT_EQ(HighScoresRenderBackground(), 1);
    EXPECT_EQ(gHighScores.background->IsLost(), platform::kOk);
    EXPECT_NE(NewDebugText().find("\nLost background surface in high scores!\n"),
              std::string::npos);
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@1"));
    ASSERT_EQ(HighScoresRenderScores(), 1);
    EXPECT_NE(NewDebugText().find("\nLost sprite surface in HighScoresRenderScores!\n"),
              std::string::npos);
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@2"));
    ASSERT_EQ(HighScoresRenderInitials(), 1);
    EXPECT_NE(NewDebugText().find("\nLost sprite surface in HighScoresRenderInitials!\n"),
              std::string::npos);
    platform::SetFaults(nullptr);
    // The reloaded glyphs were drawn once more.
    ExpectGlyph(gDisplay.back, kFontDigits, 1, 280, 110);
    ExpectGlyph(gDisplay.back, kFontLetters, 1, 95 + 11, 110);
}

TEST_F(RenderTest, AReloadThatFailsStopsTheDrawing) {
    fs::remove("data/QEXAGB.000");
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@1"));
    EXPECT_EQ(HighScoresRenderBackground(), 0);
    EXPECT_EQ(Message(), "Unable to load bitmap:data\\QEXAGB.000");
    fs::remove("data/QEXAGS.013");
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@1"));
    EXPECT_EQ(HighScoresRenderScores(), 0);
    EXPECT_EQ(Location(), "ReLoadSprite()");
    fs::remove("data/QEXAGS.014");
    ASSERT_TRUE(platform::SetFaults("BltFast=surface_lost@1"));
    EXPECT_EQ(HighScoresRenderInitials(), 0);
    EXPECT_EQ(Message(), "Unable to open QEXAGS.014");
}

TEST_F(HighScoresTest, TheLastFrameDrawnStaysOnTheScreen) {
    Script(Tap(2, "RIGHT") + Tap(6, "ESCAPE"));
    ASSERT_EQ(HighScores(60000), 1) << Message();
    // 60000 is entry 5, its first letter B; the rest of the entry in the
    // editing font, on the visible surface after the last flip.
    ASSERT_EQ(HighScoresInit(), 1); // the fonts, to compare with
    Sprite& edit = gHighScores.fonts[kFontEditing];
    Sprite& digits = gHighScores.fonts[kFontDigits];
    int y = 110 + 5 * 28;
    EXPECT_EQ(At(gDisplay.primary, 95 + 6, y + 9), At(edit.surface, 14 + 6, 9));
    EXPECT_EQ(At(gDisplay.primary, 280 + 3 * 12 + 6, 110 + 5 * 30 + 7),
              At(digits.surface, 6 * 12 % 48 + 6, 14 + 7)); // digit 6 of 60000
    EXPECT_EQ(HighScoresCleanup(), 1);
}

// ---- Set-up and clean-up failures ----------------------------------------------

struct InitFault {
    const char* faults;
    const char* missing; // a data file removed
    const char* source;
    const char* location;
    const char* message;
};

TEST_F(HighScoresTest, EverySetUpFailureIsReportedAndLeavesNothingBehind) {
    const InitFault kFaults[] = {
        {"SetDisplayMode=fail", nullptr, "VraskUtils", "GetDXSurfaces()",
         "Unable to set display mode!"},
        {"CreateSurface=out_of_memory@2", nullptr, "HighScores", "HighScoresInit()",
         "Unable to create off-screen sysmem surface!"},
        {nullptr, "data/QEXAGB.000", "VraskUtils", "ReLoadBitmap()",
         "Unable to load bitmap:data\\QEXAGB.000"},
        {nullptr, "data/QEXAGS.013", "Layers", "LoadSprite()", "Unable to open QEXAGS.013"},
        {nullptr, "data/QEXAGS.015", "Layers", "LoadSprite()", "Unable to open QEXAGS.015"},
        // The background, the three fonts, then the table.
        {"FileOpen=fail@5", nullptr, "HighScores", "HighScoresLoad()",
         "Unable to open high scores file!"},
        {nullptr, "data/QEXASW.000", "WavPlayback", nullptr, nullptr},
    };
    for (const InitFault& f : kFaults) {
        SCOPED_TRACE(f.faults ? f.faults : f.missing);
        std::vector<uint8_t> kept;
        if (f.missing) {
            kept = ReadBytes(f.missing);
            fs::remove(f.missing);
        }
        Table(kDefaultScores, std::vector<std::string>(8, "ABC"));
        gErrorInfo = ErrorInfo{};
        if (f.faults) {
            ASSERT_TRUE(platform::SetFaults(f.faults));
        }
        Script(Tap(2, "ESCAPE"));
        EXPECT_EQ(HighScores(500000), 0);
        platform::SetFaults(nullptr);
        EXPECT_EQ(gErrorInfo.code, kErrorFatal);
        EXPECT_EQ(Source(), f.source);
        if (f.location) {
            EXPECT_EQ(Location(), f.location);
        }
        if (f.message) {
            EXPECT_EQ(Message(), f.message);
        }
        EXPECT_EQ(gHighScores.background, nullptr);
        for (const Sprite& font : gHighScores.fonts) {
            EXPECT_EQ(font.surface, nullptr);
            EXPECT_EQ(font.frames.block, nullptr);
        }
        // Nothing was entered, so nothing was written.
        EXPECT_EQ(ReadBytes("data/QEXALL.000").size(), 288u);
        if (f.missing)
            WriteBytes(f.missing, kept);
        InputCleanup();
    }
}

TEST_F(HighScoresTest, ADamagedTableStopsTheScreen) {
    WriteBytes("data/QEXALL.000", std::vector<uint8_t>(100, 1));
    Script(Tap(2, "ESCAPE"));
    EXPECT_EQ(HighScores(1), 0);
    EXPECT_EQ(Message(), "Unable to load high scores!");
    EXPECT_EQ(ReadBytes("data/QEXALL.000").size(), 100u);
}

TEST_F(HighScoresTest, ATableThatCannotBeSavedAtTheEndIsReported) {
    Table(kDefaultScores, std::vector<std::string>(8, "ABC"));
    Script(Tap(2, "ESCAPE"));
    ASSERT_TRUE(platform::SetFaults("FileCreate=fail"));
    EXPECT_EQ(HighScores(300000), 0);
    platform::SetFaults(nullptr);
    EXPECT_EQ(Location(), "HighScoresSave()");
    EXPECT_EQ(Message(), "Unable to create high scores file!");
    EXPECT_EQ(gHighScores.background, nullptr);
    // The file on disk is the one from before the screen.
    EXPECT_EQ(ReadBytes("data/QEXALL.000"),
              hstest::TableFile(kDefaultScores, std::vector<std::string>(8, "ABC")));
}

TEST_F(HighScoresTest, LostKeyboardInputIsReacquiredAndTheScreenGoesOn) {
    Table(kDefaultScores, std::vector<std::string>(8, "ABC"));
    Script(Tap(4, "ESCAPE"));
    ASSERT_TRUE(platform::SetFaults("GetDeviceState=input_lost@1"));
    EXPECT_EQ(HighScores(1), 1) << Message();
    platform::SetFaults(nullptr);
    EXPECT_NE(NewDebugText().find("HighScores had to reacquire keyboard!"), std::string::npos);
}

} // namespace
