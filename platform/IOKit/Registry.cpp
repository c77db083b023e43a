#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>
#include <keelward/platform/IOKit/RegistryBackend.h>

#include <cstring>
#include <mutex>
#include <string>
#include <unordered_map>

namespace keelward {

mach_port_t bootstrap_port = 0x0107;

namespace {

constexpr mach_port_t kMasterPort = 0x0B03;
constexpr std::string_view kDeviceTreePlane = "IODeviceTree:";

struct Node {
    std::shared_ptr<RegistryBackend> backend;
    std::string path;
};

struct Registry {
    std::mutex mutex;
    std::shared_ptr<RegistryBackend> backend;  // null: the firmware registry
    std::unordered_map<io_object_t, Node> nodes;
    io_object_t nextObject = 0x1000;
};

Registry& TheRegistry() {
    static Registry registry;
    return registry;
}

std::shared_ptr<RegistryBackend> Backend() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    if (!registry.backend) return MakeFirmwareRegistry();
    return registry.backend;
}

bool LookUp(io_registry_entry_t entry, Node* out) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    const auto found = registry.nodes.find(entry);
    if (found == registry.nodes.end()) return false;
    *out = found->second;
    return true;
}

// Property names cross as Mac OS Roman text, like every registry string.
std::optional<std::string> NameOf(CFStringRef name) {
    const CFStringObject* string = CFStringFromRef(name);
    if (string == nullptr) return std::nullopt;
    return CFEncodeCharacters(string->characters, kCFStringEncodingMacRoman);
}

}  // namespace

void IORegistrySetBackend(std::shared_ptr<RegistryBackend> backend) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    registry.backend = std::move(backend);
}

std::shared_ptr<RegistryBackend> IORegistryCurrentBackend() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.backend;
}

kern_return_t IOMasterPort(mach_port_t, mach_port_t* masterPort) {
    if (masterPort == nullptr) return kIOReturnBadArgument;
    try {
        const kern_return_t status = Backend()->Open();
        if (status != kIOReturnSuccess) return status;
    } catch (const std::bad_alloc&) {
        return kIOReturnNoMemory;
    }
    *masterPort = kMasterPort;
    return kIOReturnSuccess;
}

io_registry_entry_t IORegistryEntryFromPath(mach_port_t masterPort, const char* path) {
    if (masterPort != kMasterPort || path == nullptr) return IO_OBJECT_NULL;
    std::string_view full(path);
    if (!full.starts_with(kDeviceTreePlane)) return IO_OBJECT_NULL;
    const std::string_view nodePath = full.substr(kDeviceTreePlane.size());
    if (!nodePath.starts_with('/')) return IO_OBJECT_NULL;
    try {
        std::shared_ptr<RegistryBackend> backend = Backend();
        if (!backend->HasNode(nodePath)) return IO_OBJECT_NULL;
        Registry& registry = TheRegistry();
        std::lock_guard lock(registry.mutex);
        const io_object_t object = registry.nextObject++;
        registry.nodes.emplace(object, Node{std::move(backend), std::string(nodePath)});
        return object;
    } catch (const std::bad_alloc&) {
        return IO_OBJECT_NULL;
    }
}

CFTypeRef IORegistryEntryCreateCFProperty(io_registry_entry_t entry, CFStringRef key, CFAllocatorRef, IOOptionBits) {
    try {
        Node node;
        const std::optional<std::string> name = NameOf(key);
        if (!name || !LookUp(entry, &node)) return nullptr;
        return node.backend->CopyProperty(node.path, *name);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

kern_return_t IORegistryEntrySetCFProperty(io_registry_entry_t entry, CFStringRef propertyName, CFTypeRef property) {
    try {
        Node node;
        if (!LookUp(entry, &node)) return kIOReturnBadArgument;
        const std::optional<std::string> name = NameOf(propertyName);
        if (!name || property == nullptr) return kIOReturnBadArgument;
        return node.backend->SetProperty(node.path, *name, property);
    } catch (const std::bad_alloc&) {
        return kIOReturnNoMemory;
    }
}

kern_return_t IORegistryEntryGetProperty(io_registry_entry_t entry, const char* propertyName, char* buffer,
                                         UInt32* size) {
    if (propertyName == nullptr || buffer == nullptr || size == nullptr) return kIOReturnBadArgument;
    try {
        Node node;
        if (!LookUp(entry, &node)) return kIOReturnBadArgument;
        const CFOwned<CFTypeRef> value(node.backend->CopyProperty(node.path, propertyName));
        if (!value) return kIOReturnNotFound;
        std::string bytes;
        if (const CFDataObject* data = CFDataFromRef(value.get())) {
            bytes.assign(data->bytes.begin(), data->bytes.end());
        } else if (const CFStringObject* string = CFStringFromRef(value.get())) {
            bytes = CFEncodeCharacters(string->characters, kCFStringEncodingMacRoman, '?').value_or("");
        }
        if (bytes.size() > *size) return kIOReturnNoSpace;
        std::memcpy(buffer, bytes.data(), bytes.size());
        *size = static_cast<UInt32>(bytes.size());
        return kIOReturnSuccess;
    } catch (const std::bad_alloc&) {
        return kIOReturnNoMemory;
    }
}

kern_return_t IOObjectRelease(io_object_t object) {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.nodes.erase(object) == 1 ? kIOReturnSuccess : kIOReturnBadArgument;
}

std::size_t IORegistryOpenObjectCount() {
    Registry& registry = TheRegistry();
    std::lock_guard lock(registry.mutex);
    return registry.nodes.size();
}

}  // namespace keelward
