// Stand-ins for the screens, display, input, sound and CD calls of the game
// shell. Each call is logged; tests script results and side effects.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace fake {

struct Script {
    std::vector<std::string> calls;
    // Optional behaviours; a call without one succeeds and does nothing.
    std::function<int()> mainMenuInit;
    std::function<int()> mainMenuEngine;
    std::function<int(const std::string& path, unsigned flags, unsigned w, unsigned h)> cutscene;
    std::function<int()> levelInit;
    std::function<int()> levelEngine;
    std::function<int(unsigned score)> highScores;
    std::function<int()> menuPageEngine;
};

extern Script script;
void Reset();
// The calls whose text starts with `prefix`.
std::vector<std::string> Calls(const std::string& prefix = "");

} // namespace fake
