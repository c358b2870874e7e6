// Software surfaces, the display object and the gamma control.
#include "platform/Debug.h"
#include "platform/Faults.h"
#include "platform/Platform.h"
#include "platform/Window.h"
#include "platform/display/Blit.h"
#include "platform/display/DisplayImpl.h"

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace platform::display {
namespace {

constexpr uint32_t kMaxSide = 16384;
constexpr uint64_t kMaxBytes = 512ull << 20;

bool RectInside(const Rect& r, uint32_t width, uint32_t height) {
    return r.left >= 0 && r.top >= 0 && r.left < r.right && r.top < r.bottom &&
           uint32_t(r.right) <= width && uint32_t(r.bottom) <= height;
}

bool KeyHides(const ColorKey& key, uint32_t value) {
    return value >= key.low && value <= key.high;
}

class SoftGammaControl final : public GammaControl {
  public:
    explicit SoftGammaControl(std::shared_ptr<DisplayState> state) : state_(std::move(state)) {}

    Result GetGammaRamp(uint32_t, GammaRamp* ramp) override {
        Result injected;
        if (FaultHit("GetGammaRamp", &injected))
            return injected;
        if (!ramp)
            return kInvalidParam;
        *ramp = state_->gamma;
        return kOk;
    }

    Result SetGammaRamp(uint32_t, const GammaRamp* ramp) override {
        Result injected;
        if (FaultHit("SetGammaRamp", &injected))
            return injected;
        if (!ramp)
            return kInvalidParam;
        state_->gamma = *ramp;
        state_->Present();
        return kOk;
    }

  private:
    std::shared_ptr<DisplayState> state_;
};

class SoftDisplay final : public Display {
  public:
    SoftDisplay() : state_(std::make_shared<DisplayState>()) {
        if (!IsHeadless())
            state_->presenter.reset(CreateSdlPresenter());
    }

    Result SetCooperativeLevel(Window*, uint32_t flags) override {
        Result injected;
        if (FaultHit("SetCooperativeLevel", &injected))
            return injected;
        state_->cooperation = flags;
        return kOk;
    }

    Result SetDisplayMode(uint32_t width, uint32_t height, uint32_t bits, uint32_t,
                          uint32_t) override {
        Result injected;
        if (FaultHit("SetDisplayMode", &injected))
            return injected;
        if ((bits != 16 && bits != 32) || width == 0 || height == 0 || width > kMaxSide ||
            height > kMaxSide)
            return kUnsupportedMode;
        state_->width = width;
        state_->height = height;
        state_->bits = bits;
        state_->modeSet = true;
        if (state_->presenter)
            state_->presenter->SetMode(int(width), int(height));
        DebugPrintf("Display: mode %ux%ux%u\n", width, height, bits);
        return kOk;
    }

    Result RestoreDisplayMode() override {
        state_->modeSet = false;
        return kOk;
    }

    Result GetDisplayMode(SurfaceDesc* desc) override {
        if (!desc || desc->size != sizeof(SurfaceDesc))
            return kInvalidParam;
        std::memset(desc, 0, sizeof(*desc));
        desc->size = sizeof(SurfaceDesc);
        desc->flags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PIXELFORMAT;
        desc->width = state_->width;
        desc->height = state_->height;
        Format f = SurfaceFormat(int(state_->bits));
        desc->pixelFormat = {
            sizeof(PixelFormat), DDPF_RGB, 0, state_->bits, f.r.mask, f.g.mask, f.b.mask, 0};
        return kOk;
    }

    Result CreateSurface(SurfaceDesc* desc, Surface** out, void*) override {
        if (out)
            *out = nullptr;
        Result injected;
        if (FaultHit("CreateSurface", &injected))
            return injected;
        if (!desc || !out || desc->size != sizeof(SurfaceDesc) || !(desc->flags & DDSD_CAPS))
            return kInvalidParam;
        uint32_t caps = desc->caps;
        if (caps & DDSCAPS_PRIMARYSURFACE) {
            if (state_->primary)
                return kAllocated;
            uint32_t backs = 0;
            if (caps & DDSCAPS_FLIP) {
                if (!(desc->flags & DDSD_BACKBUFFERCOUNT) || desc->backBufferCount < 1 ||
                    desc->backBufferCount > 3)
                    return kInvalidParam;
                backs = desc->backBufferCount;
            }
            auto* primary =
                new SoftSurface(state_, state_->width, state_->height, int(state_->bits),
                                (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) | DDSCAPS_PRIMARYSURFACE |
                                    DDSCAPS_FRONTBUFFER | DDSCAPS_VIDEOMEMORY,
                                nullptr);
            primary->AttachBackBuffers(backs);
            state_->primary = primary;
            *out = primary;
            return kOk;
        }
        if ((desc->flags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT) ||
            desc->width == 0 || desc->height == 0 || desc->width > kMaxSide ||
            desc->height > kMaxSide)
            return kInvalidParam;
        int bits = int(state_->bits);
        if (desc->flags & DDSD_PIXELFORMAT) {
            const PixelFormat& pf = desc->pixelFormat;
            Format want = SurfaceFormat(int(pf.rgbBitCount));
            if ((pf.rgbBitCount != 16 && pf.rgbBitCount != 32) ||
                (pf.rBitMask && (pf.rBitMask != want.r.mask || pf.gBitMask != want.g.mask ||
                                 pf.bBitMask != want.b.mask)))
                return kUnsupported;
            bits = int(pf.rgbBitCount);
        }
        if (uint64_t(desc->width) * desc->height * (bits / 8) > kMaxBytes)
            return kOutOfMemory;
        uint32_t memory =
            (caps & DDSCAPS_SYSTEMMEMORY) ? DDSCAPS_SYSTEMMEMORY : DDSCAPS_VIDEOMEMORY;
        auto* surface = new SoftSurface(state_, desc->width, desc->height, bits,
                                        DDSCAPS_OFFSCREENPLAIN | memory, nullptr);
        if (desc->flags & DDSD_CKSRCBLT)
            surface->SetColorKey(DDCKEY_SRCBLT, &desc->srcColorKey);
        *out = surface;
        return kOk;
    }

  private:
    std::shared_ptr<DisplayState> state_;
};

} // namespace

DisplayState::DisplayState() {
    for (int i = 0; i < 256; ++i)
        gamma.red[i] = gamma.green[i] = gamma.blue[i] = uint16_t(i * 257);
}

void DisplayState::Present() {
    if (!presenter || !primary)
        return;
    presenter->Present(primary->PixelView(), gamma);
}

SoftSurface::SoftSurface(std::shared_ptr<DisplayState> state, uint32_t width, uint32_t height,
                         int bits, uint32_t caps, SoftSurface* root)
    : state_(std::move(state)), width_(width), height_(height), bits_(bits),
      pitch_(width * uint32_t(bits / 8)), caps_(caps), root_(root) {
    pixels_.assign(size_t(pitch_) * height_, 0);
}

SoftSurface::~SoftSurface() {
    if (state_->primary == this)
        state_->primary = nullptr;
    if (dc_)
        EndSurfaceDC(dc_);
}

// Back buffers belong to their chain: counting them would let a release of
// the back surface free memory the primary still flips.
uint32_t SoftSurface::AddRef() {
    return root_ ? 1 : Surface::AddRef();
}
uint32_t SoftSurface::Release() {
    return root_ ? 1 : Surface::Release();
}

void SoftSurface::AttachBackBuffers(uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t caps = DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_VIDEOMEMORY |
                        (i == 0 ? DDSCAPS_BACKBUFFER : 0);
        back_.emplace_back(new SoftSurface(state_, width_, height_, bits_, caps, this));
    }
}

