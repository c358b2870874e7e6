// The pixel loops of the surfaces' blits: whole blocks of rows of one format
// (2 or 4 bytes a pixel), checked and clipped by the caller once per blit.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform::display {

struct Block {
    uint8_t* dst;
    ptrdiff_t dstStep;
    const uint8_t* src;
    ptrdiff_t srcStep;
    int width, height; // pixels
    int bytes;         // 2 or 4
};

// Copies the block. Source and destination may overlap (a surface blitting
// onto itself): the result is that of copying from a snapshot of the source.
void CopyBlock(const Block& b);

// Copies the pixels whose value is outside [low, high]; the others leave the
// destination as it was. The block must not overlap itself.
void CopyBlockKeyed(const Block& b, uint32_t low, uint32_t high);

// Whether keyed blits may use the processor's wider vectors where it has
// them (on by default); returns whether they now do. For tests of both paths.
bool UseWideBlits(bool on);

} // namespace platform::display
