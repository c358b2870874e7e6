// No live devices: keys are up and no joystick is attached unless a script
// or VRASK_JOYSTICKS fakes them; the window always has the focus.
#include "platform/input/InputBackend.h"

namespace platform::input {
namespace {

class HeadlessInput final : public InputBackend {
  public:
    void ReadKeyboard(uint8_t*) override {}
    void ReadMouse(MouseState2*) override {}
    bool HasFocus() override { return true; }
    uint64_t FocusLosses() override { return 0; }
    void ListJoysticks(std::vector<InputDeviceInstance>*) override {}
    LiveJoystick* OpenJoystick(const Guid&) override { return nullptr; }
};

} // namespace

InputBackend* CreateHeadlessInputBackend() {
    return new HeadlessInput;
}

} // namespace platform::input
