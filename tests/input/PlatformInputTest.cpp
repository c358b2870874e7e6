// The platform's input devices: data formats, cooperative levels, acquire
// and loss, axis properties, the script format and the scan-code tables.
#include "InputFixture.h"
#include "platform/input/InputBackend.h"

#include <cstring>
#include <vector>

namespace {

using inputtest::InputTest;
using namespace platform;

class DeviceTest : public InputTest {
  protected:
    void TearDown() override {
        for (InputDevice* d : devices_)
            d->Release();
        if (system_)
            system_->Release();
        InputTest::TearDown();
    }

    void Open() {
        ASSERT_EQ(CreateInput(nullptr, DIRECTINPUT_VERSION, &system_), kOk);
        listed_.clear();
        ASSERT_EQ(system_->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &listed_, DIEDFL_ATTACHEDONLY),
                  kOk);
    }

    InputDevice* Make(const Guid& guid) {
        InputDevice* d = nullptr;
        EXPECT_EQ(system_->CreateDevice(guid, &d), kOk);
        if (d)
            devices_.push_back(d);
        return d;
    }

    InputDevice* Joystick(int n) {
        InputDevice* d = Make(listed_.at(n).instanceGuid);
        EXPECT_EQ(d->SetDataFormat(DataFormat::Joystick2), kOk);
        EXPECT_EQ(d->SetCooperativeLevel(gMainWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND), kOk);
        return d;
    }

    InputDevice* Keyboard(uint32_t coop = DISCL_EXCLUSIVE | DISCL_FOREGROUND) {
        InputDevice* d = Make(GUID_SysKeyboard);
        EXPECT_EQ(d->SetDataFormat(DataFormat::Keyboard), kOk);
        EXPECT_EQ(d->SetCooperativeLevel(gMainWindow, coop), kOk);
        return d;
    }

    static int Collect(const InputDeviceInstance* instance, void* context) {
        static_cast<std::vector<InputDeviceInstance>*>(context)->push_back(*instance);
        return DIENUM_CONTINUE;
    }

    static Result Range(InputDevice* d, uint32_t how, uint32_t object, int32_t min, int32_t max) {
        PropRange r{{sizeof(r), object, how}, min, max};
        return d->SetProperty(DIPROP_RANGE, &r.header);
    }
    static Result Dword(InputDevice* d, uint32_t property, uint32_t value) {
        PropDword p{{sizeof(p), 0, DIPH_DEVICE}, value};
        return d->SetProperty(property, &p.header);
    }

    InputSystem* system_ = nullptr;
    std::vector<InputDeviceInstance> listed_;
    std::vector<InputDevice*> devices_;
};

