// The user's options and key bindings in data\prefs.cfg (144 bytes).
#include "engine/GameEngine.h"
#include "engine/Globals.h"
#include "platform/Files.h"
#include "platform/UserFiles.h"

#include <cstring>

namespace {

constexpr const char* kPrefsPath = "data\\prefs.cfg";

// Set once this run's preferences are in the shared records.
bool gPrefsLoaded;

void PrefsError(const char* location, const char* prefix) {
    FillError2(&gErrorInfo, kErrorFatal, "GameEngine", location, prefix, "prefs.cfg");
}

void PutU32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint32_t GetU32(const uint8_t* at) {
    return uint32_t(at[0]) | uint32_t(at[1]) << 8 | uint32_t(at[2]) << 16 | uint32_t(at[3]) << 24;
}

} // namespace

void UserPrefsDefault(uint8_t* record) {
    PutU32(record + 0, 1);   // music on
    PutU32(record + 4, 1);   // second option
    PutU32(record + 8, 50);  // music volume
    PutU32(record + 12, 70); // effects volume
    static const uint8_t kKeys[7][2] = {
        {0x38, 0xB8}, // attack: Left Alt, Right Alt
        {0x1D, 0x2A}, // Left Ctrl, Left Shift
        {0xC8, 0},    // up
        {0xD0, 0},    // down
        {0xCB, 0},    // left
        {0xCD, 0},    // right
        {0x39, 0},    // jump: Space
    };
    for (int i = 0; i < 7; ++i) {
        record[16 + 4 * i] = kKeys[i][0];
        record[17 + 4 * i] = kKeys[i][1];
    }
}

void UserPrefsGather(uint8_t* record) {
    PutU32(record + 0, gMenuControl.musicOn);
    PutU32(record + 4, gMenuControl.secondOption);
    PutU32(record + 8, gMenuControl.musicVolume);
    PutU32(record + 12, gMenuControl.effectsVolume);
    std::memcpy(record + 16, gInputState.keyBindings, 64);
    std::memcpy(record + 80, gInputState.secondBindings, 64);
}

void UserPrefsApply(const uint8_t* record) {
    gMenuControl.musicOn = GetU32(record + 0);
    gMenuControl.secondOption = GetU32(record + 4);
    gMenuControl.musicVolume = GetU32(record + 8);
    gMenuControl.effectsVolume = GetU32(record + 12);
    std::memcpy(gInputState.keyBindings, record + 16, 64);
    std::memcpy(gInputState.secondBindings, record + 80, 64);
}

int LoadUserPrefs() {
    uint8_t record[kPrefsSize] = {};
    platform::Result result;
    platform::File* file = platform::FileOpenRead(
        platform::UserFileToRead(kPrefsPath, platform::UserFolder::Config).c_str(), &result);
    if (!file) {
        if (result == platform::kNotFound) {
            UserPrefsDefault(record);
            UserPrefsApply(record);
            gPrefsLoaded = true;
            return SaveUserPrefs();
        }
        PrefsError("LoadUserPrefs()", "Unable to open or create prefs file ");
        return 0;
    }
    size_t got = platform::FileRead(file, record, sizeof(record));
    platform::FileClose(file);
    if (got != sizeof(record)) {
        PrefsError("LoadUserPrefs()", "Unable to load prefs file ");
        return 0;
    }
    UserPrefsApply(record);
    gPrefsLoaded = true;
    return 1;
}

bool UserPrefsLoaded() {
    return gPrefsLoaded;
}

int SaveUserPrefs() {
    uint8_t record[kPrefsSize] = {};
    UserPrefsGather(record);
    // Written beside the old file and then moved over it, so a failed write
    // leaves the previous preferences intact.
    platform::Result result = platform::FileReplace(
        platform::UserFileToWrite(kPrefsPath, platform::UserFolder::Config).c_str(), record,
        sizeof(record));
    if (result == platform::kDiskFull) {
        PrefsError("SaveUserPrefs()", "Unable to write all of prefs file ");
        return 0;
    }
    if (result != platform::kOk) {
        PrefsError("SaveUserPrefs()", "Unable to create prefs file ");
        return 0;
    }
    return 1;
}
