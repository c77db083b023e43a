#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/platform/CoreFoundation/CFBundleInternal.h>
#include <keelward/platform/CoreFoundation/CFData.h>
#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace keelward {
namespace {

std::string Text(CFTypeRef value) {
    char buffer[64] = {};
    if (CFGetTypeID(value) != CFStringGetTypeID() ||
        !CFStringGetCString(static_cast<CFStringRef>(value), buffer, sizeof buffer, kCFStringEncodingUTF8)) {
        return "<not a string>";
    }
    return buffer;
}

class MainBundle : public ::testing::Test {
protected:
    void SetUp() override {
        CFBundleResetMainBundle();
        liveBefore = CFRuntimeLiveObjectCount();
    }
    void TearDown() override {
        CFBundleResetMainBundle();
        EXPECT_EQ(CFRuntimeLiveObjectCount(), liveBefore) << "objects leaked";
    }
    static CFTypeRef Lookup(const char* key) {
        const CFOwned<CFTypeRef> keyString(CFStringCreateWithCString(kCFAllocatorDefault, key, kCFStringEncodingUTF8));
        return CFBundleGetValueForInfoDictionaryKey(CFBundleGetMainBundle(),
                                                    static_cast<CFStringRef>(keyString.get()));
    }
    CFIndex liveBefore = 0;
};

TEST_F(MainBundle, AbsentUntilAValueIsSet) {
    EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
    EXPECT_EQ(Lookup("CFBundleShortVersionString"), nullptr);

    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "1.0.0"));
    CFBundleRef bundle = CFBundleGetMainBundle();
    ASSERT_NE(bundle, nullptr);
    EXPECT_EQ(CFGetTypeID(bundle), CFBundleGetTypeID());
    EXPECT_NE(CFBundleGetTypeID(), CFStringGetTypeID());
    EXPECT_EQ(Text(Lookup("CFBundleShortVersionString")), "1.0.0");
    EXPECT_EQ(Lookup("CFBundleVersion"), nullptr);
    EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(bundle, nullptr), nullptr);
    EXPECT_EQ(CFBundleGetValueForInfoDictionaryKey(nullptr, nullptr), nullptr);

    CFBundleResetMainBundle();
    EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
}

TEST_F(MainBundle, ValuesReplaceAndKeysAreExact) {
    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "1.0"));
    CFBundleRef bundle = CFBundleGetMainBundle();
    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "2.0"));
    ASSERT_TRUE(CFBundleSetMainBundleInfoValue("Gr\xC3\xBC\xC3\x9F" "e", "caf\xC3\xA9"));
    EXPECT_EQ(CFBundleGetMainBundle(), bundle);  // one bundle for the process
    EXPECT_EQ(Text(Lookup("CFBundleShortVersionString")), "2.0");
    EXPECT_EQ(Text(Lookup("Gr\xC3\xBC\xC3\x9F" "e")), "caf\xC3\xA9");
    EXPECT_EQ(Lookup("cfbundleshortversionstring"), nullptr);

    // A value of another type, kept alive by the dictionary.
    const UInt8 bytes[] = {1, 2, 3};
    CFDataRef data = CFDataCreate(kCFAllocatorDefault, bytes, sizeof bytes);
    ASSERT_TRUE(CFBundleSetMainBundleInfoObject("Data", data));
    CFRelease(data);
    EXPECT_EQ(CFGetTypeID(Lookup("Data")), CFDataGetTypeID());
    EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(Lookup("Data"))), 3);
}

TEST_F(MainBundle, RefusesBadArgumentsWithoutCreatingABundle) {
    EXPECT_FALSE(CFBundleSetMainBundleInfoValue(nullptr, "1.0"));
    EXPECT_FALSE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", nullptr));
    EXPECT_FALSE(CFBundleSetMainBundleInfoValue("CFBundleShortVersionString", "\xC3"));  // broken UTF-8
    EXPECT_FALSE(CFBundleSetMainBundleInfoValue("\xFF", "1.0"));
    EXPECT_FALSE(CFBundleSetMainBundleInfoObject("Key", nullptr));
    EXPECT_EQ(CFBundleGetMainBundle(), nullptr);
}

TEST_F(MainBundle, ConcurrentFirstCallsMakeOneBundle) {
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t] {
            const std::string key = "Key" + std::to_string(t);
            for (int i = 0; i < 100; ++i) EXPECT_TRUE(CFBundleSetMainBundleInfoValue(key.c_str(), "v"));
        });
    }
    for (auto& thread : threads) thread.join();
    for (int t = 0; t < 4; ++t) EXPECT_EQ(Text(Lookup(("Key" + std::to_string(t)).c_str())), "v");
}

}  // namespace
}  // namespace keelward
