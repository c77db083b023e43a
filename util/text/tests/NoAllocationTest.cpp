// The readers must not allocate. Every C++ allocation of this test program goes
// through the counting operator new below; the readers are also written without any
// facility that allocates (no std::string, no strdup), so malloc is not reached
// either.
#include <keelward/text/AddressText.h>
#include <keelward/text/IntegerText.h>
#include <keelward/text/VersionText.h>

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> gAllocations{0};
}

void* operator new(std::size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    return std::malloc(size == 0 ? 1 : size);
}
// These deletes pair with the replacement news above, which take memory from malloc;
// GCC cannot see that pairing once it inlines them.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
#pragma GCC diagnostic pop

namespace keelward {
namespace {

TEST(Readers, AllocateNothing) {
    // The counter works: a std::string beyond the small-string buffer allocates.
    const long before = gAllocations.load();
    { std::string probe(100, 'x'); }
    ASSERT_GT(gAllocations.load(), before);

    const long start = gAllocations.load();
    SInt32 sum = 0;
    sum += TextToInt32("  -2147483648", kAutoLength, 0);
    sum += TextToInt32("0x7FFFFFFF", kAutoLength, 10);
    UInt32 address = 0;
    UInt32 mask = 0;
    UInt32 host = 0;
    UInt16 port = 0;
    sum += TextToIPv4Address("10.0.0.7/8:80", kAutoLength, 0, &address, &port, &mask, &host);
    sum += TextToIPv4Address("0x0A000001/24", kAutoLength, 0, &address, &port, &mask, &host);
    sum += TextToIPv4Address("1..2", kAutoLength, 0, nullptr, nullptr, nullptr, nullptr);
    UInt8 mac[6];
    sum += TextToMACAddress("00:0a:95:9D:68:16", kAutoLength, mac);
    sum += TextToMACAddress("00:0a:95", kAutoLength, nullptr);
    UInt32 version = 0;
    sum += TextToNumVersion("1.2.3b4", kAutoLength, &version);
    EXPECT_EQ(gAllocations.load(), start);
    EXPECT_NE(sum, 0);
}

}  // namespace
}  // namespace keelward
