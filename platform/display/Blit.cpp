// Row loops of 16 bytes at a time where SSE2 is there (every x86-64), plain
// loops elsewhere. Keyed rows blend: the destination is read and written back
// whole, with the source's shown pixels taking their places.
#include "platform/display/Blit.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#define VRASK_WIDE_BLITS 1
#define VRASK_AVX2 __attribute__((target("avx2")))
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
template <typename T> void KeyedPixels(uint8_t* d, const uint8_t* s, int count, T low, T span) {
    for (int x = 0; x < count; ++x) {
        T p = Load<T>(s + sizeof(T) * x);
        if (T(p - low) > span)
            Store(d + sizeof(T) * x, p);
    }
}

#if defined(__SSE2__)
// Each kernel blends 16 bytes: the source's shown pixels over the
// destination's. Blending the same bytes twice gives the same result, so a
// row's last vector may overlap the one before it.
struct OneKey16 {
    __m128i key;
    __m128i Blend(__m128i v, __m128i o) const {
        __m128i hide = _mm_cmpeq_epi16(v, key);
        return _mm_or_si128(_mm_and_si128(hide, o), _mm_andnot_si128(hide, v));
    }
};

struct KeyRange16 {
    __m128i low, span;
    __m128i Blend(__m128i v, __m128i o) const {
        // (v - low) <= span, as a saturated difference of zero
        __m128i hide =
            _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(v, low), span), _mm_setzero_si128());
        return _mm_or_si128(_mm_and_si128(hide, o), _mm_andnot_si128(hide, v));
    }
};

struct OneKey32 {
    __m128i key;
    __m128i Blend(__m128i v, __m128i o) const {
        __m128i hide = _mm_cmpeq_epi32(v, key);
        return _mm_or_si128(_mm_and_si128(hide, o), _mm_andnot_si128(hide, v));
    }
};

struct KeyRange32 {
    __m128i low, spanBiased, bias;
    __m128i Blend(__m128i v, __m128i o) const {
        // SSE2 compares signed only: both sides move by the sign bit.
        __m128i show = _mm_cmpgt_epi32(_mm_xor_si128(_mm_sub_epi32(v, low), bias), spanBiased);
        return _mm_or_si128(_mm_and_si128(show, v), _mm_andnot_si128(show, o));
    }
};

template <typename Kernel> inline __m128i Blended16(uint8_t* d, const uint8_t* s, const Kernel& k) {
    return k.Blend(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s)),
                   _mm_loadu_si128(reinterpret_cast<const __m128i*>(d)));
}

template <typename Kernel> inline void Blend16(uint8_t* d, const uint8_t* s, const Kernel& k) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), Blended16(d, s, k));
}

template <typename Kernel> inline __m128i Blended8(uint8_t* d, const uint8_t* s, const Kernel& k) {
    return k.Blend(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(s)),
                   _mm_loadl_epi64(reinterpret_cast<const __m128i*>(d)));
}

// Rows of a width known when compiling (tiles, sprite frames): unrolled.
// The steps are copied out of the block: the stores could alias it, and it
// would be read again for every row.
template <int N, typename Kernel> void FixedRows(const Block& b, const Kernel& k) {
    uint8_t* d = b.dst;
    const uint8_t* s = b.src;
    const ptrdiff_t dstStep = b.dstStep, srcStep = b.srcStep;
#pragma GCC unroll 4
    for (int y = b.height; y > 0; --y, d += dstStep, s += srcStep)
        for (int i = 0; i < N; i += 16)
            Blend16(d + i, s + i, k);
}

