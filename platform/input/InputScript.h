// The input script and recording format: one event a line, keyed by the
// index of the keyboard read it takes effect at.
#pragma once

#include "platform/input/InputBackend.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace platform::input {

struct ScriptEvent {
    enum Kind { Key, Axis, Button, Pov, Focus, Plug };
    uint64_t index;
    Kind kind;
    uint32_t joystick;
    uint32_t item; // scan code, axis, button or hat number
    int64_t value; // key/button: 1 down; axis position; hat value; focus: 1 gained;
                   // plug: 1 plugged in
    uint32_t line; // for messages
};

struct Script {
    std::vector<ScriptEvent> events; // in index order, file order within one index
    uint32_t joysticks = 0;
    bool namesJoysticks = false;
};

constexpr uint32_t kMaxFakeJoysticks = 16;

// False with a message naming the line when the text does not parse.
bool ParseScript(const std::string& text, Script* out, std::string* error);
// The joystick lines must name attached joysticks.
bool CheckScriptJoysticks(const Script& script, uint32_t joysticks, std::string* error);

// Applies one event to a scripted state.
struct ScriptState {
    uint8_t keys[256] = {};
    std::vector<RawJoystick> joysticks;
    std::vector<uint8_t> attached; // per faked joystick
    bool focus = true;
    uint64_t losses = 0;
    uint64_t arrivals = 0; // joysticks plugged in
};
// The state before the first read: `joysticks` faked joysticks at rest, each
// attached unless its first plug line plugs it in.
ScriptState StartState(const Script& script, uint32_t joysticks);
void ApplyEvent(const ScriptEvent& event, ScriptState* state);

// Writers of the recording: each writes the lines that turn `before` into
// `now` at read `index`, and updates `before`.
void WriteKeyChanges(FILE* out, uint64_t index, const uint8_t now[256], uint8_t before[256]);
void WriteJoystickChanges(FILE* out, uint64_t index, uint32_t joystick, const RawJoystick& now,
                          RawJoystick* before);

} // namespace platform::input
