#include "platform/input/InputHub.h"
#include "platform/Debug.h"
#include "platform/Platform.h"
#include "platform/input/InputScript.h"

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <sstream>

namespace platform::input {
namespace {

struct Joystick {
    InputDeviceInstance info;
    bool fake;
    uint32_t fakeIndex;
    RawJoystick recorded;  // as the recording last wrote it
    bool recordedAttached; // as the recording last said
    uint32_t holders;      // devices made on it
};

void SetGuid(Guid* guid, const char* tag, uint32_t number) {
    std::memset(guid->bytes, 0, sizeof(guid->bytes));
    std::memcpy(guid->bytes, tag, std::min<size_t>(std::strlen(tag), 8));
    std::memcpy(guid->bytes + 8, &number, sizeof(number));
}

InputDeviceInstance FakeJoystick(uint32_t index) {
    InputDeviceInstance info{};
    info.size = sizeof(info);
    SetGuid(&info.instanceGuid, "VRASKFJI", index);
    SetGuid(&info.productGuid, "VRASKFJP", 0);
    info.devType = 4 | (2 << 8);
    std::snprintf(info.instanceName, sizeof(info.instanceName), "Faked joystick %u", index + 1);
    std::snprintf(info.productName, sizeof(info.productName), "Faked joystick");
    info.usagePage = 1;
    info.usage = 4;
    return info;
}

bool SameGuid(const Guid& a, const Guid& b) {
    return std::memcmp(a.bytes, b.bytes, 16) == 0;
}

void Complain(const char* what, const std::string& detail) {
    DebugPrintf("Input: %s: %s\n", what, detail.c_str());
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
}

} // namespace

struct Hub::Impl {
    std::mutex lock;
    bool started = false;
    Result startResult = kOk;
    std::unique_ptr<InputBackend> backend;

    bool scripted = false;
    Script script;
    size_t next = 0;
    ScriptState state;
    uint32_t fakeCount = 0;

    uint64_t reads = 0;
    bool latched = false;
    FocusView view{true, 0};

    FILE* record = nullptr;
    uint8_t recordedKeys[256] = {};
    bool recordedFocus = true;
    uint64_t recordedLosses = 0;
    uint32_t recordedJoysticks = 0;

    std::vector<Joystick> joysticks; // every joystick seen, numbered by position
    std::vector<std::pair<Guid, const void*>> exclusive;

    InputBackend& Backend() {
        if (!backend) {
            if (!IsHeadless())
                backend.reset(CreateSdlInputBackend());
            if (!backend)
                backend.reset(CreateHeadlessInputBackend());
        }
        return *backend;
    }

    FocusView LiveFocus() {
        if (scripted)
            return FocusView{state.focus, state.losses};
        return FocusView{Backend().HasFocus(), Backend().FocusLosses()};
    }

    bool LoadScript(const std::string& text, uint32_t fake, std::string* error) {
        Script parsed;
        if (!ParseScript(text, &parsed, error))
            return false;
        uint32_t count = parsed.namesJoysticks ? parsed.joysticks : fake;
        if (!CheckScriptJoysticks(parsed, count, error))
            return false;
        script = std::move(parsed);
        scripted = true;
        fakeCount = count;
        return true;
    }

    void Reset() {
        next = 0;
        state = StartState(scripted ? script : Script{}, fakeCount);
        reads = 0;
        latched = false;
        view = FocusView{true, 0};
        joysticks.clear();
        exclusive.clear();
    }

    void CloseRecord() {
        if (record)
            std::fclose(record);
        record = nullptr;
    }

    bool OpenRecord(const char* path) {
        CloseRecord();
        record = std::fopen(path, "w");
        if (!record)
            return false;
        std::fprintf(record, "# input recorded by Vrask: <read index> <event>\n");
        std::memset(recordedKeys, 0, sizeof(recordedKeys));
        recordedFocus = true;
        recordedLosses = LiveFocus().losses;
        recordedJoysticks = 0;
        for (Joystick& j : joysticks) {
            j.recorded = CentredJoystick();
            j.recordedAttached = true;
        }
        std::fflush(record);
        return true;
    }

    void RecordFocus(uint64_t index) {
        if (view.losses != recordedLosses) {
            std::fprintf(record, "%" PRIu64 " focus lost\n", index);
            if (view.focus)
                std::fprintf(record, "%" PRIu64 " focus gained\n", index);
        } else if (view.focus != recordedFocus) {
            std::fprintf(record, "%" PRIu64 " focus %s\n", index, view.focus ? "gained" : "lost");
        }
        recordedLosses = view.losses;
        recordedFocus = view.focus;
    }

