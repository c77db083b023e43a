// A registry held in memory, built node by node: the backend that tests of the
// firmware store and of both programs install in place of the firmware.
#pragma once

#include <keelward/platform/IOKit/RegistryBackend.h>

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace keelward {

class InMemoryRegistry final : public RegistryBackend {
public:
    InMemoryRegistry() = default;
    ~InMemoryRegistry() override;
    InMemoryRegistry(const InMemoryRegistry&) = delete;
    InMemoryRegistry& operator=(const InMemoryRegistry&) = delete;

    // A machine with an options node and a boot ROM node; the boot ROM carries
    // "security-modes" when `bootROMKnowsSecurityModes`.
    static std::shared_ptr<InMemoryRegistry> Machine(bool bootROMKnowsSecurityModes = true);

    void AddNode(const std::string& path);
    void RemoveNode(const std::string& path);
    // Stores a new string value (from Mac OS Roman bytes) or data value.
    void SetString(const std::string& path, const std::string& name, std::string_view macRomanText);
    void SetData(const std::string& path, const std::string& name, std::vector<UInt8> bytes);
    void RemoveProperty(const std::string& path, const std::string& name);

    // What the node holds: the Mac OS Roman text of a string value, the bytes of a
    // data value; nothing when the property is missing or of the other kind.
    std::optional<std::string> StringValue(const std::string& path, const std::string& name) const;
    std::optional<std::vector<UInt8>> DataValue(const std::string& path, const std::string& name) const;

    // Failures to inject: the status of IOMasterPort, and of every property write.
    void FailOpen(kern_return_t status);
    void FailWrites(kern_return_t status);
    // Property names written so far, in order (successful writes only).
    std::vector<std::string> WrittenNames() const;

    kern_return_t Open() override;
    bool HasNode(std::string_view path) override;
    CFTypeRef CopyProperty(std::string_view path, std::string_view name) override;
    kern_return_t SetProperty(std::string_view path, std::string_view name, CFTypeRef value) override;

private:
    using Properties = std::map<std::string, CFTypeRef, std::less<>>;
    mutable std::mutex mutex_;
    std::map<std::string, Properties, std::less<>> nodes_;
    kern_return_t openStatus_ = kIOReturnSuccess;
    kern_return_t writeStatus_ = kIOReturnSuccess;
    std::vector<std::string> written_;
};

}  // namespace keelward
