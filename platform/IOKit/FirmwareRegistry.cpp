// The default registry: the options node is the firmware NVRAM image, the other
// nodes come from the device tree.
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>
#include <keelward/platform/IOKit/DeviceTree.h>
#include <keelward/platform/IOKit/FirmwareVariables.h>
#include <keelward/platform/IOKit/NvramStore.h>
#include <keelward/platform/IOKit/RegistryBackend.h>

namespace keelward {

NvramValueForm NvramFormOfVariable(std::string_view name, CFTypeRef value) {
    if (name == "security-mode") return NvramValueForm::kString;
    if (name == "security-password") return NvramValueForm::kData;
    return CFGetTypeID(value) == CFDataGetTypeID() ? NvramValueForm::kData : NvramValueForm::kString;
}

namespace {

constexpr std::string_view kOptionsNode = "/options";

// The bytes of a string (Mac OS Roman, the firmware's encoding) or data object.
std::optional<std::vector<UInt8>> BytesOf(CFTypeRef value) {
    if (const CFDataObject* data = CFDataFromRef(value)) return data->bytes;
    if (const CFStringObject* string = CFStringFromRef(value)) {
        std::optional<std::string> text = CFEncodeCharacters(string->characters, kCFStringEncodingMacRoman);
        if (!text) return std::nullopt;
        return std::vector<UInt8>(text->begin(), text->end());
    }
    return std::nullopt;
}

CFTypeRef MakeData(const std::vector<UInt8>& bytes) {
    return CFDataCreate(kCFAllocatorDefault, bytes.data(), static_cast<CFIndex>(bytes.size()));
}

class FirmwareRegistry final : public RegistryBackend {
public:
    FirmwareRegistry() : nvram_(NvramImageLocation()), tree_(DeviceTree::FromEnvironment()) {}

    kern_return_t Open() override {
        if (const kern_return_t status = nvram_.EnsureExists(); status != kIOReturnSuccess) return status;
        NvramImage image;
        return nvram_.Read(image);
    }

    bool HasNode(std::string_view path) override { return path == kOptionsNode || tree_.HasNode(path); }

    CFTypeRef CopyProperty(std::string_view path, std::string_view name) override {
        if (path != kOptionsNode) {
            const std::optional<std::vector<UInt8>> bytes = tree_.Property(path, name);
            return bytes ? MakeData(*bytes) : nullptr;
        }
        NvramImage image;
        if (nvram_.Read(image) != kIOReturnSuccess) return nullptr;
        const std::optional<std::vector<UInt8>> stored = image.StoredValue(name);
        if (!stored) return nullptr;
        if (name == "security-mode") {
            return CFStringCreateWithBytes(kCFAllocatorDefault, stored->data(), static_cast<CFIndex>(stored->size()),
                                           kCFStringEncodingMacRoman, false);
        }
        if (name == "security-password") {
            const std::optional<std::vector<UInt8>> data = NvramUnescapeData(*stored);
            return data ? MakeData(*data) : nullptr;
        }
        return MakeData(*stored);
    }

    kern_return_t SetProperty(std::string_view path, std::string_view name, CFTypeRef value) override {
        // The device tree is the firmware's own description of the machine.
        if (path != kOptionsNode) return kIOReturnNotPermitted;
        std::optional<std::vector<UInt8>> bytes = BytesOf(value);
        if (!bytes) return kIOReturnBadArgument;
        if (NvramFormOfVariable(name, value) == NvramValueForm::kData) bytes = NvramEscapeData(*bytes);
        return nvram_.Update([&](NvramImage& image) { return image.SetStoredValue(name, *bytes); });
    }

private:
    NvramFile nvram_;
    DeviceTree tree_;
};

}  // namespace

std::shared_ptr<RegistryBackend> MakeFirmwareRegistry() { return std::make_shared<FirmwareRegistry>(); }

}  // namespace keelward