    int Number(const Guid& guid) {
        for (size_t i = 0; i < joysticks.size(); ++i)
            if (SameGuid(joysticks[i].info.instanceGuid, guid))
                return static_cast<int>(i);
        return -1;
    }

    uint64_t RecordIndex() const { return reads ? reads - 1 : 0; }

    // The attached joysticks, in the order of their numbers; numbers follow
    // first sight, so a joystick plugged in later comes last and the others
    // keep theirs.
    void List(std::vector<InputDeviceInstance>* out) {
        std::vector<InputDeviceInstance> listed;
        if (!scripted)
            Backend().ListJoysticks(&listed);
        for (uint32_t i = 0; i < fakeCount; ++i)
            if (i >= state.attached.size() || state.attached[i])
                listed.push_back(FakeJoystick(i));
        for (const InputDeviceInstance& info : listed) {
            if (Number(info.instanceGuid) >= 0)
                continue;
            Joystick j{};
            j.info = info;
            j.fake = std::memcmp(info.instanceGuid.bytes, "VRASKFJI", 8) == 0;
            std::memcpy(&j.fakeIndex, info.instanceGuid.bytes + 8, sizeof(j.fakeIndex));
            j.recorded = CentredJoystick();
            // Seen only once reading has begun: plugged in during the session.
            j.recordedAttached = reads == 0;
            joysticks.push_back(j);
        }
        out->clear();
        for (Joystick& j : joysticks)
            for (const InputDeviceInstance& info : listed)
                if (SameGuid(j.info.instanceGuid, info.instanceGuid))
                    out->push_back(j.info);
        if (!record)
            return;
        if (joysticks.size() > recordedJoysticks) {
            recordedJoysticks = static_cast<uint32_t>(joysticks.size());
            std::fprintf(record, "joysticks %u\n", recordedJoysticks);
        }
        for (size_t n = 0; n < joysticks.size(); ++n) {
            Joystick& j = joysticks[n];
            bool attached = false;
            for (const InputDeviceInstance& info : *out)
                attached = attached || SameGuid(j.info.instanceGuid, info.instanceGuid);
            if (attached && !j.recordedAttached) {
                std::fprintf(record, "%" PRIu64 " plug %zu\n", RecordIndex(), n);
                j.recordedAttached = true;
            }
        }
        std::fflush(record);
    }
};

Hub::Hub() : impl_(new Impl) {}

Hub& Hub::Get() {
    static Hub* hub = new Hub;
    return *hub;
}

Result Hub::Start() {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    if (h.started)
        return h.startResult;
    h.started = true;
    uint32_t fake = 0;
    if (const char* n = std::getenv("VRASK_JOYSTICKS"); n && *n) {
        char* end = nullptr;
        unsigned long v = std::strtoul(n, &end, 10);
        if (!end || *end || v > kMaxFakeJoysticks) {
            Complain("VRASK_JOYSTICKS", std::string("expected 0 to 16, found \"") + n + "\"");
            return h.startResult = kBadFormat;
        }
        fake = static_cast<uint32_t>(v);
    }
    h.fakeCount = fake;
    if (const char* path = std::getenv("VRASK_INPUT"); path && *path) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            Complain("VRASK_INPUT", std::string("cannot open ") + path);
            return h.startResult = kNotFound;
        }
        std::ostringstream text;
        text << file.rdbuf();
        std::string error;
        if (!h.LoadScript(text.str(), fake, &error)) {
            Complain("VRASK_INPUT", std::string(path) + ", " + error);
            return h.startResult = kBadFormat;
        }
    }
    h.Reset();
    if (const char* path = std::getenv("VRASK_RECORD"); path && *path) {
        if (!h.OpenRecord(path)) {
            Complain("VRASK_RECORD",
                     std::string("cannot create ") + path + ": " + std::strerror(errno));
            return h.startResult = kAccessDenied;
        }
    }
    return kOk;
}

bool Hub::SetScript(const char* text, uint32_t fakeJoysticks) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    h.started = true;
    h.startResult = kOk;
    h.scripted = false;
    h.script = Script{};
    h.fakeCount = fakeJoysticks;
    bool ok = true;
    if (text) {
        std::string error;
        ok = h.LoadScript(text, fakeJoysticks, &error);
        if (!ok)
            DebugPrintf("Input: script rejected, %s\n", error.c_str());
    }
    h.Reset();
    return ok;
}

bool Hub::SetRecord(const char* path) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    if (!path) {
        h.CloseRecord();
        return true;
    }
    return h.OpenRecord(path);
}