template <typename T, typename Kernel>
void KeyedRows(const Block& b, const Kernel& k, T low, T span) {
    const int n = b.width * int(sizeof(T));
    switch (n) {
    case 32:
        return FixedRows<32>(b, k);
    case 64:
        return FixedRows<64>(b, k);
    case 128:
        return FixedRows<128>(b, k);
    }
    uint8_t* d = b.dst;
    const uint8_t* s = b.src;
    const ptrdiff_t dstStep = b.dstStep, srcStep = b.srcStep;
    for (int y = b.height; y > 0; --y, d += dstStep, s += srcStep) {
        // A row's overlapping last vector is read before the row is stored:
        // read after, it would wait for the store it overlaps to land.
        if (n >= 16) {
            __m128i last = Blended16(d + n - 16, s + n - 16, k);
            int i = 0;
            for (; i + 16 <= n; i += 16)
                Blend16(d + i, s + i, k);
            if (i < n)
                _mm_storeu_si128(reinterpret_cast<__m128i*>(d + n - 16), last);
        } else if (n >= 8) {
            __m128i first = Blended8(d, s, k), last = Blended8(d + n - 8, s + n - 8, k);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d), first);
            _mm_storel_epi64(reinterpret_cast<__m128i*>(d + n - 8), last);
        } else {
            KeyedPixels<T>(d, s, b.width, low, span);
        }
    }
}
#endif

#if defined(VRASK_WIDE_BLITS)
// Where the processor has AVX2 (checked once), rows of 32 bytes or more go
// 32 bytes at a time with one blend instruction.
bool HasAvx2() {
    __builtin_cpu_init(); // this may run before the library's other constructors
    return __builtin_cpu_supports("avx2");
}

bool gWide = HasAvx2();

struct OneKey16Wide {
    __m256i key;
    VRASK_AVX2 __m256i Hide(__m256i v) const { return _mm256_cmpeq_epi16(v, key); }
};

struct KeyRange16Wide {
    __m256i low, span;
    // (v - low) <= span, unsigned: the larger of the two is the span
    VRASK_AVX2 __m256i Hide(__m256i v) const {
        return _mm256_cmpeq_epi16(_mm256_max_epu16(_mm256_sub_epi16(v, low), span), span);
    }
};

struct OneKey32Wide {
    __m256i key;
    VRASK_AVX2 __m256i Hide(__m256i v) const { return _mm256_cmpeq_epi32(v, key); }
};

struct KeyRange32Wide {
    __m256i low, span;
    VRASK_AVX2 __m256i Hide(__m256i v) const {
        return _mm256_cmpeq_epi32(_mm256_max_epu32(_mm256_sub_epi32(v, low), span), span);
    }
};

template <typename Kernel>
VRASK_AVX2 inline __m256i Blended32(uint8_t* d, const uint8_t* s, const Kernel& k) {
    __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
    __m256i o = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(d));
    return _mm256_blendv_epi8(v, o, k.Hide(v));
}

template <typename Kernel>
VRASK_AVX2 inline void Blend32(uint8_t* d, const uint8_t* s, const Kernel& k) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), Blended32(d, s, k));
}

template <int N, typename Kernel> VRASK_AVX2 void FixedRowsWide(const Block& b, const Kernel& k) {
    uint8_t* d = b.dst;
    const uint8_t* s = b.src;
    const ptrdiff_t dstStep = b.dstStep, srcStep = b.srcStep;
#pragma GCC unroll 4
    for (int y = b.height; y > 0; --y, d += dstStep, s += srcStep)
        for (int i = 0; i < N; i += 32)
            Blend32(d + i, s + i, k);
}

// Rows of 32 bytes or more only.
template <typename Kernel> VRASK_AVX2 void KeyedRowsWide(const Block& b, const Kernel& k) {
    const int n = b.width * b.bytes;
    switch (n) {
    case 32:
        return FixedRowsWide<32>(b, k);
    case 64:
        return FixedRowsWide<64>(b, k);
    case 128:
        return FixedRowsWide<128>(b, k);
    }
    uint8_t* d = b.dst;
    const uint8_t* s = b.src;
    const ptrdiff_t dstStep = b.dstStep, srcStep = b.srcStep;
    for (int y = b.height; y > 0; --y, d += dstStep, s += srcStep) {
        __m256i last = Blended32(d + n - 32, s + n - 32, k); // before the row's stores
        int i = 0;
        for (; i + 32 <= n; i += 32)
            Blend32(d + i, s + i, k);
        if (i < n)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + n - 32), last);
    }
}

