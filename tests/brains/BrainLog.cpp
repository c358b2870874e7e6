#include "brains/BrainLog.h"

std::vector<std::string>& BrainLog() {
    static std::vector<std::string> log;
    return log;
}
