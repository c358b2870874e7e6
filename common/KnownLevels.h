// The main layer names the player brain knows, each with the teleporter
// destinations 1 to `destinationCount` (the rest of 1 to 19 stay (0, 0)) and
// the helper's voice. Shared by the brain and the level tools that check a
// level against it.
#pragma once

#include <cstdint>
#include <cstring>

struct KnownLevel {
    const char* layer;
    const char* voice;
    int32_t destinationCount;
    int32_t destinations[13][2];
};

inline constexpr KnownLevel kKnownLevels[] = {
    {"LA Main",
     "data\\QEXDSW.000",
     7,
     {{100, 3088},
      {100, 1480},
      {2372, 4228},
      {1332, 1668},
      {2596, 3572},
      {2656, 4228},
      {3080, 4228}}},
    {"LB Main",
     "data\\QEXDSW.001",
     7,
     {{4616, 2820},
      {4616, 2820},
      {3984, 2824},
      {2308, 2500},
      {304, 376},
      {1912, 472},
      {468, 2372}}},
    {"SSA Main",
     "data\\QEXESW.000",
     6,
     {{972, 3300}, {3104, 2192}, {60, 468}, {724, 3056}, {4600, 2288}, {972, 3300}}},
    {"SSB Main",
     "data\\QEXESW.001",
     10,
     {{960, 1456},
      {276, 940},
      {3184, 2116},
      {1072, 556},
      {4056, 548},
      {140, 4780},
      {2388, 4528},
      {1272, 2284},
      {4820, 1936},
      {4264, 960}}},
    {"UCA Main",
     "data\\QEXFSW.000",
     5,
     {{2252, 784}, {1040, 388}, {5268, 384}, {8752, 396}, {10992, 540}}},
    {"UCB Main", "data\\QEXFSW.001", 3, {{2388, 788}, {484, 964}, {5640, 752}}},
    {"GA Main",
     "data\\QEXGSW.000",
     7,
     {{9696, 8080},
      {10496, 5664},
      {3884, 3360},
      {9332, 2880},
      {4356, 5568},
      {3072, 4032},
      {2240, 1360}}},
    {"GB Main",
     "data\\QEXGSW.001",
     9,
     {{9248, 5088},
      {10208, 4452},
      {5792, 2796},
      {8608, 4960},
      {9436, 592},
      {6464, 4560},
      {1556, 5392},
      {5440, 5580},
      {3964, 2992}}},
    {"CA Main",
     "data\\QEXHSW.000",
     13,
     {{864, 780},
      {2808, 3184},
      {1344, 1152},
      {5744, 3644},
      {1520, 2352},
      {6416, 3232},
      {3840, 1552},
      {480, 3568},
      {2096, 4576},
      {6816, 3376},
      {7680, 5776},
      {7676, 2796},
      {5568, 5196}}},
    {"CB Main",
     "data\\QEXHSW.001",
     11,
     {{196, 5008},
      {1248, 7888},
      {384, 1808},
      {8448, 7120},
      {8448, 4816},
      {288, 688},
      {4096, 1264},
      {3648, 592},
      {7152, 4812},
      {6336, 3856},
      {7296, 976}}},
};

// Names are compared exactly, case included.
inline const KnownLevel* FindKnownLevel(const char* layerName) {
    for (const KnownLevel& level : kKnownLevels)
        if (std::strcmp(level.layer, layerName) == 0)
            return &level;
    return nullptr;
}
