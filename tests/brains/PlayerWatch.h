// What the watching brain saw of the level after each player Think: the
// player's first instance, the buttons and requests, the score, and every
// instance of each sprite on the main layer and the layers after it.
#pragma once

#include "common/Level.h"

#include <map>
#include <string>
#include <vector>

struct WatchFrame {
    SpriteInstance player;
    uint32_t buttons, requests;
    int32_t score;
    uint32_t helperPlaying; // bit k: the helper's sound slot k plays
    std::map<std::string, std::vector<SpriteInstance>> sprites;

    const SpriteInstance& First(const std::string& name) const { return sprites.at(name).at(0); }
};

std::vector<WatchFrame>& WatchLog();
