#include "tools/tiled/Images.h"

#include "common/ByteIO.h"
#include "tools/tiled/TiledMap.h"

#include <png.h>

#include <fstream>
#include <iterator>

namespace tiled {

Image MakeImage(int width, int height, uint32_t fill) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * size_t(height), fill);
    return image;
}

std::vector<uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Failure("Unable to open " + path);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

Image ReadImage(const std::string& path) {
    std::vector<uint8_t> bytes = ReadBytes(path);
    if (bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0)
        return DecodePng(bytes, path);
    if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M')
        return DecodeBmp(bytes, path);
    throw Failure(path + ": Unable to read the picture (PNG or BMP only)");
}

Image DecodePng(const std::vector<uint8_t>& bytes, const std::string& where) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, bytes.data(), bytes.size()))
        throw Failure(where + ": Unable to read PNG: " + png.message);
    if (png.width > 16384 || png.height > 16384) {
        png_image_free(&png);
        throw Failure(where + ": picture too large");
    }
    png.format = PNG_FORMAT_BGRA; // little-endian words 0xAARRGGBB
    Image image = MakeImage(int(png.width), int(png.height));
    if (!png_image_finish_read(&png, nullptr, image.pixels.data(), 0, nullptr))
        throw Failure(where + ": Unable to read PNG: " + png.message);
    for (uint32_t& p : image.pixels) {
        const uint8_t* b = reinterpret_cast<const uint8_t*>(&p);
        p = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
    }
    return image;
}

std::vector<uint8_t> EncodePng(const Image& image) {
    std::vector<uint8_t> rgba(image.pixels.size() * 4);
    for (size_t i = 0; i < image.pixels.size(); ++i) {
        uint32_t p = image.pixels[i];
        rgba[i * 4] = uint8_t(p >> 16);
        rgba[i * 4 + 1] = uint8_t(p >> 8);
        rgba[i * 4 + 2] = uint8_t(p);
        rgba[i * 4 + 3] = uint8_t(p >> 24);
    }
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = png_uint_32(image.width);
    png.height = png_uint_32(image.height);
    png.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&png, nullptr, &size, 0, rgba.data(), 0, nullptr))
        throw Failure(std::string("Unable to write PNG: ") + png.message);
    std::vector<uint8_t> out(size);
    if (!png_image_write_to_memory(&png, out.data(), &size, 0, rgba.data(), 0, nullptr))
        throw Failure(std::string("Unable to write PNG: ") + png.message);
    out.resize(size);
    return out;
}

namespace {

// The value of a channel under a bit mask, widened to 8 bits.
uint32_t Channel(uint32_t v, uint32_t mask) {
    if (!mask)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    uint32_t m = mask >> shift;
    int width = 0;
    while ((m >> width) & 1)
        ++width;
    uint32_t c = (v >> shift) & m;
    if (width >= 8)
        return (c >> (width - 8)) & 0xFF;
    // Widen by repeating the top bits, as the display does.
    uint32_t out = 0;
    int filled = 0;
    while (filled < 8) {
        out = (out << width) | c;
        filled += width;
    }
    return (out >> (filled - 8)) & 0xFF;
}

Image DecodeRows(const uint8_t* rows, size_t size, int width, int height, int bits,
                 const std::vector<uint32_t>& palette, const uint32_t masks[3],
                 const std::string& where) {
    bool topDown = height < 0;
    int h = topDown ? -height : height;
    if (width <= 0 || h <= 0 || width > 16384 || h > 16384)
        throw Failure(where + ": bad picture size");
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        throw Failure(where + ": Unable to read a picture of " + std::to_string(bits) +
                      " bits per pixel");
    size_t pitch = ((size_t(width) * size_t(bits) + 31) / 32) * 4;
    if (pitch * size_t(h) > size)
        throw Failure(where + ": the picture's pixel data is short");
    Image image = MakeImage(width, h);
    for (int y = 0; y < h; ++y) {
        const uint8_t* row = rows + pitch * size_t(topDown ? y : h - 1 - y);
        for (int x = 0; x < width; ++x) {
            uint32_t v = 0;
            switch (bits) {
            case 1:
                v = (row[x / 8] >> (7 - x % 8)) & 1;
                break;
            case 4:
                v = (row[x / 2] >> (x % 2 ? 0 : 4)) & 0xF;
                break;
            case 8:
                v = row[x];
                break;
            case 16:
                v = uint32_t(row[x * 2]) | uint32_t(row[x * 2 + 1]) << 8;
                break;
            case 24:
                v = uint32_t(row[x * 3]) | uint32_t(row[x * 3 + 1]) << 8 |
                    uint32_t(row[x * 3 + 2]) << 16;
                break;
            case 32:
                v = uint32_t(row[x * 4]) | uint32_t(row[x * 4 + 1]) << 8 |
                    uint32_t(row[x * 4 + 2]) << 16;
                break;
            }
            uint32_t rgb;
            if (bits <= 8)
                rgb = v < palette.size() ? palette[v] & 0xFFFFFF : 0;
            else if (bits == 16 || masks[0] | masks[1] | masks[2])
                rgb = Channel(v, masks[0]) << 16 | Channel(v, masks[1]) << 8 | Channel(v, masks[2]);
            else
                rgb = v & 0xFFFFFF;
            image.Set(x, y, 0xFF000000u | rgb);
        }
    }
    return image;
}

} // namespace

Image DecodeDib(const uint8_t* rows, size_t size, int width, int height, int bits,
                const std::vector<uint32_t>& palette, const std::string& where) {
    uint32_t masks[3] = {0x7C00, 0x03E0, 0x001F};
    if (bits != 16)
        masks[0] = masks[1] = masks[2] = 0;
    return DecodeRows(rows, size, width, height, bits, palette, masks, where);
}

Image DecodeBmp(const std::vector<uint8_t>& bytes, const std::string& where) {
    ByteReader in(bytes.data(), bytes.size());
    in.Skip(10);
    uint32_t offset = in.U32();
    uint32_t headerSize = in.U32();
    int32_t width = in.S32();
    int32_t height = in.S32();
    in.U16();
    uint16_t bits = in.U16();
    uint32_t compression = in.U32();
    in.Skip(12);
    uint32_t used = in.U32();
    in.U32();
    if (in.Overrun() || headerSize < 40 || headerSize > 1024)
        throw Failure(where + ": Unable to read BMP: bad header");
    if (compression != 0 && compression != 3)
        throw Failure(where + ": Unable to read a compressed BMP");
    uint32_t masks[3] = {0, 0, 0};
    if (bits == 16)
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    ByteReader table(bytes.data(), bytes.size());
    table.Skip(14 + 40);
    if (compression == 3) {
        for (uint32_t& m : masks)
            m = table.U32();
        if (headerSize > 40)
            table.Skip(headerSize - 40 - 12);
    } else
        table.Skip(headerSize - 40);
    std::vector<uint32_t> palette;
    if (bits <= 8) {
        size_t count = used && used <= 256 ? used : size_t(1) << bits;
        for (size_t i = 0; i < count; ++i)
            palette.push_back(table.U32() & 0xFFFFFF);
    }
    if (offset > bytes.size())
        throw Failure(where + ": Unable to read BMP: bad pixel offset");
    return DecodeRows(bytes.data() + offset, bytes.size() - offset, width, height, bits, palette,
                      masks, where);
}

} // namespace tiled
