// The fatal report and the aligned allocator.
#include "common/AllocAligned.h"
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "engine/VraskUtils.h"
#include "platform/Display.h"
#include "platform/Files.h"
#include "platform/MessageBox.h"
#include "platform/UserFiles.h"
#include "platform/Window.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr const char* kReportFormat = "ERROR - %.*s\n"
                                      "LOCATION - %.*s of %.*s\n\n"
                                      "Please go to " VRASK_SUPPORT_WEB " for support \n"
                                      "or contact Korvid at %.*s\n";

// Room for the fixed text and every field at its longest.
constexpr size_t kReportSize = 256 + sizeof(VRASK_SUPPORT_WEB) + 255 + 39 + 39 + 255;

// Fields are printed up to their terminator or their width, whichever comes
// first, so a record a plug-in left unterminated cannot overrun.
template <size_t N> int FieldLength(const char (&field)[N]) {
    return static_cast<int>(strnlen(field, N - 1));
}

} // namespace

void ReportError() {
    uint32_t style = platform::MB_TOPMOST | platform::MB_OK;
    if (gErrorInfo.code == kErrorFatal)
        style |= platform::MB_ICONHAND;
    else if (gErrorInfo.code == kErrorWarning)
        style |= platform::MB_ICONEXCLAMATION;

    char text[kReportSize];
    int length = std::snprintf(
        text, sizeof(text), kReportFormat, FieldLength(gErrorInfo.message), gErrorInfo.message,
        FieldLength(gErrorInfo.location), gErrorInfo.location, FieldLength(gErrorInfo.sourceFile),
        gErrorInfo.sourceFile, FieldLength(gErrorInfo.contact), gErrorInfo.contact);
    if (length < 0)
        length = 0;

    // A report that cannot go into the game folder goes to the user's, and
    // the box says where.
    std::string reportPath = platform::UserFileToWrite("error.txt", platform::UserFolder::Data);
    std::string shown = text;
    if (reportPath != "error.txt")
        shown += "\nThis report is saved in " + reportPath + "\n";
    platform::MessageBox(nullptr, shown.c_str(), "Vrask Engine Notification", style);

    // Text mode: every line feed goes out as carriage return and line feed,
    // and the terminating zero is written too.
    if (platform::File* file = platform::FileCreate(reportPath.c_str())) {
        std::string out;
        out.reserve(static_cast<size_t>(length) * 2 + 1);
        for (int i = 0; i < length; ++i) {
            if (text[i] == '\n')
                out += '\r';
            out += text[i];
        }
        out += '\0';
        platform::FileWrite(file, out.data(), out.size());
        platform::FileClose(file);
    }

    std::memset(&gErrorInfo, 0, sizeof(gErrorInfo));
}

void ShutdownOnError() {
    if (gDisplay.primary) {
        gDisplay.primary->Release(); // the back buffer goes with it
        gDisplay.primary = nullptr;
        gDisplay.back = nullptr;
    }
    if (gDisplay.display) {
        gDisplay.display->Release();
        gDisplay.display = nullptr;
    }
    ReportError();
    FreeLevel();
    if (gMainWindow)
        platform::DestroyWindow(gMainWindow);
}

void* AllocAligned(void** rawOut, uint32_t size) {
    return AllocAlignedFor(&gErrorInfo, rawOut, size);
}