View SoftSurface::PixelView() {
    View v;
    v.top = pixels_.data();
    v.step = ptrdiff_t(pitch_);
    v.width = int(width_);
    v.height = int(height_);
    v.format = SurfaceFormat(bits_);
    return v;
}

bool SoftSurface::IsVisible() const {
    return state_->primary == this;
}

void SoftSurface::ShowIfVisible() {
    if (IsVisible())
        state_->Present();
}

// A fault injected into `operation`: "still drawing" is waited out when the
// caller asked to wait, and "surface lost" really loses the surface.
bool SoftSurface::Injected(const char* operation, bool wait, SoftSurface* loses, Result* result) {
    Result injected;
    if (!FaultHit(operation, &injected))
        return false;
    if (injected == kWasStillDrawing && wait)
        return false;
    if (injected == kSurfaceLost && loses)
        loses->lost_ = true;
    *result = injected;
    return true;
}

Result SoftSurface::GetSurfaceDesc(SurfaceDesc* desc) {
    Result injected;
    if (FaultHit("GetSurfaceDesc", &injected))
        return injected;
    if (!desc || desc->size != sizeof(SurfaceDesc))
        return kInvalidParam;
    std::memset(desc, 0, sizeof(*desc));
    desc->size = sizeof(SurfaceDesc);
    desc->flags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->width = width_;
    desc->height = height_;
    desc->pitch = int32_t(pitch_);
    desc->caps = caps_;
    if (!back_.empty()) {
        desc->flags |= DDSD_BACKBUFFERCOUNT;
        desc->backBufferCount = uint32_t(back_.size());
    }
    if (hasKey_) {
        desc->flags |= DDSD_CKSRCBLT;
        desc->srcColorKey = key_;
    }
    Format f = SurfaceFormat(bits_);
    desc->pixelFormat = {
        sizeof(PixelFormat), DDPF_RGB, 0, uint32_t(bits_), f.r.mask, f.g.mask, f.b.mask, 0};
    return kOk;
}