TEST_F(DeviceTest, EnumerationListsTheFakedJoysticksInOrderAndStops) {
    Script("", 3);
    Open();
    ASSERT_EQ(listed_.size(), 3u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(listed_[i].devType & 0xFF, DIDEVTYPE_JOYSTICK);
    EXPECT_NE(std::memcmp(&listed_[0].instanceGuid, &listed_[1].instanceGuid, 16), 0);
    // The same order on a second enumeration; a callback can stop it.
    int calls = 0;
    auto stopAtFirst = [](const InputDeviceInstance*, void* c) {
        ++*static_cast<int*>(c);
        return DIENUM_STOP;
    };
    EXPECT_EQ(system_->EnumDevices(DIDEVTYPE_JOYSTICK, stopAtFirst, &calls, 0), kOk);
    EXPECT_EQ(calls, 1);
    std::vector<InputDeviceInstance> again;
    system_->EnumDevices(DIDEVTYPE_JOYSTICK, Collect, &again, 0);
    ASSERT_EQ(again.size(), 3u);
    EXPECT_STREQ(again[2].instanceName, listed_[2].instanceName);
    // Keyboards and mice are listed by their own type.
    std::vector<InputDeviceInstance> keyboards;
    system_->EnumDevices(DIDEVTYPE_KEYBOARD, Collect, &keyboards, 0);
    ASSERT_EQ(keyboards.size(), 1u);
    EXPECT_EQ(std::memcmp(&keyboards[0].instanceGuid, &GUID_SysKeyboard, 16), 0);
}

TEST_F(DeviceTest, AxesGoThroughRangeDeadZoneAndSaturation) {
    Script("joysticks 1\n"
           "0 axis 0 x 10000\n0 axis 0 y -10000\n0 button 0 7 down\n0 pov 0 1 27000\n"
           "1 axis 0 x 2000\n1 axis 0 y 6000\n"
           "2 axis 0 x 8000\n2 axis 0 y -5000\n"
           "3 axis 0 x 9000\n3 axis 0 y 5000\n");
    Open();
    InputDevice* joy = Joystick(0);
    InputDevice* keys = Keyboard();
    ASSERT_EQ(joy->Acquire(), kOk);
    ASSERT_EQ(keys->Acquire(), kOk);
    uint8_t k[256];
    JoyState2 s{};

    // The default range is 0 to 65535, centred at 32767.
    ASSERT_EQ(joy->GetDeviceState(sizeof(s), &s), kOk);
    EXPECT_EQ(s.x, 32767);
    EXPECT_EQ(s.pov[0], 0xFFFFFFFFu);
    keys->GetDeviceState(256, k); // read 0
    ASSERT_EQ(joy->Poll(), kOk);
    ASSERT_EQ(joy->GetDeviceState(sizeof(s), &s), kOk);
    EXPECT_EQ(s.x, 65535);
    EXPECT_EQ(s.y, 0);
    EXPECT_EQ(s.z, 32767);
    EXPECT_EQ(s.buttons[7], 0x80);
    EXPECT_EQ(s.pov[1], 27000u);

    ASSERT_EQ(joy->Unacquire(), kOk);
    EXPECT_EQ(Range(joy, DIPH_BYOFFSET, DIJOFS_X, -100, 100), kOk);
    EXPECT_EQ(Range(joy, DIPH_BYOFFSET, DIJOFS_Y, -100, 100), kOk);
    EXPECT_EQ(Dword(joy, DIPROP_DEADZONE, 2000), kOk);
    EXPECT_EQ(Dword(joy, DIPROP_SATURATION, 8000), kOk);
    ASSERT_EQ(joy->Acquire(), kOk);
    ASSERT_EQ(joy->GetDeviceState(sizeof(s), &s), kOk);
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, -100);
    EXPECT_EQ(s.rx, 32767); // untouched axes keep the default range

    keys->GetDeviceState(256, k); // read 1: inside the dead zone, then half way
    joy->GetDeviceState(sizeof(s), &s);
    EXPECT_EQ(s.x, 0);
    EXPECT_EQ(s.y, 66);           // (6000 - 2000) / (8000 - 2000) of the way
    keys->GetDeviceState(256, k); // read 2: saturated, and negative
    joy->GetDeviceState(sizeof(s), &s);
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, -50);
    keys->GetDeviceState(256, k); // read 3
    joy->GetDeviceState(sizeof(s), &s);
    EXPECT_EQ(s.x, 100);
    EXPECT_EQ(s.y, 50);
}

TEST_F(DeviceTest, PropertiesAreCheckedAndRefusedWhileAcquired) {
    Script("", 1);
    Open();
    InputDevice* joy = Joystick(0);
    EXPECT_EQ(Range(joy, DIPH_BYOFFSET, 2, -1, 1), kNotFound);  // not an axis offset
    EXPECT_EQ(Range(joy, DIPH_BYOFFSET, 48, -1, 1), kNotFound); // the buttons
    EXPECT_EQ(Range(joy, DIPH_BYOFFSET, DIJOFS_X, 5, 5), kInvalidParam);
    EXPECT_EQ(Range(joy, DIPH_DEVICE, 4, -1, 1), kInvalidParam);
    EXPECT_EQ(Dword(joy, DIPROP_DEADZONE, 10001), kInvalidParam);
    PropDword wrongSize{{sizeof(PropRange), 0, DIPH_DEVICE}, 1};
    EXPECT_EQ(joy->SetProperty(DIPROP_DEADZONE, &wrongSize.header), kInvalidParam);
    ASSERT_EQ(joy->Acquire(), kOk);
    EXPECT_EQ(Dword(joy, DIPROP_DEADZONE, 100), kAcquired);
    EXPECT_EQ(joy->SetDataFormat(DataFormat::Joystick2), kAcquired);
    EXPECT_EQ(Dword(Keyboard(), DIPROP_DEADZONE, 100), kUnsupported);
}

