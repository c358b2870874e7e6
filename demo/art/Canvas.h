// A plain 0xRRGGBB picture with the few drawing operations the demo's art
// is made of. Black (0) is the see-through colour of tiles and sprites, so
// drawing code uses Solid() for dark colours that must show.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace demo {

struct Canvas {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;

    Canvas(int w, int h, uint32_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill) {}

    uint32_t At(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void Set(int x, int y, uint32_t rgb) {
        if (x >= 0 && y >= 0 && x < width && y < height)
            pixels[size_t(y) * width + x] = rgb;
    }
    void Rect(int x, int y, int w, int h, uint32_t rgb);
    void Frame(int x, int y, int w, int h, uint32_t rgb); // outline only
    void Disc(double cx, double cy, double r, uint32_t rgb);
    void Ellipse(double cx, double cy, double rx, double ry, uint32_t rgb);
    // A thick line with round ends.
    void Line(double x0, double y0, double x1, double y1, double thickness, uint32_t rgb);
    void Triangle(double x0, double y0, double x1, double y1, double x2, double y2, uint32_t rgb);
    // Text in the demo font; a glyph pixel is `scale` x `scale`.
    void Text(int x, int y, const std::string& text, int scale, uint32_t rgb);
    static int TextWidth(const std::string& text, int scale) {
        return int(text.size()) * 6 * scale;
    }
    // Copies `src` with its black left out.
    void Paste(const Canvas& src, int x, int y);
    // The same picture mirrored left to right.
    Canvas Mirrored() const;
};

// Never black, so that a dark colour is not taken for the see-through one.
inline uint32_t Solid(uint32_t rgb) {
    return rgb ? rgb : 0x010101;
}
uint32_t Mix(uint32_t a, uint32_t b, double t); // t = 0: a, 1: b
uint32_t Scale(uint32_t rgb, double f);

// 24-bit BMP bytes of the canvas.
std::vector<uint8_t> ToBmp(const Canvas& canvas);

} // namespace demo
