// Draws the game's desktop icon at the sizes the desktop asks for, as PNG
// files: a rounded tile with the demo's evening sky, rolling hills and a
// rising sun. Written without an image library: PNG with stored (not
// compressed) deflate blocks is small enough at these sizes.
//   vrask-icons <folder> <size>...   writes <folder>/<size>.png
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Rgba {
    double r, g, b, a;
};

Rgba Mix(Rgba x, Rgba y, double t) {
    return {x.r + (y.r - x.r) * t, x.g + (y.g - x.g) * t, x.b + (y.b - x.b) * t,
            x.a + (y.a - x.a) * t};
}

// The picture at (u, v) in 0..1, v downwards.
Rgba Art(double u, double v) {
    // Rounded-square tile with a small margin.
    const double margin = 0.04, radius = 0.18;
    double dx = std::fmax(std::fabs(u - 0.5) - (0.5 - margin - radius), 0.0);
    double dy = std::fmax(std::fabs(v - 0.5) - (0.5 - margin - radius), 0.0);
    if (std::hypot(dx, dy) > radius)
        return {0, 0, 0, 0};
    Rgba sky = Mix({0.16, 0.10, 0.38, 1}, {0.98, 0.56, 0.30, 1}, v);
    // The sun sits on the far hills.
    double sun = std::hypot(u - 0.64, v - 0.52);
    if (sun < 0.17)
        sky = Mix({1.0, 0.93, 0.55, 1}, sky, sun / 0.17 * sun / 0.17 * 0.6);
    double far = 0.60 + 0.05 * std::sin(u * 9.0 + 1.0);
    double near = 0.72 + 0.07 * std::sin(u * 6.0 + 3.5) + 0.02 * std::sin(u * 23.0);
    if (v > near)
        return Mix({0.20, 0.48, 0.18, 1}, {0.08, 0.24, 0.10, 1}, (v - near) * 3);
    if (v > far)
        return {0.30, 0.36, 0.45, 1};
    return sky;
}

uint32_t Crc(const uint8_t* data, size_t size, uint32_t crc = 0) {
    static uint32_t table[256];
    if (!table[1])
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
    crc = ~crc;
    for (size_t i = 0; i < size; ++i)
        crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void Be32(std::vector<uint8_t>* out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8)
        out->push_back(uint8_t(v >> shift));
}

void Chunk(std::vector<uint8_t>* out, const char* type, const std::vector<uint8_t>& body) {
    Be32(out, uint32_t(body.size()));
    std::vector<uint8_t> typed(type, type + 4);
    typed.insert(typed.end(), body.begin(), body.end());
    out->insert(out->end(), typed.begin(), typed.end());
    Be32(out, Crc(typed.data(), typed.size()));
}

std::vector<uint8_t> Png(int size) {
    // Each row: filter byte 0, then RGBA; every pixel averages 4 x 4 samples.
    std::vector<uint8_t> raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);
        for (int x = 0; x < size; ++x) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < 4; ++sy)
                for (int sx = 0; sx < 4; ++sx) {
                    Rgba c = Art((x + (sx + 0.5) / 4) / size, (y + (sy + 0.5) / 4) / size);
                    sum = {sum.r + c.r * c.a, sum.g + c.g * c.a, sum.b + c.b * c.a, sum.a + c.a};
                }
            double a = sum.a / 16;
            auto channel = [&](double premultiplied) {
                return uint8_t(a > 0 ? std::lround(premultiplied / sum.a * 255) : 0);
            };
            raw.push_back(channel(sum.r));
            raw.push_back(channel(sum.g));
            raw.push_back(channel(sum.b));
            raw.push_back(uint8_t(std::lround(a * 255)));
        }
    }
    // A zlib stream of stored blocks.
    std::vector<uint8_t> z = {0x78, 0x01};
    for (size_t at = 0; at < raw.size() || at == 0;) {
        size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        z.push_back(at + n == raw.size() ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), raw.begin() + long(at), raw.begin() + long(at + n));
        at += n;
    }
    uint32_t s1 = 1, s2 = 0;
    for (uint8_t b : raw) {
        s1 = (s1 + b) % 65521;
        s2 = (s2 + s1) % 65521;
    }
    Be32(&z, s2 << 16 | s1);

    std::vector<uint8_t> out = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::vector<uint8_t> header;
    Be32(&header, uint32_t(size));
    Be32(&header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
    Chunk(&out, "IHDR", header);
    Chunk(&out, "IDAT", z);
    Chunk(&out, "IEND", {});
    return out;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: vrask-icons <folder> <size>...\n");
        return 2;
    }
    for (int i = 2; i < argc; ++i) {
        int size = std::atoi(argv[i]);
        if (size < 16 || size > 1024) {
            std::fprintf(stderr, "vrask-icons: bad size %s\n", argv[i]);
            return 2;
        }
        std::string path = std::string(argv[1]) + "/" + argv[i] + ".png";
        std::vector<uint8_t> png = Png(size);
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(png.data(), 1, png.size(), f) != png.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "vrask-icons: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
