// The collision mask picture of a layer, loaded as a level loads it and
// then read over its whole extent, as the brains test pixels.
#include "engine/Globals.h"
#include "engine/Layers.h"
#include "fuzz/FuzzSupport.h"

#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::EnterGameFolder("mask");
    // The first byte picks the tile size, the rest is the picture.
    if (size < 1)
        return 0;
    fuzz::WriteFile("data/m1.msk", data + 1, size - 1);
    Layer layer{};
    std::strcpy(layer.name, "m");
    layer.tileWidth = layer.tileHeight = data[0] & 1 ? 16 : 32;
    gErrorInfo = ErrorInfo{};
    if (LoadMasks(&layer) == 1 && BuildMaskArray(&layer) == 1) {
        // Every byte the layer says it holds must be readable.
        volatile uint8_t sum = 0;
        for (uint32_t i = 0; i < layer.maskBytes; ++i)
            sum = uint8_t(sum + layer.maskBitmap.ptr[i]);
        (void)sum;
    }
    std::free(layer.maskBitmap.block);
    std::free(layer.maskBits.block);
    gErrorInfo = ErrorInfo{};
    return 0;
}
