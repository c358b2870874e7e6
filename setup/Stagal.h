// Exports of the setup library, which serves the game's installer.
#pragma once

#include <cstdint>
