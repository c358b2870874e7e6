// The calls test brains receive, in order, shared by the brains and the test
// that loads them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

std::vector<std::string>& BrainLog();
// FrameControl.buttons as each Think saw it.
std::vector<uint32_t>& ButtonLog();
