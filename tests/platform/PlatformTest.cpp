// The platform core: files, faults, modules, events and threads, clock.
#include "platform/Clock.h"
#include "platform/Faults.h"
#include "platform/Files.h"
#include "platform/Modules.h"
#include "platform/Sync.h"
#include "support/Files.h"
#include "support/ScratchDir.h"

#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>

namespace {

namespace fs = std::filesystem;

class PlatformTest : public testing::Test {
  protected:
    void TearDown() override { platform::SetFaults(nullptr); }
    ScratchDir dir_;
};

std::string Resolve(const char* name) {
    char out[512];
    EXPECT_TRUE(platform::ResolvePath(name, out, sizeof(out)));
    return out;
}

TEST_F(PlatformTest, DataNamesResolveWithoutRegardToCase) {
    fs::create_directories("Data/Sub");
    WriteBytes("Data/Sub/Level1.LVL", {1});
    EXPECT_EQ(Resolve("data\\sub\\level1.lvl"), "Data/Sub/Level1.LVL");
    EXPECT_EQ(Resolve("DATA/SUB/LEVEL1.lvl"), "Data/Sub/Level1.LVL");
    // What does not exist yet keeps the spelling asked for, below what does.
    EXPECT_EQ(Resolve("data\\new\\File.txt"), "Data/new/File.txt");
    EXPECT_EQ(Resolve(".\\data\\\\sub\\"), "Data/Sub");
    // An exact match wins over another spelling.
    WriteBytes("Data/sub2", {});
    WriteBytes("Data/SUB2", {});
    EXPECT_EQ(Resolve("data\\SUB2"), "Data/SUB2");
    char small[8];
    EXPECT_FALSE(platform::ResolvePath("data\\sub\\level1.lvl", small, sizeof(small)));
}

TEST_F(PlatformTest, OpenExistingTellsMissingFromOtherFailures) {
    platform::Result r = platform::kOk;
    EXPECT_EQ(platform::FileOpenRead("absent.bin", &r), nullptr);
    EXPECT_EQ(r, platform::kNotFound);
    EXPECT_EQ(platform::FileOpenRead("absent\\deeper.bin", &r), nullptr);
    EXPECT_EQ(r, platform::kNotFound);
    fs::create_directories("folder");
    EXPECT_EQ(platform::FileOpenRead("folder", &r), nullptr);
    EXPECT_EQ(r, platform::kAccessDenied);

    WriteBytes("file.bin", {1, 2, 3});
    platform::File* first = platform::FileOpenRead("FILE.BIN", &r);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(platform::FileSize(first), 3);
    // Opened without sharing: a second open fails until the first closes.
    EXPECT_EQ(platform::FileOpenRead("file.bin", &r), nullptr);
    EXPECT_EQ(r, platform::kSharingViolation);
    uint8_t buffer[8] = {};
    EXPECT_EQ(platform::FileRead(first, buffer, sizeof(buffer)), 3u);
    platform::FileClose(first);
    platform::File* again = platform::FileOpenRead("file.bin", &r);
    EXPECT_NE(again, nullptr);
    platform::FileClose(again);
}

TEST_F(PlatformTest, CreateTruncatesAndReplaceIsAllOrNothing) {
    WriteBytes("out.bin", std::vector<uint8_t>(100, 7));
    platform::File* file = platform::FileCreate("OUT.BIN");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(platform::FileWrite(file, "ab", 2), 2u);
    platform::FileClose(file);
    EXPECT_EQ(ReadText("out.bin"), "ab");

    EXPECT_EQ(platform::FileReplace("out.bin", "new", 3), platform::kOk);
    EXPECT_EQ(ReadText("out.bin"), "new");
    platform::SetFaults("FileWrite=disk_full");
    EXPECT_EQ(platform::FileReplace("out.bin", "lost", 4), platform::kDiskFull);
    EXPECT_EQ(ReadText("out.bin"), "new");
    EXPECT_FALSE(fs::exists("out.bin.new"));
}

TEST_F(PlatformTest, FaultsHitEveryCallOrOnlyTheNth) {
    ASSERT_TRUE(platform::SetFaults("FileOpen=sharing@2,ModuleLoad=0x8007000E"));
    WriteBytes("f", {1});
    platform::Result r;
    platform::File* a = platform::FileOpenRead("f", &r);
    ASSERT_NE(a, nullptr);
    platform::FileClose(a);
    EXPECT_EQ(platform::FileOpenRead("f", &r), nullptr);
    EXPECT_EQ(r, platform::kSharingViolation);
    platform::File* c = platform::FileOpenRead("f", &r);
    EXPECT_NE(c, nullptr);
    platform::FileClose(c);
    platform::Result injected = 0;
    EXPECT_TRUE(platform::FaultHit("ModuleLoad", &injected));
    EXPECT_EQ(static_cast<uint32_t>(injected), 0x8007000Eu);
    EXPECT_TRUE(platform::FaultHit("ModuleLoad"));
    EXPECT_FALSE(platform::FaultHit("Other"));

    EXPECT_FALSE(platform::SetFaults("FileOpen"));
    EXPECT_FALSE(platform::SetFaults("FileOpen=no_such_result"));
    EXPECT_FALSE(platform::SetFaults("FileOpen=fail@0"));
    EXPECT_FALSE(platform::FaultHit("FileOpen")); // a bad table injects nothing
}

TEST_F(PlatformTest, ModulesLoadByDataNameAndFallBackToTheNativeLibrary) {
    fs::create_directories("data");
    fs::copy_file(fs::path(TEST_PLUGIN_PATH), "data/Echo.so");
    platform::Module* module = platform::ModuleLoad("DATA\\echo.dll");
    ASSERT_NE(module, nullptr) << platform::ModuleLastError();
    auto answer = reinterpret_cast<int (*)()>(platform::ModuleSymbol(module, "EchoAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(platform::ModuleSymbol(module, "Missing"), nullptr);
    platform::ModuleUnload(module);

    EXPECT_EQ(platform::ModuleLoad("data\\absent.dll"), nullptr);
    EXPECT_NE(std::string(platform::ModuleLastError()).find("No such file"), std::string::npos);
    // A named file that is not a library fails with the loader's reason.
    WriteBytes("data/Broken.dll", {'n', 'o', 't'});
    EXPECT_EQ(platform::ModuleLoad("data\\broken.dll"), nullptr);
    EXPECT_NE(std::string(platform::ModuleLastError()), "");
}

TEST_F(PlatformTest, EventsResetAutomaticallyOrByHand) {
    platform::Event* autoEvent = platform::CreateEvent(false, true);
    platform::Event* manual = platform::CreateEvent(true, false);
    EXPECT_EQ(platform::WaitForSingleObject(autoEvent, 0), platform::WAIT_OBJECT_0);
    EXPECT_EQ(platform::WaitForSingleObject(autoEvent, 10), platform::WAIT_TIMEOUT);
    platform::SetEvent(manual);
    EXPECT_EQ(platform::WaitForSingleObject(manual, 0), platform::WAIT_OBJECT_0);
    EXPECT_EQ(platform::WaitForSingleObject(manual, 0), platform::WAIT_OBJECT_0);
    platform::ResetEvent(manual);
    EXPECT_EQ(platform::WaitForSingleObject(manual, 0), platform::WAIT_TIMEOUT);

    platform::Event* both[] = {autoEvent, manual};
    platform::SetEvent(manual);
    EXPECT_EQ(platform::WaitForMultipleObjects(2, both, false, 0), platform::WAIT_OBJECT_0 + 1);
    EXPECT_EQ(platform::WaitForMultipleObjects(2, both, true, 0), platform::WAIT_TIMEOUT);
    platform::SetEvent(autoEvent);
    EXPECT_EQ(platform::WaitForMultipleObjects(2, both, false, 0), platform::WAIT_OBJECT_0);
    platform::SetEvent(autoEvent);
    EXPECT_EQ(platform::WaitForMultipleObjects(2, both, true, 0), platform::WAIT_OBJECT_0);
    EXPECT_EQ(platform::WaitForSingleObject(autoEvent, 0), platform::WAIT_TIMEOUT);
    EXPECT_EQ(platform::WaitForSingleObject(manual, 0), platform::WAIT_OBJECT_0);
    platform::CloseEvent(autoEvent);
    platform::CloseEvent(manual);
}

struct HandShake {
    platform::Event* command;
    platform::Event* answer;
    std::atomic<int> served{0};
};

uint32_t Serve(void* arg) {
    auto* h = static_cast<HandShake*>(arg);
    for (int i = 0; i < 3; ++i) {
        if (platform::WaitForSingleObject(h->command, 2000) != platform::WAIT_OBJECT_0)
            return 1;
        ++h->served;
        platform::SetEvent(h->answer);
    }
    return 0;
}

TEST_F(PlatformTest, ThreadsAnswerCommandsOverEvents) {
    HandShake h{platform::CreateEvent(false, false), platform::CreateEvent(false, false)};
    platform::Thread* thread = platform::CreateThread(Serve, &h);
    ASSERT_NE(thread, nullptr);
    for (int i = 0; i < 3; ++i) {
        platform::SetEvent(h.command);
        ASSERT_EQ(platform::WaitForSingleObject(h.answer, 2000), platform::WAIT_OBJECT_0);
    }
    EXPECT_EQ(platform::WaitForThread(thread, 2000), platform::WAIT_OBJECT_0);
    EXPECT_EQ(h.served.load(), 3);
    platform::CloseThread(thread);
    platform::CloseEvent(h.command);
    platform::CloseEvent(h.answer);
}

TEST_F(PlatformTest, VirtualClockAdvancesOnEveryRead) {
    ASSERT_TRUE(platform::VirtualClock());
    int64_t a = platform::PerformanceCounter();
    int64_t b = platform::PerformanceCounter();
    EXPECT_GT(b, a);
    // A paced loop of one ninetieth of a second ends without real waiting.
    int64_t frame = platform::PerformanceFrequency() / 90;
    int64_t start = platform::PerformanceCounter();
    int reads = 0;
    while (platform::PerformanceCounter() - start < frame)
        ++reads;
    EXPECT_GT(reads, 10);
    // Sleeping towards a counter value leaves virtual time alone: the paced
    // loop reads its way there as before, and runs repeat exactly.
    int64_t now = platform::PerformanceCounter();
    platform::SleepUntilCounter(now + platform::PerformanceFrequency());
    EXPECT_LT(platform::PerformanceCounter() - now, 1000);
    uint32_t before = platform::TimeGetTime();
    platform::Sleep(250);
    EXPECT_GE(platform::TimeGetTime() - before, 250u);
}

} // namespace

namespace {

TEST(NameStaysInside, OnlyRelativeNamesWithoutAParentStepPass) {
    for (const char* inside : {"a.dll", "sub\\x.lvl", "a..b", "...", "..x", "x..", "./a", ""})
        EXPECT_TRUE(platform::NameStaysInside(inside)) << inside;
    for (const char* outside : {"..", "..\\a", "../a", "a\\..\\..\\b", "a/..", "/etc/passwd",
                                "\\game\\x", "C:\\x", "c:x"})
        EXPECT_FALSE(platform::NameStaysInside(outside)) << outside;
}

} // namespace
