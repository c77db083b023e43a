#include <keelward/platform/CoreFoundation/CFBundleInternal.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <map>
#include <mutex>
#include <new>
#include <string>

namespace keelward {

// The information dictionary maps keys, held as their UTF-16 code units, to
// retained values.
struct CFBundleObject final : CFRuntimeObject {
    CFBundleObject() : CFRuntimeObject(kCFRuntimeTypeBundle) {}
    ~CFBundleObject() override {
        for (auto& entry : info) CFRelease(entry.second);
    }
    std::map<std::u16string, CFTypeRef, std::less<>> info;
};

namespace {

std::mutex gMainBundleLock;
CFBundleObject* gMainBundle = nullptr;

// Owns one reference to an object until released from it.
struct Reference {
    CFTypeRef object;
    ~Reference() { CFRelease(object); }
    CFTypeRef Release() {
        CFTypeRef taken = object;
        object = nullptr;
        return taken;
    }
};

std::u16string Characters(CFStringRef string) {
    std::u16string units(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
    CFStringGetCharacters(string, CFRangeMake(0, static_cast<CFIndex>(units.size())), units.data());
    return units;
}

// Stores `value` (one reference, handed over) for `key`.
Boolean SetInfoObject(const char* key, Reference value) {
    if (key == nullptr || value.object == nullptr) return false;
    Reference keyString{CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8)};
    if (keyString.object == nullptr) return false;
    try {
        std::u16string keyUnits = Characters(static_cast<CFStringRef>(keyString.object));
        const std::lock_guard lock(gMainBundleLock);
        // A first call that fails leaves no empty bundle behind.
        Reference fresh{nullptr};
        CFBundleObject* bundle = gMainBundle;
        if (bundle == nullptr) {
            bundle = new CFBundleObject();
            fresh.object = bundle;
        }
        auto [slot, inserted] = bundle->info.try_emplace(std::move(keyUnits), nullptr);
        if (fresh.Release() != nullptr) gMainBundle = bundle;
        CFTypeRef previous = inserted ? nullptr : slot->second;
        slot->second = value.Release();
        CFRelease(previous);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

}  // namespace

CFTypeID CFBundleGetTypeID() { return kCFRuntimeTypeBundle; }

CFBundleRef CFBundleGetMainBundle() {
    const std::lock_guard lock(gMainBundleLock);
    return gMainBundle;
}

CFTypeRef CFBundleGetValueForInfoDictionaryKey(CFBundleRef bundle, CFStringRef key) {
    auto* object = CFRuntimeCast<CFBundleObject>(bundle, kCFRuntimeTypeBundle);
    if (object == nullptr || CFGetTypeID(key) != CFStringGetTypeID()) return nullptr;
    try {
        const std::u16string units = Characters(key);
        const std::lock_guard lock(gMainBundleLock);
        const auto found = object->info.find(units);
        return found == object->info.end() ? nullptr : found->second;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

Boolean CFBundleSetMainBundleInfoValue(const char* key, const char* value) {
    if (value == nullptr) return false;
    return SetInfoObject(key, Reference{CFStringCreateWithCString(kCFAllocatorDefault, value, kCFStringEncodingUTF8)});
}

Boolean CFBundleSetMainBundleInfoObject(const char* key, CFTypeRef value) {
    if (value == nullptr) return false;
    return SetInfoObject(key, Reference{CFRetain(value)});
}

void CFBundleResetMainBundle() {
    CFBundleObject* bundle = nullptr;
    {
        const std::lock_guard lock(gMainBundleLock);
        bundle = gMainBundle;
        gMainBundle = nullptr;
    }
    CFRelease(bundle);
}

}  // namespace keelward
