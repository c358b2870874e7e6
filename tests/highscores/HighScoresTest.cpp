// The high-score screen: the table file, the table's rules, entering
// initials from scripted input, the drawing, and every failure.
#include "highscores/HighScoresFixture.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using hstest::HighScoresTest;
using hstest::kDefaultScores;

// ---- The table file ---------------------------------------------------------

TEST_F(HighScoresTest, AMissingFileGetsTheDefaultTableWritten) {
    ASSERT_EQ(HighScoresLoad(), 1);
    std::vector<uint8_t> bytes = ReadBytes("data/QEXALL.000");
    ASSERT_EQ(bytes.size(), 288u);
    for (uint32_t i = 0; i < 8; ++i) {
        EXPECT_EQ(gHighScores.scores[i], kDefaultScores[i]);
        uint32_t stored = bytes[4 * i] | bytes[4 * i + 1] << 8 | bytes[4 * i + 2] << 16 |
                          uint32_t(bytes[4 * i + 3]) << 24;
        EXPECT_EQ(stored, kDefaultScores[i]);
        for (int j = 0; j < 32; ++j) {
            uint8_t b = bytes[32 + 32 * i + j];
            EXPECT_EQ(b, gHighScores.initials[i][j]);
            if (j < 3)
                EXPECT_LT(b, 26);
            else
                EXPECT_EQ(b, 0);
        }
    }
    EXPECT_EQ(gErrorInfo.code, 0);
}

TEST_F(HighScoresTest, ATableReadsAndWritesBackUnchanged) {
    auto file = hstest::TableFile({900, 800, 700, 600, 500, 400, 300, 0xFFFFFFF0u},
                                  {"ABC", "XYZ", "QQQ", "AAA", "ZZZ", "MNO", "KLM", "HIJ"});
    WriteBytes("data/QEXALL.000", file);
    ASSERT_EQ(HighScoresLoad(), 1);
    EXPECT_EQ(gHighScores.scores[0], 900u);
    EXPECT_EQ(gHighScores.scores[7], 0xFFFFFFF0u);
    EXPECT_EQ(Letters(1), "XYZ");
    fs::remove("data/QEXALL.000");
    ASSERT_EQ(HighScoresSave(), 1);
    EXPECT_EQ(ReadBytes("data/QEXALL.000"), file);
}

TEST_F(HighScoresTest, AShortFileIsRefusedAndLeftAsItWas) {
    auto file = hstest::TableFile(kDefaultScores, std::vector<std::string>(8, "ABC"));
    file.pop_back();
    WriteBytes("data/QEXALL.000", file);
    EXPECT_EQ(HighScoresLoad(), 0);
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_EQ(Source(), "HighScores");
    EXPECT_EQ(Location(), "HighScoresLoad()");
    EXPECT_EQ(Message(), "Unable to load high scores!");
    EXPECT_EQ(ReadBytes("data/QEXALL.000"), file);

    WriteBytes("data/QEXALL.000", {});
    EXPECT_EQ(HighScoresLoad(), 0);
    EXPECT_EQ(Message(), "Unable to load high scores!");
}

TEST_F(HighScoresTest, OfALongerFileOnlyTheTableIsReadAndASaveWritesTheTableAlone) {
    auto file = hstest::TableFile({9, 8, 7, 6, 5, 4, 3, 2}, std::vector<std::string>(8, "DEF"));
    auto longer = file;
    longer.insert(longer.end(), 40, 0xEE);
    WriteBytes("data/QEXALL.000", longer);
    ASSERT_EQ(HighScoresLoad(), 1);
    EXPECT_EQ(gHighScores.scores[7], 2u);
    EXPECT_EQ(Letters(7), "DEF");
    ASSERT_EQ(HighScoresSave(), 1);
    EXPECT_EQ(ReadBytes("data/QEXALL.000"), file);
}

struct FileFault {
    const char* faults;
    bool exists;
    int (*operation)();
    const char* location;
    const char* message;
};

TEST_F(HighScoresTest, EveryFileFailureHasItsMessageAndAGoodFileSurvivesAFailedSave) {
    const FileFault kFaults[] = {
        {"FileOpen=fail", true, HighScoresLoad, "HighScoresLoad()",
         "Unable to open high scores file!"},
        {"FileOpen=sharing", true, HighScoresLoad, "HighScoresLoad()",
         "Unable to open high scores file!"},
        {"FileRead=fail", true, HighScoresLoad, "HighScoresLoad()", "Unable to load high scores!"},
        {"FileCreate=fail", true, HighScoresSave, "HighScoresSave()",
         "Unable to create high scores file!"},
        {"FileCreate=access_denied", true, HighScoresSave, "HighScoresSave()",
         "Unable to create high scores file!"},
        {"FileWrite=fail", true, HighScoresSave, "HighScoresSave()",
         "Unable to save to high scores file!"},
        {"FileWrite=fail", false, HighScoresDefault, "HighScoresSave()",
         "Unable to save to high scores file!"},
    };
    auto good = hstest::TableFile({8, 7, 6, 5, 4, 3, 2, 1}, std::vector<std::string>(8, "GOD"));
    for (const FileFault& f : kFaults) {
        SCOPED_TRACE(f.faults);
        fs::remove("data/QEXALL.000");
        if (f.exists)
            WriteBytes("data/QEXALL.000", good);
        gErrorInfo = ErrorInfo{};
        ASSERT_TRUE(platform::SetFaults(f.faults));
        EXPECT_EQ(f.operation(), 0);
        platform::SetFaults(nullptr);
        EXPECT_EQ(gErrorInfo.code, kErrorFatal);
        EXPECT_EQ(Source(), "HighScores");
        EXPECT_EQ(Location(), f.location);
        EXPECT_EQ(Message(), f.message);
        if (f.exists)
            EXPECT_EQ(ReadBytes("data/QEXALL.000"), good);
        else
            EXPECT_FALSE(fs::exists("data/QEXALL.000"));
    }
}

