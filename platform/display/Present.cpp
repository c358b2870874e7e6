#include "platform/display/Presenter.h"

#include <algorithm>

namespace platform::display {

Viewport FitViewport(int windowWidth, int windowHeight, int width, int height) {
    if (windowWidth <= 0 || windowHeight <= 0 || width <= 0 || height <= 0)
        return {0, 0, 0, 0};
    int scale = std::min(windowWidth / width, windowHeight / height);
    int w, h;
    if (scale >= 1) {
        w = width * scale;
        h = height * scale;
    } else if (int64_t(windowWidth) * height <= int64_t(windowHeight) * width) {
        w = windowWidth;
        h = std::max(1, int(int64_t(height) * windowWidth / width));
    } else {
        h = windowHeight;
        w = std::max(1, int(int64_t(width) * windowHeight / height));
    }
    return {(windowWidth - w) / 2, (windowHeight - h) / 2, w, h};
}

void ConvertForPresent(const View& src, const GammaRamp& ramp, uint32_t* out) {
    for (int y = 0; y < src.height; ++y) {
        for (int x = 0; x < src.width; ++x) {
            uint32_t rgb = ReadRgb(src, x, y);
            uint32_t r = ramp.red[(rgb >> 16) & 0xFF] >> 8;
            uint32_t g = ramp.green[(rgb >> 8) & 0xFF] >> 8;
            uint32_t b = ramp.blue[rgb & 0xFF] >> 8;
            *out++ = (r << 16) | (g << 8) | b;
        }
    }
}

} // namespace platform::display
