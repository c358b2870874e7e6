// The input engine over the platform's scripted devices: set-up and its
// failures, the action bits, lost input, and replaying a recording.
#include "InputFixture.h"

#include <cstring>
#include <vector>

namespace {

using inputtest::InputTest;

TEST_F(InputTest, WithoutJoysticksOnlyTheKeyboardGivesBits) {
    Script("0 down SPACE\n1 down LEFT\n");
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(gInputState.joystickPresent, 0);
    EXPECT_EQ(gInputState.joystickCount, 0);
    EXPECT_EQ(gInputState.joystickList, nullptr);
    EXPECT_EQ(gInputState.joystick1.device, nullptr);
    EXPECT_NE(gInputState.keyboard, nullptr);
    EXPECT_NE(gInputState.mouse, nullptr);
    EXPECT_EQ(Bits(), kActionJump);
    EXPECT_EQ(Bits(), kActionJump | kActionLeft);
    EXPECT_TRUE(gInputState.keysNow[0x39] & 0x80);

    InputCleanup();
    EXPECT_EQ(gInputState.input, nullptr);
    EXPECT_EQ(gInputState.keyboard, nullptr);
    EXPECT_EQ(gInputState.mouse, nullptr);
    EXPECT_EQ(platform::InputObjectsAlive(), 0u);
}

TEST_F(InputTest, ThreeJoysticksAreListedAndOnlySlotOneGivesBits) {
    Script("joysticks 3\n"
           "0 axis 1 x 10000\n0 button 1 0 down\n0 axis 2 y -10000\n"
           "1 axis 0 x -10000\n1 button 0 1 down\n");
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(gInputState.joystickPresent, 1);
    EXPECT_EQ(gInputState.joystickCount, 3);
    std::vector<JoystickNode*> nodes;
    for (JoystickNode* n = gInputState.joystickList; n; n = n->next)
        nodes.push_back(n);
    ASSERT_EQ(nodes.size(), 3u);
    EXPECT_STREQ(nodes[0]->instance.instanceName, "Faked joystick 1");
    EXPECT_STREQ(nodes[1]->instance.instanceName, "Faked joystick 2");
    EXPECT_STREQ(nodes[2]->instance.instanceName, "Faked joystick 3");
    EXPECT_EQ(nodes[0]->instance.size, sizeof(InputDeviceInstance));
    EXPECT_EQ(gInputState.joystick1.device, nodes[0]->device);
    EXPECT_EQ(gInputState.joystick2.device, nodes[1]->device);
    EXPECT_EQ(gInputState.joystickListBlock != nullptr, true);
    EXPECT_EQ(nodes[0]->nextBlock != nullptr, true);
    EXPECT_EQ(platform::InputObjectsAlive(), 1u + 2u + 3u);

    EXPECT_EQ(Bits(), 0u); // the second and third joysticks are not read
    EXPECT_EQ(Bits(), kActionLeft | kActionJump);

    InputCleanup();
    EXPECT_EQ(gInputState.joystickList, nullptr);
    EXPECT_EQ(gInputState.joystick1.device, nullptr);
    EXPECT_EQ(gInputState.joystick2.device, nullptr);
    EXPECT_EQ(platform::InputObjectsAlive(), 0u);
}

struct SetupFault {
    const char* faults;
    uint32_t joysticks;
    const char* location;
    const char* message;
};

// Every step of the set-up, failing in turn: the step's message, and nothing
// left open. With three joysticks the second one fails, after the first was
// listed.
const SetupFault kSetupFaults[] = {
    {"CreateInput=fail", 0, "InputInit()", "Unable to create DirectInput object!"},
    {"CreateDevice=fail@1", 0, "InputInit()", "Unable to create keyboard object!"},
    {"SetDataFormat=fail@1", 0, "InputInit()", "Unable to set keyboard data format!"},
    {"SetCooperativeLevel=fail@1", 0, "InputInit()", "Unable to set keyboard cooperative level!"},
    {"Acquire=background@1", 0, "InputInit()", "Unable to acquire keyboard!"},
    {"CreateDevice=fail@2", 0, "InputInit()", "Unable to create mouse device!"},
    {"SetDataFormat=fail@2", 0, "InputInit()", "Unable to set mouse data format!"},
    {"SetCooperativeLevel=fail@2", 0, "InputInit()", "Unable to set mouse cooperative level!"},
    {"Acquire=fail@2", 0, "InputInit()", "Unable to acquire mouse!"},
    {"EnumDevices=fail", 2, "InputInit()", "Unable to enumerate joystick devices!"},
    {"CreateDevice=fail@4", 3, "JoystickEnumerate()", "Unable to create joystick device!"},
    {"SetDataFormat=fail@4", 3, "JoystickEnumerate()", "Unable to set joystick data format!"},
    {"SetCooperativeLevel=fail@4", 3, "JoystickEnumerate()",
     "Unable to set joystick cooperative level!"},
    {"SetProperty=invalid_param@5", 3, "JoystickEnumerate()", "Unable to set joystick range (x)!"},
    {"SetProperty=invalid_param@6", 3, "JoystickEnumerate()", "Unable to set joystick range (y)!"},
    {"SetProperty=unsupported@7", 3, "JoystickEnumerate()", "Unable to set joystick dead zone!"},
    {"SetProperty=unsupported@8", 3, "JoystickEnumerate()", "Unable to set joystick saturation!"},
    {"Acquire=background@4", 3, "JoystickEnumerate()", "Unable to acquire joystick!"},
    {"HeapAlloc=out_of_memory@2", 3, "JoystickEnumerate()", "Unable to add joystick to list!"},
};

TEST_F(InputTest, EachSetupFailureReportsItsStepAndReleasesEverything) {
    for (const SetupFault& f : kSetupFaults) {
        SCOPED_TRACE(f.faults);
        Script("", f.joysticks);
        gInputState = InputState{};
        gErrorInfo = ErrorInfo{};
        ASSERT_TRUE(platform::SetFaults(f.faults));
        EXPECT_EQ(InputInit(), 0);
        platform::SetFaults(nullptr);
        EXPECT_EQ(gErrorInfo.code, kErrorFatal);
        EXPECT_STREQ(gErrorInfo.sourceFile, "InputEngine");
        EXPECT_STREQ(gErrorInfo.location, f.location);
        EXPECT_STREQ(gErrorInfo.message, f.message);
        EXPECT_EQ(platform::InputObjectsAlive(), 0u);
        EXPECT_EQ(gInputState.input, nullptr);
        EXPECT_EQ(gInputState.keyboard, nullptr);
        EXPECT_EQ(gInputState.mouse, nullptr);
        EXPECT_EQ(gInputState.joystickList, nullptr);
        EXPECT_EQ(gInputState.joystickPresent, 0);
    }
}

TEST_F(InputTest, FailureStopsTheEnumerationAtTheFailingJoystick) {
    // The first joystick refuses its dead zone: the others are never opened.
    Script("", 3);
    ASSERT_TRUE(platform::SetFaults("SetProperty=unsupported@3,CreateDevice=fail@4"));
    EXPECT_EQ(InputInit(), 0);
    EXPECT_STREQ(gErrorInfo.message, "Unable to set joystick dead zone!");
    EXPECT_EQ(platform::InputObjectsAlive(), 0u);
}

TEST_F(InputTest, KeyboardBitsFollowTheBindings) {
    Script("0 down UP\n0 down DOWN\n"                                // frame 0: down wins
           "1 up UP\n1 up DOWN\n1 down LEFT\n1 down RIGHT\n"         // frame 1: left wins
           "2 up LEFT\n2 up RIGHT\n2 down LCONTROL\n2 down LSHIFT\n" // entry 1: nothing
           "3 up LCONTROL\n3 up LSHIFT\n3 down RMENU\n"              // second key of entry 0
           "4 up RMENU\n4 down ESCAPE\n4 down LMENU\n"
           "5 up ESCAPE\n5 up LMENU\n5 down UP\n5 down RIGHT\n");
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(Bits(), kActionDown);
    EXPECT_EQ(Bits(), kActionLeft);
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(Bits(), kActionAttack);
    EXPECT_EQ(Bits(), kActionEscape | kActionAttack);
    EXPECT_EQ(Bits(), kActionUp | kActionRight);
}

TEST_F(InputTest, ScanCodeZeroInABindingIsNeverDown) {
    Script("0 down 0x01\n");
    ASSERT_EQ(InputInit(), 1);
    gInputState.keyBindings[6] = {0, 0, {0, 0}};
    gInputState.keyBindings[3] = {0x01, 0, {0, 0}};
    EXPECT_EQ(Bits(), kActionEscape | kActionDown);
    EXPECT_EQ(gInputState.keysNow[0], 0);
}

TEST_F(InputTest, JoystickAxesPassTheDeadZoneAndThreshold) {
    // Positions are of the travel; the dead zone of 6000 reads as 0, and
    // 6002 comes out as exactly 5, 6004 as 10.
    Script("joysticks 1\n"
           "0 axis 0 x 6000\n0 axis 0 y -6000\n"
           "1 axis 0 x 6002\n1 axis 0 y -6002\n"
           "2 axis 0 x -6002\n2 axis 0 y 6002\n"
           "3 axis 0 x 6004\n3 axis 0 y -6004\n"
           "4 axis 0 x -10000\n4 axis 0 y 10000\n"
           "5 axis 0 x 10000\n5 down LEFT\n5 button 0 0 down\n5 down RMENU\n"
           "6 axis 0 x 0\n6 button 0 1 down\n6 up LEFT\n6 down LMENU\n");
    ASSERT_EQ(InputInit(), 1);
    const JoyState2& joy = gInputState.joystick1.state;
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(joy.x, 0);
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(joy.x, 5);
    EXPECT_EQ(joy.y, -5);
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(joy.x, -5);
    EXPECT_EQ(Bits(), kActionRight | kActionUp);
    EXPECT_EQ(joy.x, 10);
    EXPECT_EQ(Bits(), kActionLeft | kActionDown);
    EXPECT_EQ(joy.x, -10000);
    EXPECT_EQ(joy.y, 10000);
    // Keyboard and joystick add up.
    EXPECT_EQ(Bits(), kActionRight | kActionLeft | kActionDown | kActionAttack);
    EXPECT_EQ(Bits(), kActionDown | kActionAttack | kActionJump);
}

TEST_F(InputTest, LostFocusReacquiresWithOneLineATryAndLetsEverythingGo) {
    Script("joysticks 1\n0 down SPACE\n0 axis 0 x -10000\n0 button 0 0 down\n"
           "2 focus lost\n3 down LEFT\n5 focus gained\n");
    ASSERT_EQ(InputInit(), 1);
    NewDebugText();
    const std::string keyboardLine = "\nHighScores had to reacquire keyboard!\n";
    const std::string joystickLine = "\nHighScores had to reacquire joystick!\n";
    const uint32_t held = kActionJump | kActionLeft | kActionAttack;

    EXPECT_EQ(Bits(), held);
    EXPECT_EQ(Bits(), held);
    EXPECT_EQ(NewDebugText(), "");
    // In the background: every read is lost, every acquire refused, and
    // nothing reads as held, so the hero does not walk on by itself.
    for (int frame = 2; frame < 5; ++frame) {
        SCOPED_TRACE(frame);
        EXPECT_EQ(Bits(), 0u);
        std::string text = NewDebugText();
        EXPECT_EQ(Count(text, keyboardLine), 1);
        EXPECT_EQ(Count(text, joystickLine), 2); // poll and read
    }
    EXPECT_FALSE(gInputState.keysNow[0x39] & 0x80);
    EXPECT_EQ(gInputState.joystick1.state.x, 0);
    EXPECT_EQ(gInputState.joystick1.state.pov[0], 0xFFFFFFFFu);
    // Back in front: acquired again on the first read; the joystick, taken
    // back by its poll, reads at once, the keyboard from the next read.
    EXPECT_EQ(Bits(), kActionLeft | kActionAttack);
    std::string text = NewDebugText();
    EXPECT_EQ(Count(text, keyboardLine), 1);
    EXPECT_EQ(Count(text, joystickLine), 1);
    EXPECT_EQ(Bits(), held);
    EXPECT_EQ(NewDebugText(), "");
}

TEST_F(InputTest, AnAcquireThatAnswersInputLostIsRepeated) {
    Script("0 down SPACE\n1 focus lost\n1 focus gained\n");
    ASSERT_EQ(InputInit(), 1); // keyboard and mouse take acquires 1 and 2
    EXPECT_EQ(Bits(), kActionJump);
    NewDebugText();
    ASSERT_TRUE(platform::SetFaults("Acquire=input_lost@1"));
    EXPECT_EQ(Bits(), 0u); // the frame the keyboard was lost reads nothing held
    EXPECT_EQ(NewDebugText(), "\nHighScores had to reacquire keyboard!\n"
                              "\nHighScores had to reacquire keyboard!\n");
    EXPECT_EQ(Bits(), kActionJump);
    EXPECT_EQ(NewDebugText(), "");
}

TEST_F(InputTest, ReadFailuresOtherThanLostLeaveTheSnapshot) {
    Script("0 down SPACE\n1 up SPACE\n");
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(Bits(), kActionJump);
    ASSERT_TRUE(platform::SetFaults("GetDeviceState=fail@1"));
    EXPECT_EQ(Bits(), kActionJump);
    EXPECT_EQ(Bits(), 0u);
}

TEST_F(InputTest, SharedReadNamesTheScreen) {
    Script("0 focus lost\n");
    ASSERT_EQ(InputInit(), 1);
    NewDebugText();
    InputReadDevices("LevelEngine");
    EXPECT_EQ(NewDebugText(), "\nLevelEngine had to reacquire keyboard!\n");
}

struct Frame {
    uint8_t keys[256];
    JoyState2 joystick;
    uint32_t bits;
    bool operator==(const Frame& o) const { return std::memcmp(this, &o, sizeof(*this)) == 0; }
};

std::vector<Frame> RunFrames(int count) {
    std::vector<Frame> frames;
    EXPECT_EQ(InputInit(), 1);
    for (int i = 0; i < count; ++i) {
        Frame f{};
        EXPECT_EQ(HighScoresGetInput(&f.bits), 1);
        std::memcpy(f.keys, gInputState.keysNow, 256);
        f.joystick = gInputState.joystick1.state;
        frames.push_back(f);
    }
    InputCleanup();
    return frames;
}

TEST_F(InputTest, ControllersPluggedInOrOutDuringPlayAreTakenUpOrDroppedAtTheNextRead) {
    // Both faked joysticks start unplugged, their first plug line plugging them in.
    const char* session = "joysticks 2\n"
                          "2 plug 1\n2 axis 1 x 10000\n"               // the first one comes
                          "4 unplug 1\n"                               // and goes, stick held
                          "6 plug 0\n6 button 0 0 down\n"              // another one comes
                          "8 unplug 0\n9 plug 0\n9 axis 0 y -10000\n"; // and comes back
    const std::string first = "input_plug_a_" + std::to_string(getpid()) + ".txt";
    const std::string second = "input_plug_b_" + std::to_string(getpid()) + ".txt";
    Script(session);
    ASSERT_TRUE(platform::SetInputRecord(first.c_str()));
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(gInputState.joystickPresent, 0);
    NewDebugText();
    const uint32_t expected[] = {
        0, 0, kActionRight, kActionRight, 0, 0, kActionAttack, kActionAttack, 0, kActionUp};
    std::vector<Frame> live;
    for (uint32_t bits : expected) {
        SCOPED_TRACE(live.size());
        Frame f{};
        EXPECT_EQ(HighScoresGetInput(&f.bits), 1);
        EXPECT_EQ(f.bits, bits);
        std::memcpy(f.keys, gInputState.keysNow, 256);
        f.joystick = gInputState.joystick1.state;
        live.push_back(f);
        if (live.size() == 3) {
            EXPECT_EQ(Count(NewDebugText(), "HighScores took up a joystick!"), 1);
        }
    }
    EXPECT_EQ(live[4].joystick.x, 0) << "an unplugged joystick reads centred";
    EXPECT_EQ(gInputState.joystickCount, 1);
    EXPECT_EQ(gErrorInfo.code, 0);
    InputCleanup();
    platform::SetInputRecord(nullptr);
    EXPECT_EQ(platform::InputObjectsAlive(), 0u);

    // The recording says when each came and went, and replays the same.
    std::string recorded = inputtest::ReadFile(first);
    for (const char* line : {"2 plug 0\n", "4 unplug 0\n", "6 plug 1\n", "9 plug 1\n"})
        EXPECT_NE(recorded.find(line), std::string::npos) << line << recorded;
    Script(recorded.c_str());
    ASSERT_TRUE(platform::SetInputRecord(second.c_str()));
    gInputState.joystick1.state = JoyState2{};
    std::vector<Frame> replayed = RunFrames(static_cast<int>(live.size()));
    platform::SetInputRecord(nullptr);
    for (size_t i = 0; i < live.size(); ++i)
        EXPECT_TRUE(live[i] == replayed[i]) << "frame " << i;
    EXPECT_EQ(inputtest::ReadFile(second), recorded);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

TEST_F(InputTest, AJoystickThatCannotBeTakenUpLeavesNoErrorPending) {
    Script("joysticks 1\n1 plug 0\n1 axis 0 x 10000\n");
    ASSERT_EQ(InputInit(), 1);
    EXPECT_EQ(Bits(), 0u);
    NewDebugText();
    ASSERT_TRUE(platform::SetFaults("SetProperty=unsupported@1"));
    EXPECT_EQ(Bits(), 0u);
    EXPECT_EQ(gErrorInfo.code, 0) << "the game would not save its preferences";
    EXPECT_EQ(Count(NewDebugText(),
                    "HighScores could not take up a joystick: Unable to set joystick range (x)!"),
              1);
    EXPECT_EQ(gInputState.joystickPresent, 0);
    EXPECT_EQ(platform::InputObjectsAlive(), 3u); // the input object, keyboard and mouse
}

TEST_F(InputTest, ARecordingReplaysToTheSameStates) {
    const char* session = "joysticks 2\n"
                          "0 down RIGHT   # walk\n"
                          "2 axis 0 x 7000\n2 axis 0 ry -3000\n2 button 0 3 down\n"
                          "3 down 0x39\n3 pov 0 0 9000\n3 axis 1 x -10000\n"
                          "5 focus lost\n6 down ESCAPE\n7 focus gained\n"
                          "8 up RIGHT\n8 axis 0 x -6500\n9 pov 0 0 centre\n9 button 0 3 up\n"
                          "11 up SPACE\n";
    const std::string first = "input_record_a_" + std::to_string(getpid()) + ".txt";
    const std::string second = "input_record_b_" + std::to_string(getpid()) + ".txt";

    Script(session);
    ASSERT_TRUE(platform::SetInputRecord(first.c_str()));
    std::vector<Frame> live = RunFrames(14);
    platform::SetInputRecord(nullptr);
    std::string recorded = inputtest::ReadFile(first);
    EXPECT_NE(recorded.find("joysticks 2\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("3 down SPACE\n"), std::string::npos) << recorded;
    EXPECT_NE(recorded.find("5 focus lost\n"), std::string::npos) << recorded;

    Script(recorded.c_str());
    ASSERT_TRUE(platform::SetInputRecord(second.c_str()));
    std::vector<Frame> replayed = RunFrames(14);
    platform::SetInputRecord(nullptr);

    ASSERT_EQ(live.size(), replayed.size());
    for (size_t i = 0; i < live.size(); ++i)
        EXPECT_TRUE(live[i] == replayed[i]) << "frame " << i;
    EXPECT_EQ(inputtest::ReadFile(second), recorded);
    // The session did something: the frames differ over time.
    EXPECT_FALSE(live[1] == live[4]);
    std::remove(first.c_str());
    std::remove(second.c_str());
}

} // namespace
