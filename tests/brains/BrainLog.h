// The calls test brains receive, in order, shared by the brains and the test
// that loads them.
#pragma once

#include <string>
#include <vector>

std::vector<std::string>& BrainLog();
