// The fatal report, "error.txt" and the aligned allocator.
#include "engine/GameFixture.h"
#include "engine/VraskUtils.h"
#include "support/Files.h"

#include <regex>

namespace {

class ReportTest : public GameTest {};

std::string ReportFor(uint16_t code, std::string* box = nullptr) {
    FillError(&gErrorInfo, code, "GameEngine", "LoadGame()", "Unable to open X.gam");
    testing::internal::CaptureStderr();
    ReportError();
    std::string log = testing::internal::GetCapturedStderr();
    if (box)
        *box = log;
    return ReadText("error.txt");
}

TEST_F(ReportTest, ErrorFileIsTheBoxTextInTextModeWithItsTerminator) {
    std::string box;
    std::string file = ReportFor(kErrorFatal, &box);
    const std::string expected = "ERROR - Unable to open X.gam\r\n"
                                 "LOCATION - LoadGame() of GameEngine\r\n\r\n"
                                 "Please go to " VRASK_SUPPORT_WEB " for support \r\n"
                                 "or contact Korvid at support@korvid.example\r\n\r\n";
    EXPECT_EQ(file, expected + std::string(1, '\0'));
    EXPECT_NE(box.find("caption=\"Vrask Engine Notification\" style=0x00040010"),
              std::string::npos);
    // The record is cleared after the report.
    const auto* bytes = reinterpret_cast<const uint8_t*>(&gErrorInfo);
    for (size_t i = 0; i < sizeof(gErrorInfo); ++i)
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
}

TEST_F(ReportTest, BoxStyleFollowsTheCodeAndTheFileIsReplaced) {
    std::string box;
    ReportFor(kErrorWarning, &box);
    EXPECT_NE(box.find("style=0x00040030"), std::string::npos);
    ReportFor(0, &box);
    EXPECT_NE(box.find("style=0x00040000"), std::string::npos);
    WriteBytes("error.txt", std::vector<uint8_t>(5000, 'x'));
    std::string file = ReportFor(kErrorFatal, &box);
    EXPECT_NE(box.find("style=0x00040010"), std::string::npos);
    EXPECT_LT(file.size(), 400u);
    EXPECT_EQ(file.back(), '\0');
}

TEST_F(ReportTest, LongestFieldsAreNeitherCutNorOverrun) {
    std::memset(&gErrorInfo, 'm', sizeof(gErrorInfo)); // no terminators anywhere
    gErrorInfo.code = kErrorFatal;
    testing::internal::CaptureStderr();
    ReportError();
    testing::internal::GetCapturedStderr();
    std::string file = ReadText("error.txt");
    EXPECT_NE(file.find("ERROR - " + std::string(255, 'm') + "\r\n"), std::string::npos);
    EXPECT_NE(file.find("LOCATION - " + std::string(39, 'm') + " of " + std::string(39, 'm')),
              std::string::npos);
    EXPECT_NE(file.find("or contact Korvid at " + std::string(255, 'm') + "\r\n"),
              std::string::npos);
}

TEST_F(ReportTest, MessagesBuiltFromLongPathsAreCutToTheField) {
    std::string path(600, 'p');
    FillError2(&gErrorInfo, kErrorFatal, "GameEngine", "LoadGame()", "Unable to open ",
               path.c_str());
    EXPECT_EQ(std::strlen(gErrorInfo.message), 255u);
    EXPECT_EQ(std::string(gErrorInfo.message).rfind("Unable to open ppp", 0), 0u);
    EXPECT_STREQ(gErrorInfo.contact, "support@korvid.example\n");
}

TEST_F(ReportTest, AllocAlignedGivesZeroedAlignedMemoryInsideTheBlock) {
    for (uint32_t size : {0u, 1u, 31u, 32u, 1000u}) {
        void* block = nullptr;
        auto* p = static_cast<uint8_t*>(AllocAligned(&block, size));
        ASSERT_NE(p, nullptr);
        auto offset = reinterpret_cast<uintptr_t>(p) - reinterpret_cast<uintptr_t>(block);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % 32, 0u);
        EXPECT_LE(offset, 31u);
        for (uint32_t i = 0; i < size + 32; ++i)
            ASSERT_EQ(static_cast<uint8_t*>(block)[i], 0);
        std::free(block);
    }
}

TEST_F(ReportTest, AllocAlignedFailureFillsTheAllocatorsRecord) {
    platform::SetFaults("HeapAlloc=out_of_memory@1");
    void* block = reinterpret_cast<void*>(1);
    EXPECT_EQ(AllocAligned(&block, 16), nullptr);
    EXPECT_EQ(block, nullptr);
    EXPECT_EQ(gErrorInfo.code, kErrorFatal);
    EXPECT_STREQ(gErrorInfo.sourceFile, "VrasksUtils");
    EXPECT_STREQ(gErrorInfo.location, "Korvid malloc routine");
}

} // namespace