// The pixels of src's rectangle s and of this surface's at (x, y); both
// rectangles were checked against their surfaces.
Block SoftSurface::BlockFrom(int32_t x, int32_t y, SoftSurface* src, const Rect& s) {
    size_t bytes = size_t(bits_ / 8);
    return {pixels_.data() + size_t(y) * pitch_ + size_t(x) * bytes,
            ptrdiff_t(pitch_),
            src->pixels_.data() + size_t(s.top) * src->pitch_ + size_t(s.left) * bytes,
            ptrdiff_t(src->pitch_),
            s.right - s.left,
            s.bottom - s.top,
            int(bytes)};
}

Result SoftSurface::BltFast(int32_t x, int32_t y, Surface* source, const Rect* srcRect,
                            uint32_t flags) {
    auto* src = static_cast<SoftSurface*>(source);
    Result result;
    if (Injected("BltFast", flags & DDBLTFAST_WAIT, src ? src : this, &result))
        return result;
    if (!src)
        return kInvalidParam;
    if (lost_ || src->lost_)
        return kSurfaceLost;
    if (src->bits_ != bits_)
        return kInvalidParam;
    Rect s = srcRect ? *srcRect : Rect{0, 0, int32_t(src->width_), int32_t(src->height_)};
    if (!RectInside(s, src->width_, src->height_))
        return kInvalidParam;
    Rect d{x, y, x + (s.right - s.left), y + (s.bottom - s.top)};
    if (!RectInside(d, width_, height_))
        return kInvalidParam;
    bool keyed = flags & DDBLTFAST_SRCCOLORKEY;
    if (keyed && !src->hasKey_)
        return kInvalidParam;

    if (keyed)
        CopyBlockKeyed(BlockFrom(d.left, d.top, src, s), src->key_.low, src->key_.high);
    else
        CopyBlock(BlockFrom(d.left, d.top, src, s));
    ShowIfVisible();
    return kOk;
}

