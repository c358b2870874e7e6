#include "tools/tiled/Palette.h"

#include <algorithm>

namespace tiled {

Image CollisionPalette() {
    static const uint32_t kColours[15] = {0x5A5A5A, 0xAA6E28, 0x285AD2, 0x28BED2, 0xD2D2D2,
                                          0x28AA3C, 0x82DC5A, 0x783CA0, 0xC8A028, 0x646428,
                                          0xE63CC8, 0x3C3C8C, 0x8C3C3C, 0x3C8C8C, 0xB4B45A};
    Image image = MakeImage(256, 64);
    for (int hazard = 0; hazard < 4; ++hazard)
        for (int cls = 0; cls < 16; ++cls)
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x) {
                    int edge = std::min({x, y, 15 - x, 15 - y});
                    uint32_t v = cls < 15 ? 0xFF000000u | kColours[cls] : 0;
                    if (hazard && edge < 2 * hazard && (x + y) % 2 == 0)
                        v = 0xFFFF0000u;
                    image.Set(cls * 16 + x, hazard * 16 + y, v);
                }
    return image;
}

} // namespace tiled
