#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <new>

namespace keelward {

CFTypeID CFDataGetTypeID() { return kCFRuntimeTypeData; }

CFDataRef CFDataCreate(CFAllocatorRef, const UInt8* bytes, CFIndex length) {
    if (length < 0 || (bytes == nullptr && length != 0)) return nullptr;
    try {
        return new CFDataObject(std::vector<UInt8>(bytes, bytes + length));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

CFIndex CFDataGetLength(CFDataRef theData) {
    const CFDataObject* data = CFDataFromRef(theData);
    return data == nullptr ? 0 : static_cast<CFIndex>(data->bytes.size());
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) {
    const CFDataObject* data = CFDataFromRef(theData);
    return data == nullptr || data->bytes.empty() ? nullptr : data->bytes.data();
}

}  // namespace keelward
