#include "demo/art/Canvas.h"

#include "demo/Glyphs.h"
#include "tools/Pictures.h"

#include <algorithm>
#include <cmath>

namespace demo {

void Canvas::Rect(int x, int y, int w, int h, uint32_t rgb) {
    for (int j = y; j < y + h; ++j)
        for (int i = x; i < x + w; ++i)
            Set(i, j, rgb);
}

void Canvas::Frame(int x, int y, int w, int h, uint32_t rgb) {
    Rect(x, y, w, 1, rgb);
    Rect(x, y + h - 1, w, 1, rgb);
    Rect(x, y, 1, h, rgb);
    Rect(x + w - 1, y, 1, h, rgb);
}

void Canvas::Disc(double cx, double cy, double r, uint32_t rgb) {
    Ellipse(cx, cy, r, r, rgb);
}

void Canvas::Ellipse(double cx, double cy, double rx, double ry, uint32_t rgb) {
    for (int y = int(std::floor(cy - ry)); y <= int(std::ceil(cy + ry)); ++y)
        for (int x = int(std::floor(cx - rx)); x <= int(std::ceil(cx + rx)); ++x) {
            double dx = (x + 0.5 - cx) / rx, dy = (y + 0.5 - cy) / ry;
            if (dx * dx + dy * dy <= 1.0)
                Set(x, y, rgb);
        }
}

void Canvas::Line(double x0, double y0, double x1, double y1, double thickness, uint32_t rgb) {
    double r = thickness / 2;
    int left = int(std::floor(std::min(x0, x1) - r)), right = int(std::ceil(std::max(x0, x1) + r));
    int top = int(std::floor(std::min(y0, y1) - r)), bottom = int(std::ceil(std::max(y0, y1) + r));
    double dx = x1 - x0, dy = y1 - y0, length2 = dx * dx + dy * dy;
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            double px = x + 0.5 - x0, py = y + 0.5 - y0;
            double t = length2 > 0 ? std::clamp((px * dx + py * dy) / length2, 0.0, 1.0) : 0;
            double ex = px - t * dx, ey = py - t * dy;
            if (ex * ex + ey * ey <= r * r)
                Set(x, y, rgb);
        }
}

void Canvas::Triangle(double x0, double y0, double x1, double y1, double x2, double y2,
                      uint32_t rgb) {
    int left = int(std::floor(std::min({x0, x1, x2}))),
        right = int(std::ceil(std::max({x0, x1, x2})));
    int top = int(std::floor(std::min({y0, y1, y2}))),
        bottom = int(std::ceil(std::max({y0, y1, y2})));
    auto edge = [](double ax, double ay, double bx, double by, double px, double py) {
        return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
    };
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) {
            double px = x + 0.5, py = y + 0.5;
            double a = edge(x0, y0, x1, y1, px, py), b = edge(x1, y1, x2, y2, px, py),
                   c = edge(x2, y2, x0, y0, px, py);
            if ((a >= 0 && b >= 0 && c >= 0) || (a <= 0 && b <= 0 && c <= 0))
                Set(x, y, rgb);
        }
}

void Canvas::Text(int x, int y, const std::string& text, int scale, uint32_t rgb) {
    for (size_t i = 0; i < text.size(); ++i) {
        int glyph = GlyphIndex(text[i]);
        int gx = x + int(i) * 6 * scale;
        for (int py = 0; py < 7 * scale; ++py)
            for (int px = 0; px < 5 * scale; ++px)
                if (GlyphPixel(glyph, px, py, scale))
                    Set(gx + px, y + py, rgb);
        // The few signs the captions use, drawn by hand.
        char c = text[i];
        int s = scale;
        if (c == '.' || c == '!' || c == ':' || c == ',')
            Rect(gx + 2 * s, y + 6 * s, s, s, rgb);
        if (c == '!')
            Rect(gx + 2 * s, y, s, 4 * s, rgb);
        if (c == ':')
            Rect(gx + 2 * s, y + 2 * s, s, s, rgb);
        if (c == ',')
            Rect(gx + s, y + 7 * s, s, s, rgb);
        if (c == '-')
            Rect(gx + s, y + 3 * s, 3 * s, s, rgb);
        if (c == '\'')
            Rect(gx + 2 * s, y, s, 2 * s, rgb);
    }
}

void Canvas::Paste(const Canvas& src, int x, int y) {
    for (int j = 0; j < src.height; ++j)
        for (int i = 0; i < src.width; ++i)
            if (uint32_t p = src.At(i, j))
                Set(x + i, y + j, p);
}

Canvas Canvas::Mirrored() const {
    Canvas out(width, height);
    for (int j = 0; j < height; ++j)
        for (int i = 0; i < width; ++i)
            out.Set(width - 1 - i, j, At(i, j));
    return out;
}

uint32_t Mix(uint32_t a, uint32_t b, double t) {
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        double ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= uint32_t(std::clamp(ca + (cb - ca) * t, 0.0, 255.0)) << shift;
    }
    return out;
}

uint32_t Scale(uint32_t rgb, double f) {
    return Mix(0, rgb, f);
}

std::vector<uint8_t> ToBmp(const Canvas& canvas) {
    gamedata::BmpFileDesc bmp{.width = canvas.width, .height = canvas.height, .bitCount = 24};
    bmp.pixels = gamedata::DibRows(canvas.width, canvas.height, 24,
                                   [&](int x, int y) { return canvas.At(x, y); });
    return gamedata::BuildBmpFile(bmp);
}

} // namespace demo
