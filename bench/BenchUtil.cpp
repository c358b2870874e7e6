#include "bench/BenchUtil.h"

#include <cstdlib>
#include <filesystem>

namespace bench {
namespace {
std::string gScratch;
}

const std::string& Scratch() {
    if (gScratch.empty()) {
        char name[] = "/tmp/vrask-bench-XXXXXX";
        if (char* made = mkdtemp(name))
            gScratch = made;
    }
    return gScratch;
}

void RemoveScratch() {
    if (gScratch.empty())
        return;
    std::error_code ignored;
    std::filesystem::remove_all(gScratch, ignored);
    gScratch.clear();
}

bool Sox(const std::string& arguments) {
    std::string command = "sox -q " + arguments + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

} // namespace bench
