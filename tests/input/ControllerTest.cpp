// SDL game controllers on the sdl backend, with joysticks of SDL's virtual
// driver: their mappings, from the file beside the preferences and from
// SDL_GAMECONTROLLERCONFIG, and controllers plugged in and out while the
// game reads them. Run under Xvfb only (on_xvfb.sh).
#include "InputFixture.h"
#include "platform/Platform.h"
#include "support/ScratchDir.h"

#include <filesystem>
#include <fstream>

namespace {

using inputtest::InputTest;

std::string Mapping(const char* guid, const char* name, int buttonA) {
    return std::string(guid) + "," + name + ",a:b" + std::to_string(buttonA) +
           ",b:b1,leftx:a0,lefty:a1,platform:Linux,";
}

TEST_F(InputTest, MappedControllersArePluggedInAndOutDuringPlay) {
    if (platform::IsHeadless())
        GTEST_SKIP() << "the sdl backend's own joysticks";
    ScratchDir scratch;
    char first[33] = {}, second[33] = {};
    int padA = platform::PlugVirtualJoystick("Vrask pad A", 2, 4, first);
    int padB = platform::PlugVirtualJoystick("Vrask pad B", 2, 4, second);
    if (padA < 0 || padB < 0)
        GTEST_SKIP() << "SDL offers no virtual joysticks";
    platform::UnplugVirtualJoystick(padB); // it comes later, during play

    // The file maps A's and B's face button A to raw button 2; the variable
    // maps B's to raw button 3, and wins.
    std::filesystem::create_directories("data");
    std::ofstream("data/gamecontrollerdb.txt") << "# controllers\n"
                                               << Mapping(first, "Vrask pad A", 2) << "\n"
                                               << Mapping(second, "Vrask pad B", 2) << "\n";
    setenv("SDL_GAMECONTROLLERCONFIG", Mapping(second, "Vrask pad B", 3).c_str(), 1);
    platform::SetInputScript(nullptr); // live input from here on

    ASSERT_EQ(InputInit(), 1) << gErrorInfo.message;
    ASSERT_EQ(gInputState.joystickCount, 1);
    EXPECT_EQ(gInputState.joystickList->instance.devType >> 8, 5u) << "read as a controller";
    EXPECT_EQ(Bits(), 0u);
    platform::SetVirtualJoystick(padA, false, 2, 1);
    EXPECT_EQ(Bits(), kActionAttack);
    platform::SetVirtualJoystick(padA, true, 0, 32767);
    EXPECT_EQ(Bits(), kActionAttack | kActionRight);

    // Unplugged with the stick and button held: it lets go at the next read.
    platform::UnplugVirtualJoystick(padA);
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(gInputState.joystick1.state.x, 0);
    EXPECT_EQ(Bits(), 0u);

    // Another controller is plugged in: the next read takes it up.
    padB = platform::PlugVirtualJoystick("Vrask pad B", 2, 4, second);
    ASSERT_GE(padB, 0);
    platform::SetVirtualJoystick(padB, false, 3, 1);
    EXPECT_EQ(Bits(), kActionAttack);
    platform::SetVirtualJoystick(padB, false, 3, 0);
    platform::SetVirtualJoystick(padB, false, 2, 1);
    EXPECT_EQ(Bits(), 0u) << "the variable's mapping wins over the file's";
    platform::UnplugVirtualJoystick(padB);
    EXPECT_EQ(Bits(), 0u);
    InputCleanup();
    platform::SetInputScript("");
}

} // namespace
