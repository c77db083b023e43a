// Ownership of one registry node reference, released at scope end.
#pragma once

#include <keelward/platform/IOKit/IOKitLib.h>

#include <utility>

namespace keelward {

class IOObjectOwner {
public:
    explicit IOObjectOwner(io_object_t object = IO_OBJECT_NULL) noexcept : object_(object) {}
    IOObjectOwner(IOObjectOwner&& other) noexcept : object_(std::exchange(other.object_, IO_OBJECT_NULL)) {}
    IOObjectOwner& operator=(IOObjectOwner&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, IO_OBJECT_NULL);
        }
        return *this;
    }
    IOObjectOwner(const IOObjectOwner&) = delete;
    IOObjectOwner& operator=(const IOObjectOwner&) = delete;
    ~IOObjectOwner() { reset(); }

    io_object_t get() const noexcept { return object_; }
    explicit operator bool() const noexcept { return object_ != IO_OBJECT_NULL; }
    void reset() noexcept {
        if (object_ != IO_OBJECT_NULL) IOObjectRelease(object_);
        object_ = IO_OBJECT_NULL;
    }

private:
    io_object_t object_;
};

}  // namespace keelward