TEST_F(DeviceTest, FormatsAndCooperativeLevelsAreChecked) {
    Script("");
    Open();
    InputDevice* raw = Make(GUID_SysKeyboard);
    uint8_t keys[256];
    EXPECT_EQ(raw->Acquire(), kInvalidParam); // no data format yet
    EXPECT_EQ(raw->SetDataFormat(DataFormat::Joystick2), kInvalidParam);
    EXPECT_EQ(raw->SetDataFormat(DataFormat::Keyboard), kOk);
    EXPECT_EQ(raw->SetCooperativeLevel(nullptr, DISCL_EXCLUSIVE | DISCL_FOREGROUND), kInvalidParam);
    EXPECT_EQ(raw->SetCooperativeLevel(gMainWindow,
                                       DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE | DISCL_FOREGROUND),
              kInvalidParam);
    EXPECT_EQ(raw->SetCooperativeLevel(gMainWindow, DISCL_EXCLUSIVE), kInvalidParam);
    EXPECT_EQ(raw->GetDeviceState(256, keys), kNotAcquired);
    EXPECT_EQ(raw->SetCooperativeLevel(gMainWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND), kOk);
    ASSERT_EQ(raw->Acquire(), kOk);
    EXPECT_EQ(raw->Acquire(), kOk); // already acquired
    EXPECT_EQ(raw->GetDeviceState(255, keys), kInvalidParam);
    EXPECT_EQ(raw->GetDeviceState(256, keys), kOk);

    // One exclusive owner at a time; others may share.
    InputDevice* second = Keyboard();
    EXPECT_EQ(second->Acquire(), kOtherAppHasPrio);
    EXPECT_EQ(Keyboard(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND)->Acquire(), kOk);
    EXPECT_EQ(raw->Unacquire(), kOk);
    EXPECT_EQ(second->Acquire(), kOk);
    EXPECT_EQ(raw->GetDeviceState(256, keys), kNotAcquired);

    InputDevice* mouse = Make(GUID_SysMouse);
    MouseState2 m;
    EXPECT_EQ(mouse->SetDataFormat(DataFormat::Mouse2), kOk);
    EXPECT_EQ(mouse->SetCooperativeLevel(gMainWindow, DISCL_EXCLUSIVE | DISCL_FOREGROUND), kOk);
    EXPECT_EQ(mouse->Acquire(), kOk);
    EXPECT_EQ(mouse->GetDeviceState(sizeof(m), &m), kOk);
    EXPECT_EQ(m.x, 0);
}

