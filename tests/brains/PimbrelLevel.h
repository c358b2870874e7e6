// The player brain's levels and data with the in-process level fixture that
// runs them.
#pragma once

#include "brains/PimbrelData.h"
#include "level/LevelFixture.h"
