#include "platform/input/InputScript.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace platform::input {
namespace {

struct KeyName {
    uint8_t code;
    const char* name;
};

// The canonical names, as recordings write them.
constexpr KeyName kKeyNames[] = {
    {0x01, "ESCAPE"},
    {0x02, "1"},
    {0x03, "2"},
    {0x04, "3"},
    {0x05, "4"},
    {0x06, "5"},
    {0x07, "6"},
    {0x08, "7"},
    {0x09, "8"},
    {0x0A, "9"},
    {0x0B, "0"},
    {0x0C, "MINUS"},
    {0x0D, "EQUALS"},
    {0x0E, "BACK"},
    {0x0F, "TAB"},
    {0x10, "Q"},
    {0x11, "W"},
    {0x12, "E"},
    {0x13, "R"},
    {0x14, "T"},
    {0x15, "Y"},
    {0x16, "U"},
    {0x17, "I"},
    {0x18, "O"},
    {0x19, "P"},
    {0x1A, "LBRACKET"},
    {0x1B, "RBRACKET"},
    {0x1C, "RETURN"},
    {0x1D, "LCONTROL"},
    {0x1E, "A"},
    {0x1F, "S"},
    {0x20, "D"},
    {0x21, "F"},
    {0x22, "G"},
    {0x23, "H"},
    {0x24, "J"},
    {0x25, "K"},
    {0x26, "L"},
    {0x27, "SEMICOLON"},
    {0x28, "APOSTROPHE"},
    {0x29, "GRAVE"},
    {0x2A, "LSHIFT"},
    {0x2B, "BACKSLASH"},
    {0x2C, "Z"},
    {0x2D, "X"},
    {0x2E, "C"},
    {0x2F, "V"},
    {0x30, "B"},
    {0x31, "N"},
    {0x32, "M"},
    {0x33, "COMMA"},
    {0x34, "PERIOD"},
    {0x35, "SLASH"},
    {0x36, "RSHIFT"},
    {0x37, "MULTIPLY"},
    {0x38, "LMENU"},
    {0x39, "SPACE"},
    {0x3A, "CAPITAL"},
    {0x3B, "F1"},
    {0x3C, "F2"},
    {0x3D, "F3"},
    {0x3E, "F4"},
    {0x3F, "F5"},
    {0x40, "F6"},
    {0x41, "F7"},
    {0x42, "F8"},
    {0x43, "F9"},
    {0x44, "F10"},
    {0x45, "NUMLOCK"},
    {0x46, "SCROLL"},
    {0x47, "NUMPAD7"},
    {0x48, "NUMPAD8"},
    {0x49, "NUMPAD9"},
    {0x4A, "SUBTRACT"},
    {0x4B, "NUMPAD4"},
    {0x4C, "NUMPAD5"},
    {0x4D, "NUMPAD6"},
    {0x4E, "ADD"},
    {0x4F, "NUMPAD1"},
    {0x50, "NUMPAD2"},
    {0x51, "NUMPAD3"},
    {0x52, "NUMPAD0"},
    {0x53, "DECIMAL"},
    {0x56, "OEM_102"},
    {0x57, "F11"},
    {0x58, "F12"},
    {0x64, "F13"},
    {0x65, "F14"},
    {0x66, "F15"},
    {0x70, "KANA"},
    {0x73, "ABNT_C1"},
    {0x79, "CONVERT"},
    {0x7B, "NOCONVERT"},
    {0x7D, "YEN"},
    {0x7E, "ABNT_C2"},
    {0x8D, "NUMPADEQUALS"},
    {0x90, "PREVTRACK"},
    {0x91, "AT"},
    {0x92, "COLON"},
    {0x93, "UNDERLINE"},
    {0x94, "KANJI"},
    {0x95, "STOP"},
    {0x96, "AX"},
    {0x97, "UNLABELED"},
    {0x99, "NEXTTRACK"},
    {0x9C, "NUMPADENTER"},
    {0x9D, "RCONTROL"},
    {0xA0, "MUTE"},
    {0xA1, "CALCULATOR"},
    {0xA2, "PLAYPAUSE"},
    {0xA4, "MEDIASTOP"},
    {0xAE, "VOLUMEDOWN"},
    {0xB0, "VOLUMEUP"},
    {0xB2, "WEBHOME"},
    {0xB3, "NUMPADCOMMA"},
    {0xB5, "DIVIDE"},
    {0xB7, "SYSRQ"},
    {0xB8, "RMENU"},
    {0xC5, "PAUSE"},
    {0xC7, "HOME"},
    {0xC8, "UP"},
    {0xC9, "PRIOR"},
    {0xCB, "LEFT"},
    {0xCD, "RIGHT"},
    {0xCF, "END"},
    {0xD0, "DOWN"},
    {0xD1, "NEXT"},
    {0xD2, "INSERT"},
    {0xD3, "DELETE"},
    {0xDB, "LWIN"},
    {0xDC, "RWIN"},
    {0xDD, "APPS"},
    {0xDE, "POWER"},
    {0xDF, "SLEEP"},
    {0xE3, "WAKE"},
    {0xE5, "WEBSEARCH"},
    {0xE6, "WEBFAVORITES"},
    {0xE7, "WEBREFRESH"},
    {0xE8, "WEBSTOP"},
    {0xE9, "WEBFORWARD"},
    {0xEA, "WEBBACK"},
    {0xEB, "MYCOMPUTER"},
    {0xEC, "MAIL"},
    {0xED, "MEDIASELECT"},
};

// Other names people write for the same keys.
constexpr KeyName kAliases[] = {
    {0x01, "ESC"},        {0x0E, "BACKSPACE"},    {0x1C, "ENTER"},       {0x1D, "LCTRL"},
    {0x38, "LALT"},       {0x3A, "CAPSLOCK"},     {0x37, "NUMPADSTAR"},  {0x4A, "NUMPADMINUS"},
    {0x4E, "NUMPADPLUS"}, {0x53, "NUMPADPERIOD"}, {0xB5, "NUMPADSLASH"}, {0x9D, "RCTRL"},
    {0xB8, "RALT"},       {0xC8, "UPARROW"},      {0xD0, "DOWNARROW"},   {0xCB, "LEFTARROW"},
    {0xCD, "RIGHTARROW"}, {0xC9, "PGUP"},         {0xD1, "PGDN"},        {0x46, "SCROLLLOCK"},
    {0x29, "CIRCUMFLEX"},
};

const char* const kAxisNames[kAxes] = {"x", "y", "z", "rx", "ry", "rz", "slider0", "slider1"};

std::string Upper(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool ParseInt(const std::string& text, int64_t* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(text.c_str(), &end, 0);
    if (errno || !end || *end)
        return false;
    *out = v;
    return true;
}

bool ParseIndex(const std::string& text, uint64_t* out) {
    if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
        return false;
    char* end = nullptr;
    errno = 0;
    unsigned long long v = std::strtoull(text.c_str(), &end, 10);
    if (errno || !end || *end)
        return false;
    *out = v;
    return true;
}

} // namespace

RawJoystick CentredJoystick() {
    RawJoystick j{};
    for (uint32_t& p : j.pov)
        p = kPovCentred;
    return j;
}

const char* ScanCodeName(uint8_t code) {
    for (const KeyName& k : kKeyNames)
        if (k.code == code)
            return k.name;
    return nullptr;
}

bool ParseScanCode(const std::string& text, uint8_t* code) {
    std::string name = Upper(text);
    if (name.rfind("DIK_", 0) == 0)
        name = name.substr(4);
    if (name.size() > 2 && name[0] == '0' && name[1] == 'X') {
        int64_t v;
        if (!ParseInt(text.substr(text.size() - (name.size())), &v) || v < 1 || v > 255)
            return false;
        *code = static_cast<uint8_t>(v);
        return true;
    }
    for (const KeyName& k : kKeyNames)
        if (name == k.name) {
            *code = k.code;
            return true;
        }
    for (const KeyName& k : kAliases)
        if (name == k.name) {
            *code = k.code;
            return true;
        }
    return false;
}

bool ParseScript(const std::string& text, Script* out, std::string* error) {
    Script script;
    std::istringstream lines(text);
    std::string line;
    uint32_t number = 0;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(number) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++number;
        size_t hash = line.find('#');
        if (hash != std::string::npos)
            line.resize(hash);
        std::istringstream in(line);
        std::vector<std::string> words;
        for (std::string w; in >> w;)
            words.push_back(w);
        if (words.empty())
            continue;
        if (words[0] == "joysticks") {
            int64_t n;
            if (words.size() != 2 || !ParseInt(words[1], &n) || n < 0 || n > kMaxFakeJoysticks)
                return fail("expected \"joysticks <0 to 16>\"");
            script.joysticks = std::max(script.joysticks, static_cast<uint32_t>(n));
            script.namesJoysticks = true;
            continue;
        }
        ScriptEvent event{};
        event.line = number;
        if (!ParseIndex(words[0], &event.index))
            return fail("expected a read index or \"joysticks\", found \"" + words[0] + "\"");
        if (words.size() < 2)
            return fail("missing event after the read index");
        const std::string& verb = words[1];
        if (verb == "down" || verb == "up") {
            uint8_t code;
            if (words.size() != 3)
                return fail("expected \"<index> " + verb + " <key>\"");
            if (!ParseScanCode(words[2], &code))
                return fail("unknown key \"" + words[2] + "\"");
            event.kind = ScriptEvent::Key;
            event.item = code;
            event.value = verb == "down";
        } else if (verb == "focus") {
            if (words.size() != 3 || (words[2] != "lost" && words[2] != "gained"))
                return fail("expected \"<index> focus lost|gained\"");
            event.kind = ScriptEvent::Focus;
            event.value = words[2] == "gained";
        } else if (verb == "plug" || verb == "unplug") {
            int64_t joystick;
            if (words.size() != 3)
                return fail("expected \"<index> " + verb + " <joystick>\"");
            if (!ParseInt(words[2], &joystick) || joystick < 0 || joystick >= kMaxFakeJoysticks)
                return fail("bad joystick number \"" + words[2] + "\"");
            event.kind = ScriptEvent::Plug;
            event.joystick = static_cast<uint32_t>(joystick);
            event.value = verb == "plug";
        } else if (verb == "axis" || verb == "button" || verb == "pov") {
            int64_t joystick, value;
            if (words.size() != 5)
                return fail("expected \"<index> " + verb + " <joystick> <which> <value>\"");
            if (!ParseInt(words[2], &joystick) || joystick < 0 || joystick >= kMaxFakeJoysticks)
                return fail("bad joystick number \"" + words[2] + "\"");
            event.joystick = static_cast<uint32_t>(joystick);
            if (verb == "axis") {
                event.kind = ScriptEvent::Axis;
                auto* axis = std::find(std::begin(kAxisNames), std::end(kAxisNames), words[3]);
                if (axis == std::end(kAxisNames))
                    return fail("unknown axis \"" + words[3] + "\"");
                event.item = static_cast<uint32_t>(axis - std::begin(kAxisNames));
                if (!ParseInt(words[4], &value) || value < -10000 || value > 10000)
                    return fail("axis position must be -10000 to 10000");
                event.value = value;
            } else if (verb == "button") {
                event.kind = ScriptEvent::Button;
                if (!ParseInt(words[3], &value) || value < 0 || value >= kButtons)
                    return fail("button must be 0 to 127");
                event.item = static_cast<uint32_t>(value);
                if (words[4] != "down" && words[4] != "up")
                    return fail("expected down or up");
                event.value = words[4] == "down";
            } else {
                event.kind = ScriptEvent::Pov;
                if (!ParseInt(words[3], &value) || value < 0 || value >= kPovs)
                    return fail("hat must be 0 to 3");
                event.item = static_cast<uint32_t>(value);
                if (words[4] == "centre")
                    value = kPovCentred;
                else if (!ParseInt(words[4], &value) || value < 0 || value >= 36000)
                    return fail("hat value must be 0 to 35999 or centre");
                event.value = value;
            }
        } else {
            return fail("unknown event \"" + verb + "\"");
        }
        script.events.push_back(event);
    }
    std::stable_sort(script.events.begin(), script.events.end(),
                     [](const ScriptEvent& a, const ScriptEvent& b) { return a.index < b.index; });
    *out = std::move(script);
    return true;
}