TEST_F(DeviceTest, ALostDeviceStaysLostUntilAcquiredInFront) {
    Script("0 down A\n1 focus lost\n1 down B\n3 focus gained\n");
    Open();
    InputDevice* keys = Keyboard();
    InputDevice* shared = Keyboard(DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    ASSERT_EQ(keys->Acquire(), kOk);
    ASSERT_EQ(shared->Acquire(), kOk);
    uint8_t k[256] = {}, s[256] = {};
    ASSERT_EQ(keys->GetDeviceState(256, k), kOk); // read 0
    EXPECT_EQ(k[0x1E], 0x80);
    std::memset(k, 0x11, sizeof(k));
    EXPECT_EQ(keys->GetDeviceState(256, k), kInputLost); // read 1
    EXPECT_EQ(k[0x1E], 0x11);                            // left as it was
    EXPECT_EQ(keys->Acquire(), kOtherAppHasPrio);
    EXPECT_EQ(keys->GetDeviceState(256, k), kInputLost); // read 2: still lost
    EXPECT_EQ(shared->GetDeviceState(256, s), kOk);      // read 3: background devices read on
    EXPECT_EQ(s[0x30], 0x80);
    EXPECT_EQ(keys->GetDeviceState(256, k), kInputLost); // read 4, in front again
    EXPECT_EQ(keys->Acquire(), kOk);
    EXPECT_EQ(keys->GetDeviceState(256, k), kOk);
    EXPECT_EQ(k[0x30], 0x80);
    EXPECT_EQ(keys->Unacquire(), kOk);
    EXPECT_EQ(keys->GetDeviceState(256, k), kNotAcquired);
}

TEST_F(DeviceTest, InjectedFaultsAnswerTheChosenResult) {
    Script("", 1);
    ASSERT_TRUE(SetFaults("CreateInput=no_driver@1"));
    InputSystem* none = nullptr;
    EXPECT_EQ(CreateInput(nullptr, DIRECTINPUT_VERSION, &none), kNoDriver);
    EXPECT_EQ(none, nullptr);
    Open();
    InputDevice* joy = Joystick(0);
    ASSERT_EQ(joy->Acquire(), kOk);
    ASSERT_TRUE(SetFaults("Poll=input_lost@1,GetDeviceState=not_acquired@1"));
    JoyState2 s;
    EXPECT_EQ(joy->Poll(), kInputLost);
    EXPECT_EQ(joy->Poll(), kOk);
    EXPECT_EQ(joy->GetDeviceState(sizeof(s), &s), kNotAcquired);
    EXPECT_EQ(joy->GetDeviceState(sizeof(s), &s), kOk);
    EXPECT_EQ(ResultName(kAcquired), std::string("acquired"));
    EXPECT_EQ(ResultName(kUnplugged), std::string("unplugged"));
}

TEST(InputScript, BadLinesAreRefused) {
    const char* bad[] = {
        "0 down NOSUCHKEY\n",
        "x down A\n",
        "1 down\n",
        "1 axis 0 x 20000\n",
        "joysticks 1\n1 axis 1 x 0\n",
        "1 axis 0 x 5\n",
        "joysticks 17\n",
        "1 button 0 128 down\n",
        "1 pov 0 0 36000\n",
        "1 focus away\n",
        "1 jump A\n",
        "1 down 0x100\n",
        "1 down 0x00\n",
        "-1 down A\n",
        "1 plug\n",
        "joysticks 1\n1 unplug 1\n",
    };
    for (const char* text : bad)
        EXPECT_FALSE(SetInputScript(text, 0)) << text;
    EXPECT_TRUE(SetInputScript("# only a comment\n\n   \n5 down dik_space # trailing\n"
                               "joysticks 1\n2 axis 0 slider1 -10000\n2 pov 0 3 centre\n",
                               0));
    SetInputScript("", 0);
}

TEST(InputScript, KeysByNameAliasOrHexAndOutOfOrderLines) {
    ASSERT_TRUE(SetInputScript("2 down 0x39\n0 down DIK_RMENU\n1 down ralt\n1 up RMENU\n"
                               "2 down uparrow\n",
                               0));
    InputSystem* system = nullptr;
    ASSERT_EQ(CreateInput(nullptr, DIRECTINPUT_VERSION, &system), kOk);
    InputDevice* keys = nullptr;
    ASSERT_EQ(system->CreateDevice(GUID_SysKeyboard, &keys), kOk);
    keys->SetDataFormat(DataFormat::Keyboard);
    keys->SetCooperativeLevel(inputtest::TestWindow(), DISCL_NONEXCLUSIVE | DISCL_BACKGROUND);
    ASSERT_EQ(keys->Acquire(), kOk);
    uint8_t k[256];
    keys->GetDeviceState(256, k);
    EXPECT_EQ(k[0xB8], 0x80);
    keys->GetDeviceState(256, k); // same index: down then up is a tap, seen once
    EXPECT_EQ(k[0xB8], 0x80);
    keys->GetDeviceState(256, k);
    EXPECT_EQ(k[0xB8], 0);
    EXPECT_EQ(k[0x39], 0x80);
    EXPECT_EQ(k[0xC8], 0x80);
    keys->Release();
    system->Release();
    SetInputScript("", 0);
}

TEST(ScanCodes, NamesRoundTripAndSdlKeysMapToTheirCodes) {
    for (int code = 1; code < 256; ++code) {
        const char* name = input::ScanCodeName(static_cast<uint8_t>(code));
        if (!name)
            continue;
        uint8_t back = 0;
        EXPECT_TRUE(input::ParseScanCode(name, &back)) << name;
        EXPECT_EQ(back, code) << name;
    }
    // SDL scancodes are the USB usage numbers.
    struct Pair {
        int sdl;
        uint8_t code;
    };
    const Pair pairs[] = {
        {4, 0x1E},   {29, 0x2C},  {30, 0x02},  {39, 0x0B},  {40, 0x1C},  {41, 0x01},
        {44, 0x39},  {58, 0x3B},  {68, 0x57},  {69, 0x58},  {79, 0xCD},  {80, 0xCB},
        {81, 0xD0},  {82, 0xC8},  {88, 0x9C},  {89, 0x4F},  {98, 0x52},  {224, 0x1D},
        {225, 0x2A}, {226, 0x38}, {228, 0x9D}, {229, 0x36}, {230, 0xB8}, {227, 0xDB},
        {73, 0xD2},  {74, 0xC7},  {75, 0xC9},  {76, 0xD3},  {77, 0xCF},  {78, 0xD1},
    };
    for (const Pair& p : pairs)
        EXPECT_EQ(input::ScanCodeFromSdl(p.sdl), p.code) << "SDL scancode " << p.sdl;
    // Every mapped key has a name, so recordings can spell it.
    int mapped = 0;
    for (int sdl = 0; sdl < 512; ++sdl) {
        uint8_t code = input::ScanCodeFromSdl(sdl);
        if (!code)
            continue;
        ++mapped;
        EXPECT_NE(input::ScanCodeName(code), nullptr) << "SDL scancode " << sdl;
    }
    EXPECT_GE(mapped, 120);
    EXPECT_EQ(input::ScanCodeFromSdl(-1), 0);
    EXPECT_EQ(input::ScanCodeFromSdl(100000), 0);
}

} // namespace
