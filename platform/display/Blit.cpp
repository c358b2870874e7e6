// Row loops of 16 bytes at a time where SSE2 is there (every x86-64), plain
// loops elsewhere. Keyed rows blend: the destination is read and written back
// whole, with the source's shown pixels taking their places.
#include "platform/display/Blit.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::display {
namespace {

size_t RowBytes(const Block& b) {
    return size_t(b.width) * size_t(b.bytes);
}

bool Overlaps(const Block& b) {
    size_t row = RowBytes(b);
    uintptr_t src = uintptr_t(b.src), dst = uintptr_t(b.dst);
    uintptr_t srcEnd = src + uintptr_t((b.height - 1) * b.srcStep) + row;
    uintptr_t dstEnd = dst + uintptr_t((b.height - 1) * b.dstStep) + row;
    return dst < srcEnd && src < dstEnd;
}

template <typename T> T Load(const uint8_t* p) {
    T v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T> void Store(uint8_t* p, T v) {
    std::memcpy(p, &v, sizeof v);
}

// Short rows (tiles) are copied inline: a call of memcpy per row of 32 bytes
// would cost more than the copy.
inline void CopyRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 256) {
        std::memcpy(d, s, n);
        return;
    }
    size_t i = 0;
#if defined(__SSE2__)
    for (; i + 16 <= n; i += 16)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)));
#endif
    for (; i + 8 <= n; i += 8)
        Store(d + i, Load<uint64_t>(s + i));
    if (i + 4 <= n) {
        Store(d + i, Load<uint32_t>(s + i));
        i += 4;
    }
    if (i + 2 <= n)
        Store(d + i, Load<uint16_t>(s + i));
}

// Pixels in [low, low + span] are hidden: one unsigned compare after the
// wrapping subtraction.
void KeyedRow16(uint8_t* d, const uint8_t* s, int width, uint16_t low, uint16_t span) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i lowV = _mm_set1_epi16(int16_t(low));
    const __m128i spanV = _mm_set1_epi16(int16_t(span));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 8 <= width; x += 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 2 * x));
        __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 2 * x));
        // (v - low) <= span, as a saturated difference of zero
        __m128i hide = _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, lowV), spanV), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 2 * x),
                         _mm_or_si128(_mm_and_si128(hide, o), _mm_andnot_si128(hide, v)));
    }
#endif
    for (; x < width; ++x) {
        uint16_t p = Load<uint16_t>(s + 2 * x);
        if (uint16_t(p - low) > span)
            Store(d + 2 * x, p);
    }
}

void KeyedRow32(uint8_t* d, const uint8_t* s, int width, uint32_t low, uint32_t span) {
    int x = 0;
#if defined(__SSE2__)
    // SSE2 compares signed only: both sides move by the sign bit.
    const __m128i bias = _mm_set1_epi32(int32_t(0x80000000u));
    const __m128i lowV = _mm_set1_epi32(int32_t(low));
    const __m128i spanV = _mm_xor_si128(_mm_set1_epi32(int32_t(span)), bias);
    for (; x + 4 <= width; x += 4) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + 4 * x));
        __m128i o = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + 4 * x));
        __m128i show = _mm_cmpgt_epi32(_mm_xor_si128(_mm_sub_epi32(v, lowV), bias), spanV);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 4 * x),
                         _mm_or_si128(_mm_and_si128(show, v), _mm_andnot_si128(show, o)));
    }
#endif
    for (; x < width; ++x) {
        uint32_t p = Load<uint32_t>(s + 4 * x);
        if (p - low > span)
            Store(d + 4 * x, p);
    }
}

} // namespace

void CopyBlock(const Block& b) {
    if (b.width <= 0 || b.height <= 0)
        return;
    size_t row = RowBytes(b);
    if (!Overlaps(b)) {
        for (int y = 0; y < b.height; ++y)
            CopyRow(b.dst + y * b.dstStep, b.src + y * b.srcStep, row);
        return;
    }
    // Rows moving down are copied from the bottom up, so that none is read
    // after it was written; memmove settles overlap within a row.
    if (uintptr_t(b.dst) > uintptr_t(b.src)) {
        for (int y = b.height - 1; y >= 0; --y)
            std::memmove(b.dst + y * b.dstStep, b.src + y * b.srcStep, row);
    } else {
        for (int y = 0; y < b.height; ++y)
            std::memmove(b.dst + y * b.dstStep, b.src + y * b.srcStep, row);
    }
}

void CopyBlockKeyed(const Block& block, uint32_t low, uint32_t high) {
    if (block.width <= 0 || block.height <= 0)
        return;
    uint32_t most = block.bytes == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    if (low > high || low > most) {
        CopyBlock(block); // a key no pixel can have
        return;
    }
    if (high > most)
        high = most;
    Block b = block;
    std::vector<uint8_t> snapshot;
    if (Overlaps(b)) {
        size_t row = RowBytes(b);
        snapshot.resize(row * size_t(b.height));
        for (int y = 0; y < b.height; ++y)
            std::memcpy(snapshot.data() + y * row, b.src + y * b.srcStep, row);
        b.src = snapshot.data();
        b.srcStep = ptrdiff_t(row);
    }
    if (b.bytes == 2) {
        for (int y = 0; y < b.height; ++y)
            KeyedRow16(b.dst + y * b.dstStep, b.src + y * b.srcStep, b.width, uint16_t(low),
                       uint16_t(high - low));
    } else {
        for (int y = 0; y < b.height; ++y)
            KeyedRow32(b.dst + y * b.dstStep, b.src + y * b.srcStep, b.width, low, high - low);
    }
}

} // namespace platform::display
