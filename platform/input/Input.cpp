// The input object and its devices: the state every device keeps (format,
// cooperative level, acquisition, loss), and the axis processing of
// joysticks (range, dead zone, saturation).
#include "platform/Input.h"
#include "platform/Faults.h"
#include "platform/Window.h"
#include "platform/input/InputHub.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace platform {

const Guid GUID_SysKeyboard = {
    {'V', 'R', 'A', 'S', 'K', 'S', 'Y', 'S', 'K', 'E', 'Y', 'B', 0, 0, 0, 1}};
const Guid GUID_SysMouse = {
    {'V', 'R', 'A', 'S', 'K', 'S', 'Y', 'S', 'M', 'O', 'U', 'S', 0, 0, 0, 2}};

namespace {

using input::Hub;
using input::RawJoystick;

std::atomic<uint32_t> gAlive{0};

bool SameGuid(const Guid& a, const Guid& b) {
    return std::memcmp(a.bytes, b.bytes, 16) == 0;
}

// Axis processing: a position in -10000..10000 of the travel goes through
// the dead zone and saturation, then onto the axis range.
struct Axis {
    int32_t min = 0;
    int32_t max = 65535;
    uint32_t deadZone = 0;
    uint32_t saturation = 10000;

    int32_t Report(int32_t position) const {
        int64_t a = std::llabs(position);
        int64_t n;
        if (a <= deadZone)
            n = 0;
        else if (a >= saturation)
            n = 10000;
        else
            n = (a - deadZone) * 10000 / (int64_t(saturation) - deadZone);
        if (position < 0)
            n = -n;
        return static_cast<int32_t>(min + (n + 10000) * (int64_t(max) - min) / 20000);
    }
};

enum class Kind { Keyboard, Mouse, Joystick };

uint32_t FormatSize(DataFormat format) {
    switch (format) {
    case DataFormat::Keyboard:
        return 256;
    case DataFormat::Mouse2:
        return sizeof(MouseState2);
    case DataFormat::Joystick2:
        return sizeof(JoyState2);
    }
    return 0;
}

class Device final : public InputDevice {
  public:
    Device(Kind kind, const Guid& guid, int number, std::unique_ptr<input::LiveJoystick> live)
        : kind_(kind), guid_(guid), number_(number), live_(std::move(live)) {
        Hub::Get().Hold(number_, 1);
        ++gAlive;
    }
    ~Device() override {
        Hub::Get().Hold(number_, -1);
        Hub::Get().DropExclusive(this);
        --gAlive;
    }

    Result SetDataFormat(DataFormat format) override {
        Result injected;
        if (FaultHit("SetDataFormat", &injected))
            return injected;
        if (acquired_)
            return kAcquired;
        bool fits = (kind_ == Kind::Keyboard && format == DataFormat::Keyboard) ||
                    (kind_ == Kind::Mouse && format == DataFormat::Mouse2) ||
                    (kind_ == Kind::Joystick && format == DataFormat::Joystick2);
        if (!fits)
            return kInvalidParam;
        format_ = format;
        hasFormat_ = true;
        return kOk;
    }

    Result SetCooperativeLevel(Window* window, uint32_t flags) override {
        Result injected;
        if (FaultHit("SetCooperativeLevel", &injected))
            return injected;
        if (acquired_)
            return kAcquired;
        bool exclusive = flags & DISCL_EXCLUSIVE, shared = flags & DISCL_NONEXCLUSIVE;
        bool foreground = flags & DISCL_FOREGROUND, background = flags & DISCL_BACKGROUND;
        if (!window || exclusive == shared || foreground == background || (flags & ~uint32_t(0x1F)))
            return kInvalidParam;
        coop_ = flags;
        return kOk;
    }

    Result SetProperty(uint32_t property, const PropHeader* header) override {
        Result injected;
        if (FaultHit("SetProperty", &injected))
            return injected;
        if (!header)
            return kInvalidParam;
        if (acquired_)
            return kAcquired;
        if (kind_ != Kind::Joystick)
            return kUnsupported;
        Axis* first = axes_;
        Axis* last = axes_ + input::kAxes;
        if (header->how == DIPH_BYOFFSET) {
            if (!hasFormat_ || header->object % 4 || header->object / 4 >= input::kAxes)
                return kNotFound;
            first = axes_ + header->object / 4;
            last = first + 1;
        } else if (header->how != DIPH_DEVICE || header->object != 0) {
            return kInvalidParam;
        }
        if (property == DIPROP_RANGE) {
            if (header->size != sizeof(PropRange))
                return kInvalidParam;
            const auto* range = reinterpret_cast<const PropRange*>(header);
            if (range->min >= range->max)
                return kInvalidParam;
            for (Axis* a = first; a != last; ++a) {
                a->min = range->min;
                a->max = range->max;
            }
            return kOk;
        }
        if (property == DIPROP_DEADZONE || property == DIPROP_SATURATION) {
            if (header->size != sizeof(PropDword))
                return kInvalidParam;
            uint32_t value = reinterpret_cast<const PropDword*>(header)->data;
            if (value > 10000)
                return kInvalidParam;
            for (Axis* a = first; a != last; ++a)
                (property == DIPROP_DEADZONE ? a->deadZone : a->saturation) = value;
            return kOk;
        }
        return kUnsupported;
    }

