// No window and no screen: boxes are answered by their default button, the
// window always has the focus.
#include "platform/core/Backend.h"

namespace platform {
namespace {

class HeadlessBackend final : public BackendImpl {
  public:
    const char* Name() const override { return "headless"; }
    int ShowMessageBox(const char*, const char*, uint32_t) override { return 0; }
    bool OpenWindow(const char*, int, int) override { return true; }
    void CloseWindow() override {}
    bool Pump() override { return false; }
    void SetCursorVisible(bool) override {}
    void WarpCursor(int, int) override {}
    void ScreenSize(int* width, int* height) override {
        *width = 640;
        *height = 480;
    }
    bool HasFocus() override { return true; }
};

} // namespace

BackendImpl* CreateHeadlessBackend() {
    return new HeadlessBackend;
}

} // namespace platform
