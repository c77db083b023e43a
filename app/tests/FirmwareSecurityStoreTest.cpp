#include "FirmwareSecurityStore.h"

#include <keelward/platform/CoreFoundation/CFRuntimeInternal.h>
#include <keelward/platform/IOKit/InMemoryRegistry.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace keelward {
namespace {

constexpr char kOptions[] = "/options";

class FirmwareSecurityStoreTest : public ::testing::Test {
protected:
    // Every operation releases what it obtained, on every path.
    void TearDown() override {
        EXPECT_EQ(IORegistryOpenObjectCount(), openNodes_);
        registry_.reset();
        scope_.reset();
        EXPECT_EQ(CFRuntimeLiveObjectCount(), liveObjects_);
    }

    const CFIndex liveObjects_ = CFRuntimeLiveObjectCount();
    const std::size_t openNodes_ = IORegistryOpenObjectCount();
    std::shared_ptr<InMemoryRegistry> registry_ = InMemoryRegistry::Machine();
    std::unique_ptr<ScopedRegistryBackend> scope_ = std::make_unique<ScopedRegistryBackend>(registry_);
};

TEST_F(FirmwareSecurityStoreTest, ReadsEachStoredTextAsItsMode) {
    struct Case {
        std::string stored;
        UInt32 mode;
    };
    const Case cases[] = {
        {"none", kNoSecurityMode},  {"command", kDefaultDeviceOnlyMode},
        {"full", kFullSecurityMode}, {"Full", kNoSecurityMode},
        {"full ", kNoSecurityMode}, {"", kNoSecurityMode},
        {"bad", kNoSecurityMode},   {std::string(49, 'x'), kNoSecurityMode},
        {std::string(60, 'f'), kNoSecurityMode},  // too long for the buffer: not converted
    };
    for (const Case& c : cases) {
        registry_->SetString(kOptions, "security-mode", c.stored);
        UInt32 mode = 77;
        EXPECT_EQ(GetSecurityMode(&mode), 0) << c.stored;
        EXPECT_EQ(mode, c.mode) << c.stored;
        EXPECT_EQ(GetSecurityMode(nullptr), 0);
    }
}

TEST_F(FirmwareSecurityStoreTest, MissingVariableOrNodeLeavesTheModeAlone) {
    UInt32 mode = 77;
    EXPECT_EQ(GetSecurityMode(&mode), kSecurityModeUnavailableErr);
    EXPECT_EQ(GetSecurityMode(nullptr), kSecurityModeUnavailableErr);
    EXPECT_EQ(mode, 77u);

    registry_->RemoveNode(kOptions);
    EXPECT_EQ(GetSecurityMode(&mode), 0);
    EXPECT_EQ(mode, 77u);
    EXPECT_EQ(SaveMode(kFullSecurityMode), 0u);
    EXPECT_TRUE(registry_->WrittenNames().empty());
}

TEST_F(FirmwareSecurityStoreTest, UnreachableRegistryStatusIsPassedOn) {
    registry_->FailOpen(kIOReturnBadMedia);
    UInt32 mode = 77;
    EXPECT_EQ(GetSecurityMode(&mode), kIOReturnBadMedia);
    EXPECT_EQ(mode, 77u);
    EXPECT_EQ(static_cast<SInt32>(SaveMode(kNoSecurityMode)), kIOReturnBadMedia);
    char password[] = "secret";
    EXPECT_EQ(SavePassword(6, password), kIOReturnBadMedia);
    EXPECT_FALSE(HasRecentBootROM());
    EXPECT_TRUE(registry_->WrittenNames().empty());
}

TEST_F(FirmwareSecurityStoreTest, SaveModeWritesTheSpellingAndRefusesUnknownModes) {
    const char* const spellings[] = {"none", "command", "full"};
    for (UInt32 mode = 0; mode < 3; ++mode) {
        EXPECT_EQ(SaveMode(mode), 0u);
        EXPECT_EQ(registry_->StringValue(kOptions, "security-mode"), spellings[mode]);
        UInt32 read = 77;
        EXPECT_EQ(GetSecurityMode(&read), 0);
        EXPECT_EQ(read, mode);
    }
    for (UInt32 mode : {3u, 0xFFu, 0xFFFFFFFFu}) {
        EXPECT_EQ(static_cast<SInt32>(SaveMode(mode)), kIOReturnBadArgument);
    }
    EXPECT_EQ(registry_->WrittenNames().size(), 3u);
}

TEST_F(FirmwareSecurityStoreTest, WriteFailureStatusIsReturnedUnchanged) {
    registry_->FailWrites(kIOReturnNotPermitted);
    EXPECT_EQ(static_cast<SInt32>(SaveMode(kFullSecurityMode)), kIOReturnNotPermitted);
    char password[] = "hunter2";
    EXPECT_EQ(SavePassword(7, password), kIOReturnNotPermitted);
    EXPECT_NE(std::strcmp(password, "hunter2"), 0);  // left encoded all the same
}

TEST_F(FirmwareSecurityStoreTest, SavePasswordStoresTheEncodedTextAndLeavesTheBufferEncoded) {
    char password[100] = "hunter2";
    ASSERT_EQ(SavePassword(7, password), 0);
    std::string expected = "hunter2";
    for (char& c : expected) c = static_cast<char>(c ^ 0x5D);
    EXPECT_EQ(registry_->StringValue(kOptions, "security-password"), expected);
    EXPECT_EQ(std::string(password), expected);
    // Bytes above 0x7F travel as Mac OS Roman text and come back unchanged.
    char accented[] = "caf\x8E!";
    ASSERT_EQ(SavePassword(5, accented), 0);
    EXPECT_EQ(registry_->StringValue(kOptions, "security-password"), std::string(accented));
}

TEST_F(FirmwareSecurityStoreTest, PasswordHoldingTheMaskByteIsRefused) {
    char password[] = "ab]cd";
    EXPECT_EQ(SavePassword(5, password), kIOReturnBadArgument);
    EXPECT_FALSE(registry_->StringValue(kOptions, "security-password").has_value());
    EXPECT_TRUE(registry_->WrittenNames().empty());
}

TEST_F(FirmwareSecurityStoreTest, SavePasswordStoresOnlyThePasswordsOwnBytes) {
    // A count shorter than the text: the unencoded rest is not stored.
    char shortCount[] = "abcdef";
    ASSERT_EQ(SavePassword(3, shortCount), 0);
    std::string expected = "abc";
    for (char& c : expected) c = static_cast<char>(c ^ 0x5D);
    EXPECT_EQ(registry_->StringValue(kOptions, "security-password"), expected);

    // A count past the NUL: what follows the text is not stored either.
    char longCount[8] = {'x', 'y', '\0', 'Q', 'R', 'S', 'T', '\0'};
    ASSERT_EQ(SavePassword(8, longCount), 0);
    expected = "xy";
    for (char& c : expected) c = static_cast<char>(c ^ 0x5D);
    EXPECT_EQ(registry_->StringValue(kOptions, "security-password"), expected);
}

TEST(XORBlockWithoutKey, IsItsOwnInverseAndTouchesExactlyTheCount) {
    UInt8 bytes[6] = {0x00, 0x5D, 0xFF, 'a', 0x00, 0x42};
    const UInt8 original[6] = {0x00, 0x5D, 0xFF, 'a', 0x00, 0x42};
    XORBlockWithoutKey(0, bytes);
    EXPECT_EQ(std::memcmp(bytes, original, 6), 0);
    XORBlockWithoutKey(5, bytes);
    const UInt8 encoded[6] = {0x5D, 0x00, 0xA2, 'a' ^ 0x5D, 0x5D, 0x42};
    EXPECT_EQ(std::memcmp(bytes, encoded, 6), 0);
    XORBlockWithoutKey(5, bytes);
    EXPECT_EQ(std::memcmp(bytes, original, 6), 0);
}

TEST_F(FirmwareSecurityStoreTest, BootROMCheckNeedsTheNodeAndTheProperty) {
    EXPECT_TRUE(HasRecentBootROM());
    registry_->RemoveProperty("/rom/boot-rom", "security-modes");
    EXPECT_FALSE(HasRecentBootROM());
    registry_->SetData("/rom/boot-rom", "security-modes", std::vector<UInt8>(101, 'x'));  // larger than 100 bytes
    EXPECT_FALSE(HasRecentBootROM());
    registry_->SetData("/rom/boot-rom", "security-modes", {});
    EXPECT_TRUE(HasRecentBootROM());
    registry_->RemoveNode("/rom/boot-rom");
    EXPECT_FALSE(HasRecentBootROM());
}

}  // namespace
}  // namespace keelward
