#include "brains/PlayerWatch.h"

std::vector<WatchFrame>& WatchLog() {
    static std::vector<WatchFrame> log;
    return log;
}
