// The one error record of the system, lent by pointer to every library and
// plug-in. Its layout is part of every plug-in contract.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
struct ErrorInfo {
    uint16_t code; // 0 none, 1 warning, 2 error
    char sourceFile[40];
    char location[40];
    char message[256];
    char contact[256];
};
#pragma pack(pop)

static_assert(sizeof(ErrorInfo) == 594, "ErrorInfo is 594 bytes with nothing between fields");
static_assert(offsetof(ErrorInfo, sourceFile) == 2);
static_assert(offsetof(ErrorInfo, location) == 42);
static_assert(offsetof(ErrorInfo, message) == 82);
static_assert(offsetof(ErrorInfo, contact) == 338);

enum : uint16_t { kErrorNone = 0, kErrorWarning = 1, kErrorFatal = 2 };

// Support addresses shared by every deliverable.
#define VRASK_SUPPORT_WEB "https://vrask.korvid.example/support"
#define VRASK_SUPPORT_CONTACT "support@korvid.example\n"

// Copies src into a fixed field, always terminated, cutting what does not fit.
template <size_t N> inline void CopyField(char (&dst)[N], const char* src) {
    size_t i = 0;
    if (src) {
        for (; i + 1 < N && src[i]; ++i)
            dst[i] = src[i];
    }
    dst[i] = '\0';
}

// Fills the record in the order every filler uses: code, source, location,
// contact, message. Message text longer than the field is cut to fit.
inline void FillError(ErrorInfo* info, uint16_t code, const char* sourceFile, const char* location,
                      const char* message) {
    if (!info)
        return;
    info->code = code;
    CopyField(info->sourceFile, sourceFile);
    CopyField(info->location, location);
    CopyField(info->contact, VRASK_SUPPORT_CONTACT);
    CopyField(info->message, message);
}

// Same, with the message built from a prefix and a name ("Unable to open " + path).
inline void FillError2(ErrorInfo* info, uint16_t code, const char* sourceFile, const char* location,
                       const char* prefix, const char* name) {
    if (!info)
        return;
    char text[sizeof(info->message)];
    size_t n = 0;
    for (const char* p = prefix; p && *p && n + 1 < sizeof(text); ++p)
        text[n++] = *p;
    for (const char* p = name; p && *p && n + 1 < sizeof(text); ++p)
        text[n++] = *p;
    text[n] = '\0';
    FillError(info, code, sourceFile, location, text);
}