bool CheckScriptJoysticks(const Script& script, uint32_t joysticks, std::string* error) {
    for (const ScriptEvent& e : script.events) {
        if ((e.kind == ScriptEvent::Axis || e.kind == ScriptEvent::Button ||
             e.kind == ScriptEvent::Pov || e.kind == ScriptEvent::Plug) &&
            e.joystick >= joysticks) {
            *error = "line " + std::to_string(e.line) + ": joystick " + std::to_string(e.joystick) +
                     " is not attached (" + std::to_string(joysticks) + " faked joysticks)";
            return false;
        }
    }
    return true;
}

ScriptState StartState(const Script& script, uint32_t joysticks) {
    ScriptState state;
    state.joysticks.assign(joysticks, CentredJoystick());
    state.attached.assign(joysticks, 1);
    std::vector<bool> seen(joysticks, false);
    for (const ScriptEvent& e : script.events) {
        if (e.kind != ScriptEvent::Plug || e.joystick >= joysticks || seen[e.joystick])
            continue;
        seen[e.joystick] = true;
        state.attached[e.joystick] = e.value ? 0 : 1;
    }
    return state;
}

void ApplyEvent(const ScriptEvent& event, ScriptState* state) {
    switch (event.kind) {
    case ScriptEvent::Plug:
        if (event.joystick >= state->attached.size() ||
            state->attached[event.joystick] == (event.value ? 1 : 0))
            break;
        // Plugged in or out, a stick is at rest.
        state->attached[event.joystick] = event.value ? 1 : 0;
        state->joysticks[event.joystick] = CentredJoystick();
        if (event.value)
            ++state->arrivals;
        break;
    case ScriptEvent::Key:
        state->keys[event.item] = event.value ? 0x80 : 0;
        break;
    case ScriptEvent::Focus:
        if (!event.value && state->focus)
            ++state->losses;
        state->focus = event.value != 0;
        break;
    default:
        if (event.joystick >= state->joysticks.size())
            break;
        RawJoystick& j = state->joysticks[event.joystick];
        if (event.kind == ScriptEvent::Axis)
            j.axes[event.item] = static_cast<int32_t>(event.value);
        else if (event.kind == ScriptEvent::Button)
            j.buttons[event.item] = event.value ? 0x80 : 0;
        else
            j.pov[event.item] = static_cast<uint32_t>(event.value);
        break;
    }
}