void Hub::ReadKeyboard(uint8_t keys[256]) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    uint64_t index = h.reads++;
    if (h.scripted) {
        // A key that goes down and up again before this read is a tap: it
        // reads down now and up at the next read, as on a live keyboard.
        uint8_t tapped[256] = {};
        while (h.next < h.script.events.size() && h.script.events[h.next].index <= index) {
            const ScriptEvent& e = h.script.events[h.next++];
            if (e.kind == ScriptEvent::Key && e.value)
                tapped[e.item] = 0x80;
            ApplyEvent(e, &h.state);
        }
        for (int code = 0; code < 256; ++code)
            keys[code] = h.state.keys[code] | tapped[code];
    } else {
        std::memset(keys, 0, 256);
        h.Backend().ReadKeyboard(keys);
    }
    keys[0] = 0; // scan code 0 is never down
    h.view = h.LiveFocus();
    h.latched = true;
    if (h.record) {
        h.RecordFocus(index);
        WriteKeyChanges(h.record, index, keys, h.recordedKeys);
        std::fflush(h.record);
    }
}

void Hub::ReadMouse(MouseState2* out) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    *out = MouseState2{};
    if (!h.scripted)
        h.Backend().ReadMouse(out);
}

FocusView Hub::Focus() {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    return h.latched ? h.view : h.LiveFocus();
}

void Hub::ListJoysticks(std::vector<InputDeviceInstance>* out) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    h.List(out);
}

int Hub::Replacement(int number) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    std::vector<InputDeviceInstance> listed;
    h.List(&listed);
    // The same joystick plugged back, else one of the same make, else any
    // that no device has been made on.
    int best = -1, bestRank = 0;
    for (const InputDeviceInstance& info : listed) {
        int n = h.Number(info.instanceGuid);
        const Joystick& j = h.joysticks[n];
        if (n != number && j.holders > 0)
            continue;
        int rank = 1;
        if (n == number)
            rank = 3;
        else if (number >= 0 && static_cast<size_t>(number) < h.joysticks.size() &&
                 SameGuid(info.productGuid, h.joysticks[number].info.productGuid))
            rank = 2;
        if (rank > bestRank) {
            best = n;
            bestRank = rank;
        }
    }
    return best;
}

Guid Hub::JoystickGuid(int number) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    if (number < 0 || static_cast<size_t>(number) >= h.joysticks.size())
        return Guid{};
    return h.joysticks[number].info.instanceGuid;
}

void Hub::Hold(int number, int change) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    if (number >= 0 && static_cast<size_t>(number) < h.joysticks.size() &&
        (change > 0 || h.joysticks[number].holders > 0))
        h.joysticks[number].holders += change;
}

uint64_t Hub::Arrivals() {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    return h.scripted ? h.state.arrivals : h.Backend().JoystickArrivals();
}

int Hub::JoystickNumber(const Guid& instance) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    return h.Number(instance);
}

std::unique_ptr<LiveJoystick> Hub::OpenLive(const Guid& instance) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    int n = h.Number(instance);
    if (n < 0 || h.joysticks[n].fake)
        return nullptr;
    return std::unique_ptr<LiveJoystick>(h.Backend().OpenJoystick(instance));
}

bool Hub::ReadJoystick(int number, LiveJoystick* live, RawJoystick* out) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    if (number < 0 || static_cast<size_t>(number) >= h.joysticks.size())
        return false;
    Joystick& j = h.joysticks[number];
    bool attached = true;
    if (j.fake) {
        if (j.fakeIndex < h.state.attached.size() && !h.state.attached[j.fakeIndex])
            attached = false;
        else if (h.scripted && j.fakeIndex < h.state.joysticks.size())
            *out = h.state.joysticks[j.fakeIndex];
        else
            *out = CentredJoystick();
    } else {
        attached = live && live->Read(out);
    }
    if (!attached) {
        if (h.record && j.recordedAttached) {
            std::fprintf(h.record, "%" PRIu64 " unplug %d\n", h.RecordIndex(), number);
            std::fflush(h.record);
            j.recordedAttached = false;
            j.recorded = CentredJoystick(); // a stick plugged back starts at rest
        }
        return false;
    }
    if (h.record) {
        WriteJoystickChanges(h.record, h.RecordIndex(), static_cast<uint32_t>(number), *out,
                             &j.recorded);
        std::fflush(h.record);
    }
    return true;
}

bool Hub::ClaimExclusive(const Guid& device, const void* owner) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    for (const auto& [guid, holder] : h.exclusive)
        if (SameGuid(guid, device))
            return holder == owner;
    h.exclusive.emplace_back(device, owner);
    return true;
}

void Hub::DropExclusive(const void* owner) {
    Impl& h = *impl_;
    std::lock_guard<std::mutex> guard(h.lock);
    std::erase_if(h.exclusive, [owner](const auto& e) { return e.second == owner; });
}

} // namespace platform::input
