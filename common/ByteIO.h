// Bounded little-endian field readers and writers: binary files are read and
// written only through these, never as structs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

// A zero-padded text field of n bytes, read through either reader, into a
// buffer of cap bytes, always terminated.
template <class Reader> void ReadTextField(Reader& in, char* dst, size_t cap, size_t n) {
    char field[256];
    size_t take = n < sizeof(field) ? n : sizeof(field);
    in.Bytes(field, take);
    if (n > take)
        in.Skip(n - take);
    size_t i = 0;
    for (; i + 1 < cap && i < take && field[i]; ++i)
        dst[i] = field[i];
    dst[i] = '\0';
}

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
    void Text(char* dst, size_t cap, size_t n) { ReadTextField(*this, dst, cap, n); }

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

// Reads fields from a source in order through a small buffer, so a large file
// is parsed as it is read and never held whole. `size` is what the source
// says it holds; as with ByteReader, reading past what it gives yields zeros
// and sets `overrun`.
class ByteStream {
  public:
    // Up to n bytes into dst; fewer only at the end of the source.
    using ReadFn = size_t (*)(void* source, void* dst, size_t n);

    ByteStream(ReadFn read, void* source, uint64_t size)
        : read_(read), source_(source), size_(size), buffer_(kBufferSize) {}

    uint64_t Offset() const { return taken_ - (end_ - pos_); }
    uint64_t Remaining() const { return Offset() < size_ ? size_ - Offset() : 0; }
    bool Overrun() const { return overrun_; }

    uint8_t U8() { return static_cast<uint8_t>(Raw(1)); }
    uint16_t U16() { return static_cast<uint16_t>(Raw(2)); }
    int16_t S16() { return static_cast<int16_t>(Raw(2)); }
    uint32_t U32() { return static_cast<uint32_t>(Raw(4)); }
    int32_t S32() { return static_cast<int32_t>(Raw(4)); }

    // Copies n bytes into dst (zeros for what is missing). Large runs go
    // straight from the source into dst.
    void Bytes(void* dst, size_t n) {
        auto* out = static_cast<uint8_t*>(dst);
        size_t have = Take(out, n);
        out += have;
        n -= have;
        if (n >= kBufferSize && !ended_) {
            size_t got = read_(source_, out, n);
            Took(got, n);
            out += got;
            n -= got;
        }
        while (n > 0) {
            if (!Fill()) {
                std::memset(out, 0, n);
                overrun_ = true;
                return;
            }
            size_t step = Take(out, n);
            out += step;
            n -= step;
        }
    }

    // n little-endian values straight into an array of their width.
    void U16s(uint16_t* dst, size_t n) {
        Bytes(dst, n * 2);
        if constexpr (!kLittleEndian)
            for (size_t i = 0; i < n; ++i)
                dst[i] = Swap16(dst[i]);
    }
    void U32s(uint32_t* dst, size_t n) {
        Bytes(dst, n * 4);
        if constexpr (!kLittleEndian)
            for (size_t i = 0; i < n; ++i)
                dst[i] = Swap32(dst[i]);
    }

    // A zero-padded text field of n bytes into a buffer of cap bytes, always
    // terminated.
    void Text(char* dst, size_t cap, size_t n) { ReadTextField(*this, dst, cap, n); }

    void Skip(uint64_t n) {
        while (n > 0) {
            if (pos_ == end_ && !Fill()) {
                overrun_ = true;
                return;
            }
            size_t step = end_ - pos_ < n ? end_ - pos_ : size_t(n);
            pos_ += step;
            n -= step;
        }
    }

  private:
    static constexpr size_t kBufferSize = 64 * 1024;
    static constexpr bool kLittleEndian = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    static uint16_t Swap16(uint16_t v) { return uint16_t(v << 8 | v >> 8); }
    static uint32_t Swap32(uint32_t v) {
        return v << 24 | (v & 0xFF00) << 8 | (v >> 8 & 0xFF00) | v >> 24;
    }

    // A source that gives less than asked has ended, whatever it said its
    // size was.
    void Took(size_t got, size_t asked) {
        taken_ += got;
        if (got < asked) {
            ended_ = true;
            if (taken_ < size_)
                size_ = taken_;
        }
    }
    size_t Take(uint8_t* out, size_t n) {
        size_t step = end_ - pos_ < n ? end_ - pos_ : n;
        if (step)
            std::memcpy(out, buffer_.data() + pos_, step);
        pos_ += step;
        return step;
    }
    bool Fill() {
        pos_ = end_ = 0;
        if (ended_)
            return false;
        end_ = read_(source_, buffer_.data(), kBufferSize);
        Took(end_, kBufferSize);
        return end_ > 0;
    }
    uint64_t Raw(size_t n) {
        uint64_t v = 0;
        if (end_ - pos_ >= n) {
            for (size_t i = 0; i < n; ++i)
                v |= uint64_t(buffer_[pos_ + i]) << (8 * i);
            pos_ += n;
            return v;
        }
        uint8_t bytes[8];
        Bytes(bytes, n);
        for (size_t i = 0; i < n; ++i)
            v |= uint64_t(bytes[i]) << (8 * i);
        return v;
    }

    ReadFn read_;
    void* source_;
    uint64_t size_;
    std::vector<uint8_t> buffer_;
    size_t pos_ = 0, end_ = 0;
    uint64_t taken_ = 0; // bytes the source has given so far
    bool ended_ = false;
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
