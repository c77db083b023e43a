// What stands behind the I/O registry stand-in, and a way to replace it.
#pragma once

#include <keelward/platform/IOKit/IOKitLib.h>

#include <memory>
#include <string_view>

namespace keelward {

// Paths given to a backend are plane-relative ("/options"); values are string or
// data objects of the CoreFoundation layer.
class RegistryBackend {
public:
    virtual ~RegistryBackend() = default;
    // Whether the registry can be reached at all; the status IOMasterPort returns.
    virtual kern_return_t Open() = 0;
    virtual bool HasNode(std::string_view path) = 0;
    // A new object (owned by the caller) with the property's value, or null.
    virtual CFTypeRef CopyProperty(std::string_view path, std::string_view name) = 0;
    virtual kern_return_t SetProperty(std::string_view path, std::string_view name, CFTypeRef value) = 0;
};

// The backend node lookups go to from now on; null restores the default (the
// firmware NVRAM image and device tree). Node references keep the backend they
// were obtained from.
void IORegistrySetBackend(std::shared_ptr<RegistryBackend> backend);
std::shared_ptr<RegistryBackend> IORegistryCurrentBackend();

// Installs a backend for the lifetime of a scope (tests).
class ScopedRegistryBackend {
public:
    explicit ScopedRegistryBackend(std::shared_ptr<RegistryBackend> backend)
        : previous_(IORegistryCurrentBackend()) {
        IORegistrySetBackend(std::move(backend));
    }
    ~ScopedRegistryBackend() { IORegistrySetBackend(previous_); }
    ScopedRegistryBackend(const ScopedRegistryBackend&) = delete;
    ScopedRegistryBackend& operator=(const ScopedRegistryBackend&) = delete;

private:
    std::shared_ptr<RegistryBackend> previous_;
};

// The default backend: "/options" is the firmware NVRAM image (NvramStore.h), every
// other node comes from the device tree (DeviceTree.h).
std::shared_ptr<RegistryBackend> MakeFirmwareRegistry();

}  // namespace keelward