void WriteKeyChanges(FILE* out, uint64_t index, const uint8_t now[256], uint8_t before[256]) {
    for (int code = 1; code < 256; ++code) {
        bool down = now[code] & 0x80;
        if (down == static_cast<bool>(before[code] & 0x80))
            continue;
        const char* name = ScanCodeName(static_cast<uint8_t>(code));
        if (name)
            std::fprintf(out, "%" PRIu64 " %s %s\n", index, down ? "down" : "up", name);
        else
            std::fprintf(out, "%" PRIu64 " %s 0x%02X\n", index, down ? "down" : "up", code);
        before[code] = down ? 0x80 : 0;
    }
}

void WriteJoystickChanges(FILE* out, uint64_t index, uint32_t joystick, const RawJoystick& now,
                          RawJoystick* before) {
    for (int a = 0; a < kAxes; ++a)
        if (now.axes[a] != before->axes[a])
            std::fprintf(out, "%" PRIu64 " axis %u %s %d\n", index, joystick, kAxisNames[a],
                         now.axes[a]);
    for (int b = 0; b < kButtons; ++b)
        if (static_cast<bool>(now.buttons[b] & 0x80) !=
            static_cast<bool>(before->buttons[b] & 0x80))
            std::fprintf(out, "%" PRIu64 " button %u %d %s\n", index, joystick, b,
                         now.buttons[b] & 0x80 ? "down" : "up");
    for (int p = 0; p < kPovs; ++p) {
        if (now.pov[p] == before->pov[p])
            continue;
        if (now.pov[p] == kPovCentred)
            std::fprintf(out, "%" PRIu64 " pov %u %d centre\n", index, joystick, p);
        else
            std::fprintf(out, "%" PRIu64 " pov %u %d %u\n", index, joystick, p, now.pov[p]);
    }
    *before = now;
    for (uint8_t& b : before->buttons)
        b = b & 0x80 ? 0x80 : 0;
}

} // namespace platform::input
