#include "brains/BrainLog.h"

std::vector<std::string>& BrainLog() {
    static std::vector<std::string> log;
    return log;
}

std::vector<uint32_t>& ButtonLog() {
    static std::vector<uint32_t> log;
    return log;
}