Result SoftSurface::Blt(const Rect* destRect, Surface* source, const Rect* srcRect, uint32_t flags,
                        const BltFx* fx) {
    auto* src = static_cast<SoftSurface*>(source);
    Result result;
    if (Injected("Blt", flags & DDBLT_WAIT, src ? src : this, &result))
        return result;
    if (lost_ || (src && src->lost_))
        return kSurfaceLost;
    Rect d = destRect ? *destRect : Rect{0, 0, int32_t(width_), int32_t(height_)};
    if (!RectInside(d, width_, height_))
        return kInvalidParam;
    View dv = PixelView();
    if (flags & DDBLT_COLORFILL) {
        if (!fx)
            return kInvalidParam;
        for (int y = d.top; y < d.bottom; ++y)
            for (int x = d.left; x < d.right; ++x)
                PutRaw(dv, x, y, fx->fillColor);
        ShowIfVisible();
        return kOk;
    }
    if (!src || src->bits_ != bits_)
        return kInvalidParam;
    Rect s = srcRect ? *srcRect : Rect{0, 0, int32_t(src->width_), int32_t(src->height_)};
    if (!RectInside(s, src->width_, src->height_))
        return kInvalidParam;
    bool keyed = flags & DDBLT_KEYSRC;
    if (keyed && !src->hasKey_)
        return kInvalidParam;
    int dw = d.right - d.left, dh = d.bottom - d.top;
    int sw = s.right - s.left, sh = s.bottom - s.top;
    if (dw == sw && dh == sh) {
        if (keyed)
            CopyBlockKeyed(BlockFrom(d.left, d.top, src, s), src->key_.low, src->key_.high);
        else
            CopyBlock(BlockFrom(d.left, d.top, src, s));
        ShowIfVisible();
        return kOk;
    }
    View sv = src->PixelView();
    PixelBuffer scratch;
    if (src == this) {
        scratch = pixels_;
        sv.top = scratch.data();
    }
    if (!keyed) {
        StretchConvert(dv, d.left, d.top, dw, dh, sv, s.left, s.top, sw, sh);
    } else {
        for (int y = 0; y < dh; ++y) {
            int fy = s.top + int(int64_t(y) * sh / dh);
            for (int x = 0; x < dw; ++x) {
                uint32_t p = RawPixel(sv, s.left + int(int64_t(x) * sw / dw), fy);
                if (!KeyHides(src->key_, p))
                    PutRaw(dv, d.left + x, d.top + y, p);
            }
        }
    }
    ShowIfVisible();
    return kOk;
}

namespace {
// With VRASK_TRACE_FLIPS=1 every flip writes the real time it was shown to
// the debug log, so frame intervals can be measured from outside.
void TraceFlip() {
    static const bool trace = [] {
        const char* v = std::getenv("VRASK_TRACE_FLIPS");
        return v && std::strcmp(v, "1") == 0;
    }();
    if (!trace)
        return;
    using namespace std::chrono;
    static const auto start = steady_clock::now();
    DebugPrintf(
        "Flip %lld us\n",
        static_cast<long long>(duration_cast<microseconds>(steady_clock::now() - start).count()));
}
} // namespace

Result SoftSurface::Flip(Surface*, uint32_t flags) {
    Result result;
    if (Injected("Flip", flags & DDFLIP_WAIT, this, &result))
        return result;
    if (back_.empty())
        return kUnsupported;
    if (lost_)
        return kSurfaceLost;
    // The front takes the first back buffer's memory; each back buffer the
    // next one's; the last one the old front's.
    pixels_.swap(back_[0]->pixels_);
    for (size_t i = 0; i + 1 < back_.size(); ++i)
        back_[i]->pixels_.swap(back_[i + 1]->pixels_);
    ShowIfVisible();
    PumpEvents();
    TraceFlip();
    return kOk;
}

Result SoftSurface::Restore() {
    Result injected;
    if (FaultHit("Restore", &injected))
        return injected;
    SoftSurface* owner = root_ ? root_ : this;
    auto revive = [](SoftSurface* s) {
        if (s->lost_) {
            std::fill(s->pixels_.begin(), s->pixels_.end(), 0);
            s->lost_ = false;
        }
    };
    revive(owner);
    for (auto& b : owner->back_)
        revive(b.get());
    return kOk;
}

