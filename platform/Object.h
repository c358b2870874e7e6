// Objects the game holds by pointer (surfaces, buffers, devices) count their
// references; plug-ins built separately call them through the pointer alone.
#pragma once

#include <atomic>
#include <cstdint>

namespace platform {

class Object {
  public:
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    virtual uint32_t AddRef() { return ++refs_; }
    virtual uint32_t Release() {
        uint32_t left = --refs_;
        if (left == 0)
            delete this;
        return left;
    }

  protected:
    Object() = default;
    virtual ~Object() = default;

  private:
    std::atomic<uint32_t> refs_{1};
};

} // namespace platform
