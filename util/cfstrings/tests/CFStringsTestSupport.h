// Helpers shared by the string utility tests.
#pragma once

#include <keelward/cfstrings/CFStrings.h>
#include <keelward/platform/CoreFoundation/CFOwned.h>
#include <keelward/cfstrings/CFStringUtilitiesInternal.h>

#include <gtest/gtest.h>

#include <string>

namespace keelward::test {

inline CFMutableStringRef MakeMutable(std::u16string_view text) {
    CFMutableStringRef string = CFStringCreateMutable(kCFAllocatorDefault, 0);
    CFStringAppendCharacters(string, text.data(), static_cast<CFIndex>(text.size()));
    return string;
}

inline std::u16string Characters(CFStringRef string) {
    std::u16string out(static_cast<std::size_t>(CFStringGetLength(string)), u'\0');
    CFStringGetCharacters(string, CFRangeMake(0, CFStringGetLength(string)), out.data());
    return out;
}

// Runs `operation` on a mutable string holding `text`, expects `status`, and returns
// what the string holds afterwards.
template <typename Operation>
std::u16string Edited(std::u16string_view text, Operation operation, SInt32 status = kNoErr) {
    CFMutableStringRef string = MakeMutable(text);
    const CFOwned<CFTypeRef> guard(string);
    EXPECT_EQ(operation(string), status);
    return Characters(string);
}

// Runs every test of a suite between the set-up and the finish of the utilities.
class StringUtilities : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(CFStringUtilitiesInitialize(), kNoErr); }
    void TearDown() override { CFStringUtilitiesFinalize(); }
};

}  // namespace keelward::test