    Result Acquire() override {
        Result injected;
        if (FaultHit("Acquire", &injected))
            return injected;
        if (!hasFormat_)
            return kInvalidParam;
        if (unplugged_ && !TakeUpReplacement())
            return kUnplugged;
        input::FocusView focus = Hub::Get().Focus();
        if (acquired_ && !LostNow(focus))
            return kOk;
        if ((coop_ & DISCL_FOREGROUND) && !focus.focus)
            return kOtherAppHasPrio;
        if ((coop_ & DISCL_EXCLUSIVE) && !Hub::Get().ClaimExclusive(guid_, this))
            return kOtherAppHasPrio;
        acquired_ = true;
        lost_ = false;
        lossesAtAcquire_ = focus.losses;
        return kOk;
    }

    Result Unacquire() override {
        if (!acquired_ && !lost_)
            return kOk; // nothing to do, as the original answers
        acquired_ = false;
        lost_ = false;
        Hub::Get().DropExclusive(this);
        return kOk;
    }

    Result Poll() override {
        PumpEvents();
        Result injected;
        if (FaultHit("Poll", &injected))
            return injected;
        Result r = CheckAcquired();
        if (r != kOk || kind_ != Kind::Joystick)
            return r;
        return Fetch();
    }

    Result GetDeviceState(uint32_t size, void* data) override {
        PumpEvents();
        // The keyboard read is counted whatever happens, so that scripts
        // stay keyed to frames.
        uint8_t keys[256];
        if (kind_ == Kind::Keyboard)
            Hub::Get().ReadKeyboard(keys);
        Result injected;
        if (FaultHit("GetDeviceState", &injected))
            return injected;
        if (!data || !hasFormat_ || size != FormatSize(format_))
            return kInvalidParam;
        // A quit is read even by a keyboard the closed window took away.
        if (kind_ == Kind::Keyboard && QuitKeys(keys)) {
            std::memcpy(data, keys, 256);
            return kOk;
        }
        Result r = CheckAcquired();
        if (r != kOk)
            return r;
        switch (kind_) {
        case Kind::Keyboard:
            std::memcpy(data, keys, 256);
            return kOk;
        case Kind::Mouse: {
            MouseState2 state;
            Hub::Get().ReadMouse(&state);
            std::memcpy(data, &state, sizeof(state));
            return kOk;
        }
        case Kind::Joystick:
            if ((r = Fetch()) != kOk)
                return r;
            std::memcpy(data, &state_, sizeof(state_));
            return kOk;
        }
        return kFail;
    }

  private:
    // A joystick device whose stick was unplugged carries on with the same
    // stick plugged back, or another one no device holds, keeping its
    // properties: the callers' re-acquire rule so takes up a new controller.
    bool TakeUpReplacement() {
        Hub& hub = Hub::Get();
        int number = hub.Replacement(number_);
        if (number < 0)
            return false;
        std::unique_ptr<input::LiveJoystick> live = hub.OpenLive(hub.JoystickGuid(number));
        RawJoystick probe;
        if (!hub.ReadJoystick(number, live.get(), &probe))
            return false;
        hub.Hold(number_, -1);
        hub.Hold(number, 1);
        number_ = number;
        guid_ = hub.JoystickGuid(number);
        live_ = std::move(live);
        unplugged_ = false;
        return true;
    }

    bool LostNow(const input::FocusView& focus) const {
        return (coop_ & DISCL_FOREGROUND) && (!focus.focus || focus.losses != lossesAtAcquire_);
    }

    // A device taken away keeps answering input lost until it is acquired
    // again, so the callers' re-acquire rule brings it back.
    Result CheckAcquired() {
        if (lost_)
            return kInputLost;
        if (!acquired_)
            return kNotAcquired;
        if (LostNow(Hub::Get().Focus())) {
            acquired_ = false;
            lost_ = true;
            Hub::Get().DropExclusive(this);
            return kInputLost;
        }
        return kOk;
    }