Result SoftSurface::IsLost() {
    return lost_ ? kSurfaceLost : kOk;
}

Result SoftSurface::GetAttachedSurface(uint32_t caps, Surface** out) {
    if (out)
        *out = nullptr;
    Result injected;
    if (FaultHit("GetAttachedSurface", &injected))
        return injected;
    if (!out)
        return kInvalidParam;
    if (!root_ && (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_FLIP)) && !back_.empty()) {
        *out = back_[0].get();
        return kOk;
    }
    if (root_ && (caps & DDSCAPS_FLIP)) {
        auto& chain = root_->back_;
        for (size_t i = 0; i + 1 < chain.size(); ++i)
            if (chain[i].get() == this) {
                *out = chain[i + 1].get();
                return kOk;
            }
    }
    return kNotFound;
}

Result SoftSurface::SetColorKey(uint32_t flags, const ColorKey* key) {
    Result injected;
    if (FaultHit("SetColorKey", &injected))
        return injected;
    if (!(flags & DDCKEY_SRCBLT))
        return kUnsupported;
    hasKey_ = key != nullptr;
    if (key)
        key_ = *key;
    return kOk;
}

Result SoftSurface::GetColorKey(uint32_t flags, ColorKey* key) {
    if (!(flags & DDCKEY_SRCBLT) || !key)
        return kInvalidParam;
    if (!hasKey_)
        return kNotFound;
    *key = key_;
    return kOk;
}

Result SoftSurface::Lock(const Rect* rect, SurfaceDesc* desc, uint32_t flags, void*) {
    Result result;
    if (Injected("Lock", flags & DDLOCK_WAIT, this, &result))
        return result;
    if (lost_)
        return kSurfaceLost;
    if (!desc || desc->size != sizeof(SurfaceDesc))
        return kInvalidParam;
    Rect r = rect ? *rect : Rect{0, 0, int32_t(width_), int32_t(height_)};
    if (!RectInside(r, width_, height_))
        return kInvalidParam;
    GetSurfaceDesc(desc);
    desc->flags |= DDSD_LPSURFACE;
    desc->surface = pixels_.data() + size_t(r.top) * pitch_ + size_t(r.left) * (bits_ / 8);
    ++locks_;
    return kOk;
}

Result SoftSurface::Unlock(const Rect*) {
    if (locks_ == 0)
        return kInvalidParam;
    --locks_;
    ShowIfVisible();
    return kOk;
}

Result SoftSurface::GetDC(DeviceContext** dc) {
    if (dc)
        *dc = nullptr;
    Result result;
    if (Injected("GetDC", false, this, &result))
        return result;
    if (!dc)
        return kInvalidParam;
    if (lost_)
        return kSurfaceLost;
    if (dc_)
        return kFail; // one context at a time
    dc_ = NewSurfaceDC(this);
    *dc = dc_;
    return kOk;
}

Result SoftSurface::ReleaseDC(DeviceContext* dc) {
    if (!dc || dc != dc_)
        return kInvalidParam;
    EndSurfaceDC(dc_);
    dc_ = nullptr;
    ShowIfVisible();
    return kOk;
}

Result SoftSurface::GetGammaControl(GammaControl** out) {
    if (out)
        *out = nullptr;
    Result injected;
    if (FaultHit("GetGammaControl", &injected))
        return injected;
    if (!out)
        return kInvalidParam;
    if (!(caps_ & DDSCAPS_PRIMARYSURFACE))
        return kUnsupported;
    *out = new SoftGammaControl(state_);
    return kOk;
}

} // namespace platform::display

namespace platform {

Result CreateDisplay(Display** out) {
    if (out)
        *out = nullptr;
    Result injected;
    if (FaultHit("CreateDisplay", &injected))
        return injected;
    if (!out)
        return kInvalidParam;
    *out = new display::SoftDisplay;
    return kOk;
}

} // namespace platform
