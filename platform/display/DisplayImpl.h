// Inside the display: the software surfaces, the state they share with the
// display object, device contexts and bitmaps.
#pragma once

#include "platform/Display.h"
#include "platform/Gdi.h"
#include "platform/display/Blit.h"
#include "platform/display/Pixels.h"
#include "platform/display/Presenter.h"

#include <cstddef>
#include <memory>
#include <new>
#include <vector>

namespace platform::display {

// Pixel rows start on a cache line: the blitters' 16- and 32-byte moves of
// whole tile and frame rows then never straddle one in the source.
template <typename T> struct LineAligned {
    using value_type = T;
    static constexpr std::align_val_t kAlign{64};
    LineAligned() = default;
    template <typename U> LineAligned(const LineAligned<U>&) {}
    T* allocate(size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), kAlign)); }
    void deallocate(T* p, size_t) { ::operator delete(p, kAlign); }
    template <typename U> bool operator==(const LineAligned<U>&) const { return true; }
};
using PixelBuffer = std::vector<uint8_t, LineAligned<uint8_t>>;

class SoftSurface;

// Shared by the display object and every surface it made, so surfaces that
// outlive the display (released later by their owners) stay safe.
struct DisplayState {
    uint32_t width = 640, height = 480, bits = 16;
    bool modeSet = false;
    uint32_t cooperation = 0;
    GammaRamp gamma{};
    std::unique_ptr<Presenter> presenter; // null on the headless backend
    SoftSurface* primary = nullptr;       // the visible surface, when one exists

    DisplayState();
    // Shows the primary's visible buffer through the gamma ramp.
    void Present();
};

class BitmapImpl;

class SoftSurface final : public Surface {
  public:
    SoftSurface(std::shared_ptr<DisplayState> state, uint32_t width, uint32_t height, int bits,
                uint32_t caps, SoftSurface* root);
    ~SoftSurface() override;

    uint32_t AddRef() override;
    uint32_t Release() override;

    Result GetSurfaceDesc(SurfaceDesc* desc) override;
    Result BltFast(int32_t x, int32_t y, Surface* src, const Rect* srcRect,
                   uint32_t flags) override;
    Result Blt(const Rect* destRect, Surface* src, const Rect* srcRect, uint32_t flags,
               const BltFx* fx) override;
    Result Flip(Surface* target, uint32_t flags) override;
    Result Restore() override;
    Result IsLost() override;
    Result GetAttachedSurface(uint32_t caps, Surface** out) override;
    Result SetColorKey(uint32_t flags, const ColorKey* key) override;
    Result GetColorKey(uint32_t flags, ColorKey* key) override;
    Result Lock(const Rect* rect, SurfaceDesc* desc, uint32_t flags, void* event) override;
    Result Unlock(const Rect* rect) override;
    Result GetDC(DeviceContext** dc) override;
    Result ReleaseDC(DeviceContext* dc) override;
    Result GetGammaControl(GammaControl** out) override;

    View PixelView();
    bool IsVisible() const;
    // Builds the back buffers of a flip chain.
    void AttachBackBuffers(uint32_t count);
    const std::shared_ptr<DisplayState>& State() const { return state_; }

  private:
    bool Injected(const char* operation, bool wait, SoftSurface* loses, Result* result);
    Block BlockFrom(int32_t x, int32_t y, SoftSurface* src, const Rect& s);
    void ShowIfVisible();

    std::shared_ptr<DisplayState> state_;
    uint32_t width_, height_;
    int bits_;
    uint32_t pitch_;
    uint32_t caps_;
    PixelBuffer pixels_;
    bool lost_ = false;
    bool hasKey_ = false;
    ColorKey key_{};
    int locks_ = 0;
    DeviceContext* dc_ = nullptr;
    SoftSurface* root_;                              // the primary of a chain; null otherwise
    std::vector<std::unique_ptr<SoftSurface>> back_; // on a primary: its back buffers
};

class BitmapImpl final : public Bitmap {
  public:
    int width = 0, height = 0; // height > 0
    bool topDown = false;
    int bits = 0;
    uint32_t compression = BI_RGB;
    uint32_t masks[3] = {};
    RgbQuad palette[256] = {};
    int paletteSize = 0;
    uint32_t pitch = 0;
    std::vector<uint8_t> pixels;
    DeviceContext* selectedIn = nullptr;

    View PixelView();
};

// Makes a zero-filled bitmap; null when the header is not one we draw.
BitmapImpl* MakeBitmap(const BitmapInfo* info, const char** why);

} // namespace platform::display

namespace platform {

class DeviceContext {
  public:
    display::SoftSurface* surface = nullptr; // a surface's context
    display::BitmapImpl* selected = nullptr; // a memory context's bitmap
    display::BitmapImpl* stock = nullptr;
    uint32_t textColour = 0x000000;
    uint32_t backColour = 0xFFFFFF;
    int backMode = OPAQUE;

    bool PixelView(display::View* out);
};

// Surface contexts are made and ended by their surfaces.
DeviceContext* NewSurfaceDC(display::SoftSurface* surface);
void EndSurfaceDC(DeviceContext* dc);

} // namespace platform
