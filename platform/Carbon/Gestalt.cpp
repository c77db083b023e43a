#include <keelward/platform/Carbon/Gestalt.h>

#include <atomic>
#include <map>
#include <mutex>

#include <unistd.h>
#if defined(__powerpc__) || defined(__powerpc64__)
#include <sys/auxv.h>
#endif

namespace keelward {
namespace {

using GestaltValues = std::map<OSType, long>;

GestaltValues DefaultGestaltValues() {
    GestaltValues values;
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pageSize > 0 && pageSize <= 0x7FFFFFFF) {
        values[MakeOSType("pgsz")] = pageSize;
    }
    values[MakeOSType("vm  ")] = 1;
#if defined(__powerpc__) || defined(__powerpc64__)
    values[MakeOSType("sysa")] = 2;
    constexpr unsigned long kHasAltiVec = 0x10000000;  // PPC_FEATURE_HAS_ALTIVEC
    values[MakeOSType("ppcf")] = (::getauxval(AT_HWCAP) & kHasAltiVec) != 0 ? (1L << 4) : 0L;
#elif defined(__x86_64__) || defined(__i386__)
    values[MakeOSType("sysa")] = 10;
#endif
    return values;
}

struct GestaltTable {
    std::mutex lock;
    GestaltValues values = DefaultGestaltValues();
};

GestaltTable& Table() {
    static GestaltTable table;
    return table;
}

std::atomic<UInt32> gQueryCount{0};

}  // namespace

OSErr Gestalt(OSType selector, long* response) {
    gQueryCount.fetch_add(1, std::memory_order_relaxed);
    if (response == nullptr) {
        return gestaltUnknownErr;
    }
    GestaltTable& table = Table();
    std::lock_guard guard(table.lock);
    const auto found = table.values.find(selector);
    if (found == table.values.end()) {
        return gestaltUndefSelectorErr;
    }
    *response = found->second;
    return 0;
}

OSErr NewGestaltValue(OSType selector, long newValue) {
    GestaltTable& table = Table();
    std::lock_guard guard(table.lock);
    try {
        return table.values.try_emplace(selector, newValue).second ? OSErr(0) : gestaltDupSelectorErr;
    } catch (const std::bad_alloc&) {
        return gestaltUnknownErr;
    }
}

OSErr ReplaceGestaltValue(OSType selector, long replacementValue) {
    GestaltTable& table = Table();
    std::lock_guard guard(table.lock);
    const auto found = table.values.find(selector);
    if (found == table.values.end()) {
        return gestaltUndefSelectorErr;
    }
    found->second = replacementValue;
    return 0;
}

OSErr SetGestaltValue(OSType selector, long newValue) {
    GestaltTable& table = Table();
    std::lock_guard guard(table.lock);
    try {
        table.values.insert_or_assign(selector, newValue);
    } catch (const std::bad_alloc&) {
        return gestaltUnknownErr;
    }
    return 0;
}

OSErr DeleteGestaltValue(OSType selector) {
    GestaltTable& table = Table();
    std::lock_guard guard(table.lock);
    return table.values.erase(selector) != 0 ? OSErr(0) : gestaltUndefSelectorErr;
}

void ResetGestaltTable() {
    try {
        GestaltValues defaults = DefaultGestaltValues();
        GestaltTable& table = Table();
        std::lock_guard guard(table.lock);
        table.values.swap(defaults);
    } catch (const std::bad_alloc&) {
        // Out of memory: the table stays as it was.
    }
}

UInt32 GestaltQueryCount() { return gQueryCount.load(std::memory_order_relaxed); }

}  // namespace keelward