TEST_F(HighScoresTest, DefaultsThatCannotBeWrittenAreStillShownAndLeaveNoErrorPending) {
    ASSERT_TRUE(platform::SetFaults("FileCreate=fail"));
    EXPECT_EQ(HighScoresLoad(), 1);
    platform::SetFaults(nullptr);
    EXPECT_EQ(gHighScores.scores[0], 250000u);
    EXPECT_EQ(gHighScores.scores[7], 10000u);
    EXPECT_FALSE(fs::exists("data/QEXALL.000"));
    EXPECT_EQ(gErrorInfo.code, 0);
    EXPECT_NE(NewDebugText().find("Unable to create high scores file!"), std::string::npos);
}

// ---- The table's rules -------------------------------------------------------

class InsertTest : public HighScoresTest {
  protected:
    void SetUp() override {
        HighScoresTest::SetUp();
        for (uint32_t i = 0; i < 8; ++i) {
            gHighScores.scores[i] = kDefaultScores[i];
            for (int j = 0; j < 3; ++j)
                gHighScores.initials[i][j] = uint8_t(i + 1);
        }
        gHighScores.entryDone = 1;
    }
};

TEST_F(InsertTest, AScoreEqualToTheLowestDoesNotQualifyOnePointMoreDoes) {
    HighScoresInsert(10000);
    EXPECT_EQ(gHighScores.changed, 0);
    EXPECT_EQ(gHighScores.entryDone, 1);
    EXPECT_EQ(gHighScores.scores[7], 10000u);
    HighScoresInsert(0);
    EXPECT_EQ(gHighScores.changed, 0);

    HighScoresInsert(10001);
    EXPECT_EQ(gHighScores.changed, 1);
    EXPECT_EQ(gHighScores.entryDone, 0);
    EXPECT_EQ(gHighScores.insertPosition, 7u);
    EXPECT_EQ(gHighScores.newScore, 10001u);
    EXPECT_EQ(gHighScores.cursor, 0u);
    EXPECT_EQ(gHighScores.scores[7], 10001u);
    EXPECT_EQ(Letters(7), "AAA");
    EXPECT_EQ(gHighScores.scores[6], 25000u);
    EXPECT_EQ(Letters(6), "HHH");
}

TEST_F(InsertTest, ANewBestMovesEveryEntryDownWithItsLetters) {
    HighScoresInsert(1000000);
    EXPECT_EQ(gHighScores.insertPosition, 0u);
    EXPECT_EQ(gHighScores.scores[0], 1000000u);
    EXPECT_EQ(Letters(0), "AAA");
    for (uint32_t i = 1; i < 8; ++i) {
        EXPECT_EQ(gHighScores.scores[i], kDefaultScores[i - 1]);
        EXPECT_EQ(gHighScores.initials[i][0], i);
    }
}

TEST_F(InsertTest, ATieInTheMiddleGoesAfterTheEqualScore) {
    HighScoresInsert(125000);
    EXPECT_EQ(gHighScores.insertPosition, 3u);
    EXPECT_EQ(gHighScores.scores[2], 125000u);
    EXPECT_EQ(Letters(2), "DDD");
    EXPECT_EQ(gHighScores.scores[3], 125000u);
    EXPECT_EQ(Letters(3), "AAA");
    EXPECT_EQ(gHighScores.scores[4], 100000u);
    EXPECT_EQ(Letters(7), "HHH"); // 25000's letters moved to the bottom
}

TEST_F(InsertTest, DigitsAreUnitsFirstAndTheTopDigitTakesTheRest) {
    gHighScores.scores[0] = 123456789;
    gHighScores.scores[1] = 7;
    gHighScores.initials[1][2] = 25;
    HighScoresPrepare();
    const uint32_t kFirst[8] = {9, 8, 7, 6, 5, 4, 3, 12};
    const uint32_t kSecond[8] = {7, 0, 0, 0, 0, 0, 0, 0};
    for (int k = 0; k < 8; ++k) {
        EXPECT_EQ(gHighScores.digits[0][k], kFirst[k]);
        EXPECT_EQ(gHighScores.digits[1][k], kSecond[k]);
    }
    EXPECT_EQ(gHighScores.letters[1][0], 2u);
    EXPECT_EQ(gHighScores.letters[1][2], 25u);
}

} // namespace