    Result Fetch() {
        RawJoystick raw;
        if (!Hub::Get().ReadJoystick(number_, live_.get(), &raw)) {
            unplugged_ = true;
            acquired_ = false;
            lost_ = true;
            Hub::Get().DropExclusive(this);
            return kInputLost;
        }
        int32_t* axes[input::kAxes] = {&state_.x,         &state_.y,        &state_.z,
                                       &state_.rx,        &state_.ry,       &state_.rz,
                                       &state_.slider[0], &state_.slider[1]};
        for (int i = 0; i < input::kAxes; ++i)
            *axes[i] = axes_[i].Report(raw.axes[i]);
        std::memcpy(state_.pov, raw.pov, sizeof(state_.pov));
        std::memcpy(state_.buttons, raw.buttons, sizeof(state_.buttons));
        return kOk;
    }

    Kind kind_;
    Guid guid_;
    int number_;
    std::unique_ptr<input::LiveJoystick> live_;
    bool hasFormat_ = false;
    DataFormat format_ = DataFormat::Keyboard;
    uint32_t coop_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    bool lost_ = false;
    bool unplugged_ = false;
    uint64_t lossesAtAcquire_ = 0;
    Axis axes_[input::kAxes];
    JoyState2 state_{};
};

class System final : public InputSystem {
  public:
    System() { ++gAlive; }
    ~System() override { --gAlive; }

    Result CreateDevice(const Guid& instance, InputDevice** out) override {
        if (out)
            *out = nullptr;
        Result injected;
        if (FaultHit("CreateDevice", &injected))
            return injected;
        if (!out)
            return kInvalidParam;
        if (SameGuid(instance, GUID_SysKeyboard)) {
            *out = new Device(Kind::Keyboard, instance, -1, nullptr);
            return kOk;
        }
        if (SameGuid(instance, GUID_SysMouse)) {
            *out = new Device(Kind::Mouse, instance, -1, nullptr);
            return kOk;
        }
        Hub& hub = Hub::Get();
        int number = hub.JoystickNumber(instance);
        if (number < 0)
            return kNotFound;
        std::unique_ptr<input::LiveJoystick> live = hub.OpenLive(instance);
        RawJoystick probe;
        if (!hub.ReadJoystick(number, live.get(), &probe))
            return kNotFound; // unplugged since it was listed
        *out = new Device(Kind::Joystick, instance, number, std::move(live));
        return kOk;
    }

    Result EnumDevices(uint32_t devType, EnumDevicesCallback callback, void* context,
                       uint32_t) override {
        Result injected;
        if (FaultHit("EnumDevices", &injected))
            return injected;
        if (!callback || devType > DIDEVTYPE_JOYSTICK || devType == 1)
            return kInvalidParam;
        PumpEvents(); // lets joysticks plugged in since the last call appear
        std::vector<InputDeviceInstance> list;
        if (devType == 0 || devType == DIDEVTYPE_MOUSE)
            list.push_back(SystemDevice(GUID_SysMouse, DIDEVTYPE_MOUSE, "Mouse"));
        if (devType == 0 || devType == DIDEVTYPE_KEYBOARD)
            list.push_back(SystemDevice(GUID_SysKeyboard, DIDEVTYPE_KEYBOARD, "Keyboard"));
        if (devType == 0 || devType == DIDEVTYPE_JOYSTICK) {
            std::vector<InputDeviceInstance> joysticks;
            Hub::Get().ListJoysticks(&joysticks);
            list.insert(list.end(), joysticks.begin(), joysticks.end());
        }
        for (const InputDeviceInstance& info : list)
            if (callback(&info, context) != DIENUM_CONTINUE)
                break;
        return kOk;
    }

  private:
    static InputDeviceInstance SystemDevice(const Guid& guid, uint32_t type, const char* name) {
        InputDeviceInstance info{};
        info.size = sizeof(info);
        info.instanceGuid = guid;
        info.productGuid = guid;
        info.devType = type;
        std::strncpy(info.instanceName, name, sizeof(info.instanceName) - 1);
        std::strncpy(info.productName, name, sizeof(info.productName) - 1);
        info.usagePage = 1;
        info.usage = type == DIDEVTYPE_MOUSE ? 2 : 6;
        return info;
    }
};

} // namespace

Result CreateInput(void*, uint32_t version, InputSystem** out) {
    if (out)
        *out = nullptr;
    Result injected;
    if (FaultHit("CreateInput", &injected))
        return injected;
    if (!out || version > DIRECTINPUT_VERSION)
        return kInvalidParam;
    Result r = Hub::Get().Start();
    if (r != kOk)
        return r;
    *out = new System;
    return kOk;
}

bool SetInputScript(const char* text, uint32_t fakeJoysticks) {
    return Hub::Get().SetScript(text, fakeJoysticks);
}

bool SetInputRecord(const char* path) {
    return Hub::Get().SetRecord(path);
}

uint64_t JoystickArrivals() {
    return Hub::Get().Arrivals();
}

uint32_t InputObjectsAlive() {
    return gAlive;
}

} // namespace platform
