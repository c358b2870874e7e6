// The setup library: versions, the multimedia set-up and program launch.
#include "setup/Stagal.h"
#include "platform/Faults.h"
#include "platform/Setup.h"
#include "support/ScratchDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <thread>

namespace {

class Stagal : public testing::Test {
  protected:
    void SetUp() override { platform::SetFaults(nullptr); }
    void TearDown() override {
        platform::SetFaults(nullptr);
        unsetenv("VRASK_OSVERSION");
    }
    ScratchDir dir_;
};

TEST_F(Stagal, TheMultimediaVersionIsSeven) {
    int32_t version = -1;
    EXPECT_EQ(GetDXVersion(0, &version), 1);
    EXPECT_EQ(version, 7);
    ASSERT_TRUE(platform::SetFaults("DirectXSetupGetVersion=fail"));
    EXPECT_EQ(GetDXVersion(0, &version), 0);
    EXPECT_EQ(version, 0);
}

TEST_F(Stagal, TheSupportedSystemRuleOnInjectedVersions) {
    unsetenv("VRASK_OSVERSION");
    EXPECT_EQ(CheckSupportedOS(), 1); // this system
    struct Case {
        const char* version;
        int supported;
    } cases[] = {
        {"nt,4.0,Service Pack 6", 0},
        {"nt,5.0", 1},
        {"nt,5.0,Service Pack 3", 1},
        {"nt,5.1,Service Pack 2", 1},
        {"nt,6.0", 1},
        {"nt,3.51", 0},
        {"9x,4.0", 1},
        {"9x,4.10", 1},
        {"9x,4.90", 1},
        {"9x,3.95", 0},
        {"win32s,3.1", 0},
        {"win32s,5.0", 0},
    };
    for (const Case& c : cases) {
        setenv("VRASK_OSVERSION", c.version, 1);
        EXPECT_EQ(CheckSupportedOS(), c.supported) << c.version;
    }
    ASSERT_TRUE(platform::SetFaults("GetVersionEx=fail"));
    EXPECT_EQ(CheckSupportedOS(), 0);
}

TEST_F(Stagal, InstallSucceedsAndEachSetupResultHasItsMessage) {
    char path[64] = "/media/cdrom/directx";
    int32_t mode = 0;
    EXPECT_EQ(InstallDX(nullptr, &mode, path), 1);
    EXPECT_EQ(mode, 0);
    mode = 1; // a test run
    EXPECT_EQ(InstallDX(nullptr, &mode, path), 1);
    EXPECT_EQ(mode, 0);
    ASSERT_TRUE(platform::SetFaults("DirectXSetup=1"));
    mode = 1;
    EXPECT_EQ(InstallDX(nullptr, &mode, path), 1);
    EXPECT_EQ(mode, 1); // a restart would be needed
    EXPECT_STREQ(path, "/media/cdrom/directx");

    struct Case {
        int result;
        const char* message;
    } cases[] = {
        {-1, "DirectX is unsupported on this version of Windows"},
        {-2, "A required source file could not be found"},
        {-3, "A required source file may be corrupted"},
        {-4, "A required source file may be corrupted"},
        {-5, "A required source file may be corrupted"},
        {-6, "Not enough disk space to install DirectX"},
        {-7, "A required setup file could not be found"},
        {-8, "A required setup directory could not be found"},
        {-9, "A required setup DLL could not be found"},
        {-10, "Unknown error"},
        {-11, "DirectX is unsupported on this version of Windows"},
        {-12, "Cancel was pressed before installation completed"},
        {-13, "Not pre-installed on NT error"},
        {-14, "Current version is newer than one being installed"},
        {-15, "Unknown error"},
        {2, "Unknown error"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::SetFaults(("DirectXSetup=" + std::to_string(c.result)).c_str()));
        char buffer[64] = "setup";
        mode = 0;
        EXPECT_EQ(InstallDX(nullptr, &mode, buffer), 0) << c.result;
        EXPECT_STREQ(buffer, c.message) << c.result;
        EXPECT_LE(std::strlen(c.message), 49u);
    }
}

// A script that writes its parameters, one a line, to a file beside it.
std::string MakeScript(const std::string& name) {
    std::ofstream script(name);
    script << "#!/bin/sh\n{ echo \"$#:\"; for a in \"$@\"; do echo \"[$a]\"; done; } > "
              "\"$(dirname \"$0\")/args.tmp\"\nmv \"$(dirname \"$0\")/args.tmp\" "
              "\"$(dirname \"$0\")/args.txt\"\n";
    script.close();
    chmod(name.c_str(), 0755);
    return name;
}

std::string WaitForFile(const std::string& path) {
    for (int i = 0; i < 400; ++i) {
        std::ifstream in(path);
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (in && !text.empty())
            return text;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return "";
}

TEST_F(Stagal, RunProgramWithParmsSplitsAtTheFirstBlank) {
    MakeScript("Install.sh");
    char text[300] = "install.sh -silent \"C:\\Program Files\\Game\"";
    EXPECT_EQ(RunProgramWithParms(nullptr, 0, text), 0);
    EXPECT_STREQ(text, "install.sh"); // the blank became the end
    EXPECT_EQ(WaitForFile("args.txt"), "2:\n[-silent]\n[C:\\Program Files\\Game]\n");

    std::filesystem::remove("args.txt");
    char bare[300] = "install.sh";
    EXPECT_EQ(RunProgramWithParms(nullptr, 0, bare), 0);
    EXPECT_EQ(WaitForFile("args.txt"), "0:\n");

    // A name from the original installer, "x.exe", runs the program "x".
    std::filesystem::remove("args.txt");
    char exe[300] = "INSTALL.SH.exe -a -b";
    EXPECT_EQ(RunProgramWithParms(nullptr, 0, exe), 0);
    EXPECT_EQ(WaitForFile("args.txt"), "2:\n[-a]\n[-b]\n");
    EXPECT_EQ(RunProgramWithParms(nullptr, 0, nullptr), -1);
    EXPECT_EQ(RunProgram(nullptr, 0, nullptr), -1);
}

TEST_F(Stagal, AFailedLaunchPutsTheMessageInTheBufferBeforeTheBox) {
    char target[64] = "missing.exe";
    testing::internal::CaptureStderr();
    EXPECT_EQ(RunProgram(nullptr, 0, target), -1);
    std::string box = testing::internal::GetCapturedStderr();
    EXPECT_STREQ(target, "Unable to open program: SE_ERR_FNF!");
    EXPECT_NE(box.find("Error running program!"), std::string::npos) << box;
    EXPECT_NE(box.find("Unable to open program: SE_ERR_FNF!"), std::string::npos) << box;

    char folder[64] = "nowhere/setup";
    EXPECT_EQ(RunProgram(nullptr, 0, folder), -1);
    EXPECT_STREQ(folder, "Unable to open program: SE_ERR_PNF!");

    // An executable file that is no program.
    {
        std::ofstream junk("junk");
        junk << "\x7f\x01\x02 not a program";
    }
    chmod("junk", 0755);
    char bad[64] = "junk";
    EXPECT_EQ(RunProgram(nullptr, 0, bad), -1);
    EXPECT_STREQ(bad, "Unable to open program: ERROR_BAD_FORMAT!");

    struct Case {
        int code;
        const char* message;
    } cases[] = {
        {5, "Unable to open program: SE_ERR_ACCESSDENIED!"},
        {8, "Unable to open program: SE_ERR_OOM!"},
        {26, "Unable to open program: SE_ERR_SHARE!"},
        {27, "Unable to open program: SE_ERR_ASSOCINCOMPLETE!"},
        {28, "Unable to open program: SE_ERR_DDETIMEOUT!"},
        {29, "Unable to open program: SE_ERR_DDEFAIL!"},
        {30, "Unable to open program: SE_ERR_DDEBUSY!"},
        {31, "Unable to open program: SE_ERR_NOASSOC!"},
        {32, "Unable to open program: SE_ERR_DLLNOTFOUND!"},
        {0, "game.exe"},
        {17, "game.exe"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(platform::SetFaults(("ShellExecuteEx=" + std::to_string(c.code)).c_str()));
        char buffer[64] = "game.exe";
        testing::internal::CaptureStderr();
        EXPECT_EQ(RunProgram(nullptr, 0, buffer), -1) << c.code;
        std::string shown = testing::internal::GetCapturedStderr();
        EXPECT_STREQ(buffer, c.message) << c.code;
        EXPECT_NE(shown.find(c.message), std::string::npos) << shown;
        EXPECT_LE(std::strlen(c.message), 47u);
    }
}

TEST_F(Stagal, DocumentsGoToTheOpener) {
    {
        std::ofstream readme("ReadMe.txt");
        readme << "hello\n";
    }
    {
        std::ofstream opener("opener.sh");
        opener << "#!/bin/sh\necho \"$1\" > opened.txt\n";
    }
    chmod("opener.sh", 0755);
    setenv("VRASK_OPENER", (dir_.Path() / "opener.sh").c_str(), 1);
    char doc[64] = "readme.TXT";
    EXPECT_EQ(RunProgram(nullptr, 0, doc), 0);
    unsetenv("VRASK_OPENER");
    EXPECT_EQ(WaitForFile("opened.txt"), "readme.TXT\n");
}

} // namespace
