#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

namespace keelward {

struct CFAllocatorObject {
    int unused;
};

namespace {
constinit CFAllocatorObject gNullAllocator{0};
std::atomic<CFIndex> gLiveObjects{0};
}  // namespace

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFAllocatorRef kCFAllocatorNull = &gNullAllocator;

CFRuntimeObject::CFRuntimeObject(CFTypeID type) noexcept : typeID(type) {
    gLiveObjects.fetch_add(1, std::memory_order_relaxed);
}

CFRuntimeObject::~CFRuntimeObject() { gLiveObjects.fetch_sub(1, std::memory_order_relaxed); }

CFIndex CFRuntimeLiveObjectCount() { return gLiveObjects.load(std::memory_order_relaxed); }

static CFRuntimeObject* RuntimeObject(CFTypeRef cf) {
    return static_cast<CFRuntimeObject*>(const_cast<void*>(cf));
}

CFTypeRef CFRetain(CFTypeRef cf) {
    if (cf != nullptr) RuntimeObject(cf)->retainCount.fetch_add(1, std::memory_order_relaxed);
    return cf;
}

void CFRelease(CFTypeRef cf) {
    if (cf == nullptr) return;
    CFRuntimeObject* object = RuntimeObject(cf);
    if (object->retainCount.fetch_sub(1, std::memory_order_acq_rel) == 1) delete object;
}

CFIndex CFGetRetainCount(CFTypeRef cf) {
    return cf == nullptr ? 0 : RuntimeObject(cf)->retainCount.load(std::memory_order_relaxed);
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return cf == nullptr ? 0 : RuntimeObject(cf)->typeID; }

}  // namespace keelward