VRASK_AVX2 void KeyedWide(const Block& b, uint32_t low, uint32_t span) {
    if (b.bytes == 2) {
        if (span == 0)
            KeyedRowsWide(b, OneKey16Wide{_mm256_set1_epi16(int16_t(low))});
        else
            KeyedRowsWide(b, KeyRange16Wide{_mm256_set1_epi16(int16_t(low)),
                                            _mm256_set1_epi16(int16_t(span))});
    } else {
        if (span == 0)
            KeyedRowsWide(b, OneKey32Wide{_mm256_set1_epi32(int32_t(low))});
        else
            KeyedRowsWide(b, KeyRange32Wide{_mm256_set1_epi32(int32_t(low)),
                                            _mm256_set1_epi32(int32_t(span))});
    }
}
#endif

template <typename T> void Keyed(const Block& b, T low, T span) {
#if defined(VRASK_WIDE_BLITS)
    if (gWide && b.width * b.bytes >= 32) {
        KeyedWide(b, low, span);
        return;
    }
#endif
#if defined(__SSE2__)
    if constexpr (sizeof(T) == 2) {
        if (span == 0)
            KeyedRows<T>(b, OneKey16{_mm_set1_epi16(int16_t(low))}, low, span);
        else
            KeyedRows<T>(b, KeyRange16{_mm_set1_epi16(int16_t(low)), _mm_set1_epi16(int16_t(span))},
                         low, span);
    } else {
        __m128i bias = _mm_set1_epi32(int32_t(0x80000000u));
        if (span == 0)
            KeyedRows<T>(b, OneKey32{_mm_set1_epi32(int32_t(low))}, low, span);
        else
            KeyedRows<T>(b,
                         KeyRange32{_mm_set1_epi32(int32_t(low)),
                                    _mm_xor_si128(_mm_set1_epi32(int32_t(span)), bias), bias},
                         low, span);
    }
#else
    for (int y = 0; y < b.height; ++y)
        KeyedPixels<T>(b.dst + y * b.dstStep, b.src + y * b.srcStep, b.width, low, span);
#endif
}

} // namespace

bool UseWideBlits(bool on) {
#if defined(VRASK_WIDE_BLITS)
    gWide = on && HasAvx2();
    return gWide;
#else
    (void)on;
    return false;
#endif
}

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

namespace {

void KeyedInto(const Block& b, uint32_t low, uint32_t high) {
    if (b.bytes == 2)
        Keyed<uint16_t>(b, uint16_t(low), uint16_t(high - low));
    else
        Keyed<uint32_t>(b, low, high - low);
}

// A surface onto itself: from a copy of the source rows.
[[gnu::noinline]] void KeyedFromSnapshot(Block b, uint32_t low, uint32_t high) {
    size_t row = RowBytes(b);
    std::vector<uint8_t> snapshot(row * size_t(b.height));
    for (int y = 0; y < b.height; ++y)
        std::memcpy(snapshot.data() + y * row, b.src + y * b.srcStep, row);
    b.src = snapshot.data();
    b.srcStep = ptrdiff_t(row);
    KeyedInto(b, low, high);
}

} // namespace

void CopyBlockKeyed(const Block& b, uint32_t low, uint32_t high) {
    if (b.width <= 0 || b.height <= 0)
        return;
    uint32_t most = b.bytes == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    if (low > high || low > most) {
        CopyBlock(b); // a key no pixel can have
        return;
    }
    if (high > most)
        high = most;
    if (Overlaps(b))
        KeyedFromSnapshot(b, low, high);
    else
        KeyedInto(b, low, high);
}

} // namespace platform::display
