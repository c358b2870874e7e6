// The high-score screen: the table of the eight best scores in
// data\QEXALL.000, shown over a background with bitmap fonts, and the entry
// of initials for a score that makes it onto the table.
#pragma once

#include "common/Level.h"

#include <cstdint>

constexpr uint32_t kHighScoreCount = 8;
constexpr uint32_t kHighScoreInitialsSize = 32;
constexpr uint32_t kHighScoreFileSize = kHighScoreCount * 4 + kHighScoreCount * 32; // 288

// The screen's process-wide state. The tables stay from the first load to the
// end of the run; fonts, background and music only while the screen is up.
struct HighScoreState {
    uint32_t scores[kHighScoreCount];                          // best first
    uint8_t initials[kHighScoreCount][kHighScoreInitialsSize]; // letters 0..25 in bytes 0..2
    uint32_t digits[kHighScoreCount][8];                       // units first; digit 7 may exceed 9
    uint32_t letters[kHighScoreCount][3];
    Sprite fonts[3]; // digits, letters, letters being edited
    platform::Surface* background;
    char backgroundPath[64];
    int32_t changed;
    uint32_t newScore;
    uint32_t insertPosition;
    uint32_t cursor;
    int32_t entryDone;
};

enum : uint32_t { kFontDigits = 0, kFontLetters = 1, kFontEditing = 2 };

extern HighScoreState gHighScores;

int HighScores(uint32_t score);
int HighScoresInit();
int HighScoresEngine(uint32_t score);
int HighScoresCleanup();
int HighScoresLoad();
int HighScoresSave();
int HighScoresDefault();
void HighScoresInsert(uint32_t score);
void HighScoresPrepare();
int HighScoresRenderBackground();
int HighScoresRenderScores();
int HighScoresRenderInitials();
