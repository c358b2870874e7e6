// Bounded little-endian field readers and writers: binary files are read and
// written only through these, never as structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// Reads fields from a byte span. Reading past the end sets `overrun` and gives
// zeros, so a short file reads as its zero-filled tail.
class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Offset() const { return pos_; }
    size_t Remaining() const { return pos_ < size_ ? size_ - pos_ : 0; }
    bool Overrun() const { return overrun_; }
    bool Has(size_t n) const { return n <= Remaining(); }

    uint8_t U8() { return static_cast<uint8_t>(Raw(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Raw(2)); }
    int16_t S16() { return static_cast<int16_t>(Raw(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Raw(4)); }
    int32_t S32() { return static_cast<int32_t>(Raw(4)); }

    // Copies n bytes into dst (zeros for what is missing).
    void Bytes(void* dst, size_t n) {
        size_t have = n <= Remaining() ? n : Remaining();
        if (have)
            std::memcpy(dst, data_ + pos_, have);
        if (have < n) {
            std::memset(static_cast<uint8_t*>(dst) + have, 0, n - have);
            overrun_ = true;
        }
        Advance(n);
    }

    // A zero-padded text field of n bytes into a buffer of cap bytes, always
    // terminated.
    void Text(char* dst, size_t cap, size_t n) {
        char field[256];
        size_t take = n < sizeof(field) ? n : sizeof(field);
        Bytes(field, take);
        if (n > take)
            Skip(n - take);
        size_t i = 0;
        for (; i + 1 < cap && i < take && field[i]; ++i)
            dst[i] = field[i];
        dst[i] = '\0';
    }

    void Skip(size_t n) {
        if (n > Remaining())
            overrun_ = true;
        Advance(n);
    }

  private:
    uint64_t Raw(size_t n) {
        uint64_t v = 0;
        for (size_t i = 0; i < n; ++i) {
            if (pos_ + i < size_)
                v |= uint64_t(data_[pos_ + i]) << (8 * i);
            else
                overrun_ = true;
        }
        Advance(n);
        return v;
    }
    void Advance(size_t n) { pos_ = n > Remaining() ? size_ : pos_ + n; }

    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
    bool overrun_ = false;
};

// Appends little-endian fields to a growing buffer.
class ByteWriter {
  public:
    std::vector<uint8_t>& Data() { return data_; }
    size_t Size() const { return data_.size(); }

    ByteWriter& U8(uint8_t v) { return Raw(v, 1); }
    ByteWriter& U16(uint16_t v) { return Raw(v, 2); }
    ByteWriter& S16(int16_t v) { return Raw(static_cast<uint16_t>(v), 2); }
    ByteWriter& U32(uint32_t v) { return Raw(v, 4); }
    ByteWriter& S32(int32_t v) { return Raw(static_cast<uint32_t>(v), 4); }
    ByteWriter& Bytes(const void* src, size_t n) {
        const uint8_t* p = static_cast<const uint8_t*>(src);
        data_.insert(data_.end(), p, p + n);
        return *this;
    }
    // A text field of exactly n bytes, zero-padded, cut to n - 1 characters.
    ByteWriter& Text(const char* s, size_t n) {
        size_t len = s ? std::strlen(s) : 0;
        if (len > n - 1)
            len = n - 1;
        Bytes(s, len);
        data_.insert(data_.end(), n - len, 0);
        return *this;
    }
    void PatchU32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            data_[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }

  private:
    ByteWriter& Raw(uint64_t v, size_t n) {
        for (size_t i = 0; i < n; ++i)
            data_.push_back(static_cast<uint8_t>(v >> (8 * i)));
        return *this;
    }
    std::vector<uint8_t> data_;
};
