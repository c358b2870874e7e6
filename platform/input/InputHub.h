// The process-wide source of input: the backend's live devices or a script,
// the count of keyboard reads that scripts are keyed by, the focus as the
// devices see it, and the recording.
#pragma once

#include "platform/Result.h"
#include "platform/input/InputBackend.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace platform::input {

struct FocusView {
    bool focus;
    uint64_t losses;
};

class Hub {
  public:
    static Hub& Get();

    // Loads VRASK_INPUT and opens VRASK_RECORD the first time; later calls
    // return the first answer.
    Result Start();
    bool SetScript(const char* text, uint32_t fakeJoysticks);
    bool SetRecord(const char* path);

    // One keyboard read: advances the read count, applies the script's
    // events for this read, takes the focus, records, and fills `keys`.
    void ReadKeyboard(uint8_t keys[256]);
    void ReadMouse(MouseState2* out);
    // The focus as of the last keyboard read (live until the first one).
    FocusView Focus();

    // Attached joysticks: live ones (unless a script drives input), then
    // the faked ones.
    void ListJoysticks(std::vector<InputDeviceInstance>* out);
    // The joystick's number in the listing, or -1.
    int JoystickNumber(const Guid& instance);
    // Null for a faked joystick or one no longer attached.
    std::unique_ptr<LiveJoystick> OpenLive(const Guid& instance);
    // False when the joystick is unplugged.
    bool ReadJoystick(int number, LiveJoystick* live, RawJoystick* out);
    // For a device whose joystick was unplugged: the number of an attached
    // joystick to carry on with (that one plugged back, one of the same
    // make, or any no device is made on), or -1.
    int Replacement(int number);
    Guid JoystickGuid(int number);
    // Counts the devices made on a joystick.
    void Hold(int number, int change);
    // Joysticks plugged in since the start, live or scripted.
    uint64_t Arrivals();

    // Exclusive acquisition: one owner per device.
    bool ClaimExclusive(const Guid& device, const void* owner);
    void DropExclusive(const void* owner);

  private:
    struct Impl;
    Hub();
    Impl* impl_;
};

} // namespace platform::input
