// The high-score screen's data for the demo game: the background, the three
// font sheets and the music, drawn and played from a small built-in font and
// a few notes.
#pragma once

#include <cstdint>
#include <vector>

namespace demo {

std::vector<uint8_t> HighScoreBackground(); // 640 x 480 BMP
std::vector<uint8_t> DigitFont();           // frame n shows digit n
std::vector<uint8_t> LetterFont();          // frame n shows letter n (A = 0)
std::vector<uint8_t> EditingLetterFont();   // the same, in the colour of letters being entered
std::vector<uint8_t> HighScoreMusic();      // a short loop, 16-bit PCM WAV

} // namespace demo
