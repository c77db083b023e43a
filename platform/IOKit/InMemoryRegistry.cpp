#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>
#include <keelward/platform/IOKit/InMemoryRegistry.h>

namespace keelward {

InMemoryRegistry::~InMemoryRegistry() {
    for (auto& [path, properties] : nodes_) {
        for (auto& [name, value] : properties) CFRelease(value);
    }
}

std::shared_ptr<InMemoryRegistry> InMemoryRegistry::Machine(bool bootROMKnowsSecurityModes) {
    auto registry = std::make_shared<InMemoryRegistry>();
    registry->AddNode("/options");
    registry->AddNode("/rom/boot-rom");
    if (bootROMKnowsSecurityModes) {
        const std::string_view modes("none\0command\0full\0", 18);
        registry->SetData("/rom/boot-rom", "security-modes", std::vector<UInt8>(modes.begin(), modes.end()));
    }
    return registry;
}

void InMemoryRegistry::AddNode(const std::string& path) {
    std::lock_guard lock(mutex_);
    nodes_.try_emplace(path);
}

void InMemoryRegistry::RemoveNode(const std::string& path) {
    std::lock_guard lock(mutex_);
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return;
    for (auto& [name, value] : node->second) CFRelease(value);
    nodes_.erase(node);
}

void InMemoryRegistry::SetString(const std::string& path, const std::string& name, std::string_view macRomanText) {
    CFOwned<CFStringRef> value(CFStringCreateWithBytes(kCFAllocatorDefault,
                                                       reinterpret_cast<const UInt8*>(macRomanText.data()),
                                                       static_cast<CFIndex>(macRomanText.size()),
                                                       kCFStringEncodingMacRoman, false));
    std::lock_guard lock(mutex_);
    CFTypeRef& slot = nodes_[path][name];
    CFRelease(slot);
    slot = CFRetain(value.get());
}

void InMemoryRegistry::SetData(const std::string& path, const std::string& name, std::vector<UInt8> bytes) {
    CFOwned<CFDataRef> value(CFDataCreate(kCFAllocatorDefault, bytes.data(), static_cast<CFIndex>(bytes.size())));
    std::lock_guard lock(mutex_);
    CFTypeRef& slot = nodes_[path][name];
    CFRelease(slot);
    slot = CFRetain(value.get());
}

void InMemoryRegistry::RemoveProperty(const std::string& path, const std::string& name) {
    std::lock_guard lock(mutex_);
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return;
    const auto property = node->second.find(name);
    if (property == node->second.end()) return;
    CFRelease(property->second);
    node->second.erase(property);
}

std::optional<std::string> InMemoryRegistry::StringValue(const std::string& path, const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return std::nullopt;
    const auto property = node->second.find(name);
    if (property == node->second.end()) return std::nullopt;
    const CFStringObject* string = CFStringFromRef(property->second);
    if (string == nullptr) return std::nullopt;
    return CFEncodeCharacters(string->characters, kCFStringEncodingMacRoman);
}

std::optional<std::vector<UInt8>> InMemoryRegistry::DataValue(const std::string& path, const std::string& name) const {
    std::lock_guard lock(mutex_);
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return std::nullopt;
    const auto property = node->second.find(name);
    if (property == node->second.end()) return std::nullopt;
    const CFDataObject* data = CFDataFromRef(property->second);
    if (data == nullptr) return std::nullopt;
    return data->bytes;
}

void InMemoryRegistry::FailOpen(kern_return_t status) {
    std::lock_guard lock(mutex_);
    openStatus_ = status;
}

void InMemoryRegistry::FailWrites(kern_return_t status) {
    std::lock_guard lock(mutex_);
    writeStatus_ = status;
}

std::vector<std::string> InMemoryRegistry::WrittenNames() const {
    std::lock_guard lock(mutex_);
    return written_;
}

kern_return_t InMemoryRegistry::Open() {
    std::lock_guard lock(mutex_);
    return openStatus_;
}

bool InMemoryRegistry::HasNode(std::string_view path) {
    std::lock_guard lock(mutex_);
    return nodes_.find(path) != nodes_.end();
}

CFTypeRef InMemoryRegistry::CopyProperty(std::string_view path, std::string_view name) {
    std::lock_guard lock(mutex_);
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return nullptr;
    const auto property = node->second.find(name);
    return property == node->second.end() ? nullptr : CFRetain(property->second);
}

kern_return_t InMemoryRegistry::SetProperty(std::string_view path, std::string_view name, CFTypeRef value) {
    std::lock_guard lock(mutex_);
    if (writeStatus_ != kIOReturnSuccess) return writeStatus_;
    const auto node = nodes_.find(path);
    if (node == nodes_.end()) return kIOReturnNotFound;
    written_.emplace_back(name);
    CFTypeRef& slot = node->second[std::string(name)];
    CFRelease(slot);
    slot = CFRetain(value);
    return kIOReturnSuccess;
}

}  // namespace keelward
