// What the benchmarks share: a scratch folder of the process's own and sox.
#pragma once

#include <string>

namespace bench {

// A folder made for this process on first use; removed at exit.
const std::string& Scratch();
void RemoveScratch();

// Runs sox with the arguments; false when it fails or is not installed.
bool Sox(const std::string& arguments);

} // namespace bench
