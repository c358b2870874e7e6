// The built-in text font: 5 x 7 glyphs in 6 x 8 cells, printable ASCII.
#pragma once

#include <cstdint>

namespace platform::display {

constexpr int kGlyphWidth = 5;
constexpr int kCellWidth = 6;
constexpr int kCellHeight = 8;

// Five columns, bit 0 the top row; characters without a glyph show a box.
const uint8_t* Glyph(unsigned char c);

} // namespace platform::display
