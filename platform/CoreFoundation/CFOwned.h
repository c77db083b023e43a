// Ownership of one reference to a CoreFoundation object, released at scope end.
#pragma once

#include <keelward/platform/CoreFoundation/CFBase.h>

#include <utility>

namespace keelward {

template <typename Ref>
class CFOwned {
public:
    CFOwned() noexcept = default;
    // Takes over a reference the caller obtained from a Create or Copy call.
    explicit CFOwned(Ref ref) noexcept : ref_(ref) {}
    CFOwned(CFOwned&& other) noexcept : ref_(std::exchange(other.ref_, nullptr)) {}
    CFOwned& operator=(CFOwned&& other) noexcept {
        if (this != &other) reset(std::exchange(other.ref_, nullptr));
        return *this;
    }
    CFOwned(const CFOwned&) = delete;
    CFOwned& operator=(const CFOwned&) = delete;
    ~CFOwned() { reset(); }

    Ref get() const noexcept { return ref_; }
    explicit operator bool() const noexcept { return ref_ != nullptr; }
    void reset(Ref ref = nullptr) noexcept {
        if (ref_ != nullptr) CFRelease(ref_);
        ref_ = ref;
    }

private:
    Ref ref_ = nullptr;
};

}  // namespace keelward
