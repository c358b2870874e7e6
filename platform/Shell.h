// The shell's "open": a document or web address handed to the desktop's
// opener, with the shell's result codes (above 32 is success).
#pragma once

#include <cstdint>

namespace platform {

class Window;

constexpr int SW_SHOWNORMAL = 1;

constexpr intptr_t SE_ERR_FNF = 2;
constexpr intptr_t SE_ERR_PNF = 3;
constexpr intptr_t SE_ERR_ACCESSDENIED = 5;
constexpr intptr_t SE_ERR_OOM = 8;
constexpr intptr_t ERROR_BAD_FORMAT = 11;
constexpr intptr_t SE_ERR_SHARE = 26;
constexpr intptr_t SE_ERR_ASSOCINCOMPLETE = 27;
constexpr intptr_t SE_ERR_DDETIMEOUT = 28;
constexpr intptr_t SE_ERR_DDEFAIL = 29;
constexpr intptr_t SE_ERR_DDEBUSY = 30;
constexpr intptr_t SE_ERR_NOASSOC = 31;
constexpr intptr_t SE_ERR_DLLNOTFOUND = 32;
constexpr intptr_t kShellLaunched = 42;

// Only the "open" verb is known. The opener is `xdg-open`, or the command
// named by VRASK_OPENER; on the headless backend without VRASK_OPENER
// nothing is launched and the request is only logged. The opener's exit
// status maps to the codes above; an opener still running after a few
// seconds counts as launched.
intptr_t ShellExecute(Window* window, const char* verb, const char* file, const char* parameters,
                      const char* directory, int show);

struct Process;

constexpr uint32_t SEE_MASK_NOCLOSEPROCESS = 0x40;

struct ShellExecuteInfo {
    uint32_t mask;
    Window* window;
    const char* verb;
    const char* file;
    const char* parameters;
    const char* directory; // the program's working directory; null: the current one
    int show;
    intptr_t instApp; // out: above 32 when launched, else one of the codes above
    Process* process; // out, with SEE_MASK_NOCLOSEPROCESS, when a program was started
};

// "open" for programs and documents alike. A program (a file that may be
// executed, named as data names are, or found on the PATH; "x.exe" that
// does not exist is also tried as "x") is started directly with the
// parameters split at blanks, double quotes grouping; anything else goes to
// the opener as with ShellExecute. Programs start on the headless backend
// too. True when instApp is above 32.
bool ShellExecuteEx(ShellExecuteInfo* info);

// WAIT_OBJECT_0 once the program has ended (its exit status in *exitCode),
// WAIT_TIMEOUT while it runs.
uint32_t WaitForProcess(Process* process, uint32_t ms, int* exitCode);
// Releases the handle; a program still running runs on.
void CloseProcess(Process* process);

} // namespace platform
