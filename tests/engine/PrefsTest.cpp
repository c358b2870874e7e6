// The preferences file.
#include "engine/GameFixture.h"
#include "support/Files.h"

#include <filesystem>

namespace {

class PrefsTest : public GameTest {};

std::vector<uint8_t> DefaultBytes() {
    std::vector<uint8_t> b(kPrefsSize, 0);
    b[0] = 1;
    b[4] = 1;
    b[8] = 50;
    b[12] = 70;
    const uint8_t keys[] = {0x38, 0xB8, 0,    0, 0x1D, 0x2A, 0,    0, 0xC8, 0, 0,    0, 0xD0, 0,
                            0,    0,    0xCB, 0, 0,    0,    0xCD, 0, 0,    0, 0x39, 0, 0,    0};
    std::copy(std::begin(keys), std::end(keys), b.begin() + 16);
    return b;
}

TEST_F(PrefsTest, MissingFileIsCreatedWithTheDefaults) {
    ASSERT_EQ(LoadUserPrefs(), 1);
    EXPECT_EQ(ReadBytes("data/prefs.cfg"), DefaultBytes());
    EXPECT_EQ(gMenuControl.musicOn, 1u);
    EXPECT_EQ(gMenuControl.musicVolume, 50u);
    EXPECT_EQ(gMenuControl.effectsVolume, 70u);
    EXPECT_EQ(gInputState.keyBindings[6].first, 0x39);
    EXPECT_EQ(gInputState.keyBindings[0].second, 0xB8);
}

TEST_F(PrefsTest, FileOfExactlyTheRecordOrLongerIsAppliedShorterIsRefused) {
    std::vector<uint8_t> bytes = DefaultBytes();
    bytes[8] = 99;
    bytes.push_back(0xEE);
    WriteBytes("data/PREFS.CFG", bytes); // names are found without regard to case
    ASSERT_EQ(LoadUserPrefs(), 1);
    EXPECT_EQ(gMenuControl.musicVolume, 99u);
    ASSERT_EQ(SaveUserPrefs(), 1);
    EXPECT_EQ(ReadBytes("data/PREFS.CFG").size(), kPrefsSize);

    ResetShell();
    bytes.resize(kPrefsSize - 1);
    WriteBytes("data/PREFS.CFG", bytes);
    EXPECT_EQ(LoadUserPrefs(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to load prefs file prefs.cfg");
    EXPECT_STREQ(gErrorInfo.location, "LoadUserPrefs()");
    EXPECT_EQ(gMenuControl.musicVolume, 0u); // nothing applied
}

TEST_F(PrefsTest, OpenFailureOtherThanMissingIsReported) {
    platform::SetFaults("FileOpen=access_denied");
    EXPECT_EQ(LoadUserPrefs(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to open or create prefs file prefs.cfg");
}

TEST_F(PrefsTest, AFailedSaveLeavesTheOldFileWhole) {
    std::vector<uint8_t> old = DefaultBytes();
    old[12] = 33;
    WriteBytes("data/prefs.cfg", old);
    ASSERT_EQ(LoadUserPrefs(), 1);
    gMenuControl.effectsVolume = 5;
    platform::SetFaults("FileWrite=disk_full");
    EXPECT_EQ(SaveUserPrefs(), 0);
    EXPECT_STREQ(gErrorInfo.location, "SaveUserPrefs()");
    EXPECT_EQ(ReadBytes("data/prefs.cfg"), old);
    EXPECT_FALSE(std::filesystem::exists("data/prefs.cfg.new"));

    platform::SetFaults("FileCreate=access_denied");
    EXPECT_EQ(SaveUserPrefs(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to create prefs file prefs.cfg");
    EXPECT_EQ(ReadBytes("data/prefs.cfg"), old);
}

TEST_F(PrefsTest, GatherAndApplyRoundTripTheSharedRecords) {
    uint8_t record[kPrefsSize] = {};
    UserPrefsDefault(record);
    record[80] = 0x42; // second bindings are kept as they are
    UserPrefsApply(record);
    uint8_t back[kPrefsSize] = {};
    UserPrefsGather(back);
    EXPECT_EQ(std::memcmp(record, back, kPrefsSize), 0);
    EXPECT_EQ(gInputState.secondBindings[0].first, 0x42);
}

} // namespace
