// Pictures for the level tools: PNG (through libpng) and BMP in, PNG out, as
// plain 32-bit 0xAARRGGBB pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tiled {

struct Image {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // 0xAARRGGBB, top row first

    uint32_t At(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void Set(int x, int y, uint32_t v) { pixels[size_t(y) * size_t(width) + size_t(x)] = v; }
};

Image MakeImage(int width, int height, uint32_t fill = 0);

// Reads a PNG or BMP file, by its first bytes; throws Failure.
Image ReadImage(const std::string& path);
Image DecodePng(const std::vector<uint8_t>& bytes, const std::string& where);
Image DecodeBmp(const std::vector<uint8_t>& bytes, const std::string& where);
std::vector<uint8_t> EncodePng(const Image& image);

// Rows of a device-independent bitmap as the game's picture files hold them:
// `bits` 1, 4, 8 (table index; the game's table has only black and white),
// 16 (5-5-5), 24 or 32; a negative height stores the top row first.
Image DecodeDib(const uint8_t* rows, size_t size, int width, int height, int bits,
                const std::vector<uint32_t>& palette, const std::string& where);

std::vector<uint8_t> ReadBytes(const std::string& path);

} // namespace tiled
