#include "NvramTestImages.h"

#include <keelward/platform/IOKit/FirmwareVariables.h>
#include <keelward/platform/IOKit/NvramStore.h>
#include <keelward/platform/IOKit/RegistryBackend.h>

#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace keelward {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;
using testing::WriteFile;

class NvramStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keelward-nvram-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        image_ = folder_ / "nvram";
        ::setenv("KEELWARD_NVRAM", image_.c_str(), 1);
        ::unsetenv("KEELWARD_DEVICE_TREE");
    }
    void TearDown() override {
        ::unsetenv("KEELWARD_NVRAM");
        NvramSetLockTimeout(std::chrono::seconds(10));
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }
    NvramFile File() const { return NvramFile(NvramImageLocation()); }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    kern_return_t Set(std::string_view name, std::string_view value) const {
        return File().Update([&](NvramImage& image) { return image.SetStoredValue(name, Bytes(value)); });
    }

    fs::path folder_;
    fs::path image_;
};

TEST_F(NvramStoreTest, DefaultLocationFollowsXdgStateHome) {
    ::unsetenv("KEELWARD_NVRAM");
    ::setenv("XDG_STATE_HOME", (folder_ / "state").c_str(), 1);
    NvramLocation location = NvramImageLocation();
    EXPECT_EQ(location.path, (folder_ / "state/keelward/nvram").string());
    EXPECT_TRUE(location.createFolders);
    ::unsetenv("XDG_STATE_HOME");
    ::setenv("HOME", folder_.c_str(), 1);
    EXPECT_EQ(NvramImageLocation().path, (folder_ / ".local/state/keelward/nvram").string());

    // First use creates the folders and a fresh image, readable at once.
    ASSERT_EQ(NvramFile(NvramImageLocation()).EnsureExists(), kIOReturnSuccess);
    EXPECT_EQ(ReadFile(folder_ / ".local/state/keelward/nvram"), NvramImage::Fresh());
    EXPECT_EQ(fs::status(folder_ / ".local/state/keelward").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(NvramStoreTest, ExplicitPathInAMissingFolderIsNotCreated) {
    ::setenv("KEELWARD_NVRAM", (folder_ / "missing/nvram").c_str(), 1);
    EXPECT_EQ(File().EnsureExists(), kIOReturnNotFound);
    EXPECT_FALSE(fs::exists(folder_ / "missing"));
    mach_port_t port;
    EXPECT_EQ(IOMasterPort(bootstrap_port, &port), kIOReturnNotFound);
}

TEST_F(NvramStoreTest, ReadingNeverWritesAndEmptyFileIsCorrupt) {
    WriteFile(image_, {});
    NvramImage image;
    EXPECT_EQ(File().EnsureExists(), kIOReturnSuccess);  // exists: left as it is
    EXPECT_EQ(File().Read(image), kIOReturnBadMedia);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnBadMedia);
    EXPECT_TRUE(ReadFile(image_).empty());
    mach_port_t port;
    EXPECT_EQ(IOMasterPort(bootstrap_port, &port), kIOReturnBadMedia);
}

TEST_F(NvramStoreTest, CorruptImageIsLeftByteForByte) {
    std::vector<UInt8> corrupt = NvramImage::Fresh();
    corrupt[100] ^= 0x40;  // breaks the bank's Adler-32
    WriteFile(image_, corrupt);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnBadMedia);
    EXPECT_EQ(ReadFile(image_), corrupt);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
}

TEST_F(NvramStoreTest, UpdateReplacesTheImageAtomicallyAndLeavesNoStrayFile) {
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    ::chmod(image_.c_str(), 0640);
    ASSERT_EQ(Set("security-mode", "command"), kIOReturnSuccess);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
    EXPECT_EQ(fs::status(image_).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    NvramImage image;
    ASSERT_EQ(File().Read(image), kIOReturnSuccess);
    EXPECT_EQ(image.StoredValue("security-mode"), Bytes("command"));

    // A write the image refuses leaves it as it was.
    const std::vector<UInt8> before = ReadFile(image_);
    EXPECT_EQ(Set("huge", std::string(4000, 'x')), kIOReturnNoSpace);
    EXPECT_EQ(ReadFile(image_), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
}

TEST_F(NvramStoreTest, ReadOnlyImageOrFolderRefusesWrites) {
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    const std::vector<UInt8> before = ReadFile(image_);
    ::chmod(image_.c_str(), 0444);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnNotPermitted);
    EXPECT_EQ(ReadFile(image_), before);
    NvramImage image;
    EXPECT_EQ(File().Read(image), kIOReturnSuccess);  // still readable
}

TEST_F(NvramStoreTest, LockHeldByAnotherProcessTimesOut) {
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    const std::vector<UInt8> before = ReadFile(image_);
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        const int fd = ::open(image_.c_str(), O_RDONLY);
        ::flock(fd, LOCK_EX);
        [[maybe_unused]] auto wrote = ::write(ready[1], "x", 1);
        ::pause();
        ::_exit(0);
    }
    char byte;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    NvramSetLockTimeout(std::chrono::milliseconds(300));
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnCannotLock);
    NvramImage image;
    EXPECT_EQ(File().Read(image), kIOReturnCannotLock);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_EQ(ReadFile(image_), before);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnSuccess);  // free again
}

TEST_F(NvramStoreTest, ConcurrentWritersLoseNoUpdate) {
    constexpr int kWriters = 4;
    constexpr int kWritesEach = 25;
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    std::vector<pid_t> children;
    for (int writer = 0; writer < kWriters; ++writer) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kWritesEach; ++i) {
                const std::string name = "w" + std::to_string(writer) + "-" + std::to_string(i);
                if (Set(name, "1") != kIOReturnSuccess) ++failures;
            }
            ::_exit(failures == 0 ? 0 : 1);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    NvramImage image;
    ASSERT_EQ(File().Read(image), kIOReturnSuccess);
    for (int writer = 0; writer < kWriters; ++writer) {
        for (int i = 0; i < kWritesEach; ++i) {
            const std::string name = "w" + std::to_string(writer) + "-" + std::to_string(i);
            EXPECT_EQ(image.StoredValue(name), Bytes("1")) << name << " was lost";
        }
    }
    EXPECT_EQ(image.Bytes()[0x17], 1 + kWriters * kWritesEach);  // every write bumped the generation once
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
}

// A kernel's /dev/nvram, played by a regular file: written in place, the bank header
// left to the kernel, only the changed variable's bytes touched.
TEST_F(NvramStoreTest, DevicePathWritesInPlaceAndLeavesTheBankHeaderToTheKernel) {
    const std::vector<UInt8> original = testing::MacintoshNvram();
    WriteFile(image_, original);
    struct stat info;
    ASSERT_EQ(::stat(image_.c_str(), &info), 0);
    const ino_t inode = info.st_ino;
    NvramLocation location = NvramImageLocation();
    location.treatAsDevice = true;
    const NvramFile device(location);
    const auto set = [&](std::string_view name, std::string_view value) {
        return device.Update([&](NvramImage& image) { return image.SetStoredValue(name, Bytes(value)); });
    };
    ASSERT_EQ(set("security-mode", "full"), kIOReturnSuccess);
    // The bank header is now stale, as on a device the kernel has not committed yet;
    // the device path must still accept its own earlier write.
    ASSERT_EQ(set("security-password", "\x35\x28"), kIOReturnSuccess);

    const std::vector<UInt8> after = ReadFile(image_);
    ::stat(image_.c_str(), &info);
    EXPECT_EQ(info.st_ino, inode) << "a device is written in place, not replaced";
    ASSERT_EQ(after.size(), original.size());
    NvramImage parsed;
    ASSERT_EQ(NvramImage::Parse(after, parsed, /*checkBankAdler=*/false), kIOReturnSuccess);
    const NvramPartition& common = parsed.VariablesPartition();
    std::size_t changed = 0;
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i] == original[i]) continue;
        ++changed;
        EXPECT_TRUE(i >= common.offset + 16 && i < common.offset + common.size) << "byte " << i << " changed";
    }
    EXPECT_GT(changed, 0u);
    EXPECT_EQ(parsed.StoredValue("security-mode"), Bytes("full"));
    EXPECT_EQ(parsed.StoredValue("aapl,pci"), Bytes(std::string_view("\x01\xFF\x05\x02\xFF\x83\x07", 7)));
    EXPECT_EQ(parsed.Entries().size(), 11u);
    EXPECT_EQ(parsed.Entries().back().first, "security-password");

    // Without write permission on the device nothing changes.
    ::chmod(image_.c_str(), 0444);
    EXPECT_EQ(set("security-mode", "none"), kIOReturnNotPermitted);
    EXPECT_EQ(ReadFile(image_), after);
}

// Both programs' password writes, text or data, land in the same stored form.
TEST_F(NvramStoreTest, RegistryStoresEachVariableInItsOwnForm) {
    mach_port_t port;
    ASSERT_EQ(IOMasterPort(bootstrap_port, &port), kIOReturnSuccess);
    const io_registry_entry_t options = IORegistryEntryFromPath(port, "IODeviceTree:/options");
    ASSERT_NE(options, IO_OBJECT_NULL);
    const CFOwned<CFStringRef> passwordName(
        CFStringCreateWithCString(kCFAllocatorDefault, "security-password", kCFStringEncodingMacRoman));
    const CFOwned<CFStringRef> modeName(
        CFStringCreateWithCString(kCFAllocatorDefault, "security-mode", kCFStringEncodingMacRoman));
    const UInt8 encoded[] = {0x35, 0xFF, 0xFF, 0x8E, 0x01};
    const CFOwned<CFDataRef> asData(CFDataCreate(kCFAllocatorDefault, encoded, 5));
    const CFOwned<CFStringRef> asText(CFStringCreateWithBytes(kCFAllocatorDefault, encoded, 5,
                                                              kCFStringEncodingMacRoman, false));
    const std::vector<UInt8> expected = {0x35, 0xFF, 0x82, 0x8E, 0x01};

    ASSERT_EQ(IORegistryEntrySetCFProperty(options, passwordName.get(), asData.get()), kIOReturnSuccess);
    NvramImage image;
    ASSERT_EQ(File().Read(image), kIOReturnSuccess);
    EXPECT_EQ(image.StoredValue("security-password"), expected);
    ASSERT_EQ(IORegistryEntrySetCFProperty(options, passwordName.get(), asText.get()), kIOReturnSuccess);
    ASSERT_EQ(File().Read(image), kIOReturnSuccess);
    EXPECT_EQ(image.StoredValue("security-password"), expected);

    // The password reads back as data; the mode as text, whatever object set it.
    const CFOwned<CFTypeRef> password(IORegistryEntryCreateCFProperty(options, passwordName.get(), nullptr, 0));
    ASSERT_EQ(CFGetTypeID(password.get()), CFDataGetTypeID());
    EXPECT_EQ(CFDataGetLength(static_cast<CFDataRef>(password.get())), 5);
    const UInt8 full[] = {'f', 'u', 'l', 'l'};
    const CFOwned<CFDataRef> modeData(CFDataCreate(kCFAllocatorDefault, full, 4));
    ASSERT_EQ(IORegistryEntrySetCFProperty(options, modeName.get(), modeData.get()), kIOReturnSuccess);
    const CFOwned<CFTypeRef> mode(IORegistryEntryCreateCFProperty(options, modeName.get(), nullptr, 0));
    char text[8] = {};
    ASSERT_EQ(CFGetTypeID(mode.get()), CFStringGetTypeID());
    EXPECT_TRUE(CFStringGetCString(static_cast<CFStringRef>(mode.get()), text, sizeof text, kCFStringEncodingMacRoman));
    EXPECT_STREQ(text, "full");
    EXPECT_EQ(IOObjectRelease(options), kIOReturnSuccess);
    EXPECT_EQ(IOObjectRelease(options), kIOReturnBadArgument);
}

TEST_F(NvramStoreTest, DeviceTreeComesFromAFolderOrTheBuiltInMachine) {
    mach_port_t port;
    ASSERT_EQ(IOMasterPort(MACH_PORT_NULL, &port), kIOReturnSuccess);
    char buffer[100];
    UInt32 size = sizeof buffer;
    io_registry_entry_t bootROM = IORegistryEntryFromPath(port, "IODeviceTree:/rom/boot-rom");
    ASSERT_NE(bootROM, IO_OBJECT_NULL);
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "security-modes", buffer, &size), kIOReturnSuccess);
    IOObjectRelease(bootROM);

    fs::create_directories(folder_ / "tree/rom/boot-rom");
    ::setenv("KEELWARD_DEVICE_TREE", (folder_ / "tree").c_str(), 1);
    bootROM = IORegistryEntryFromPath(port, "IODeviceTree:/rom/boot-rom");
    ASSERT_NE(bootROM, IO_OBJECT_NULL);
    size = sizeof buffer;
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "security-modes", buffer, &size), kIOReturnNotFound);
    WriteFile(folder_ / "tree/rom/boot-rom/security-modes", Bytes(std::string_view("none\0full\0", 10)));
    size = sizeof buffer;
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "security-modes", buffer, &size), kIOReturnSuccess);
    EXPECT_EQ(size, 10u);
    size = 4;
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "security-modes", buffer, &size), kIOReturnNoSpace);
    size = sizeof buffer;
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "../boot-rom/security-modes", buffer, &size), kIOReturnNotFound);
    IOObjectRelease(bootROM);
    EXPECT_EQ(IORegistryEntryFromPath(port, "IODeviceTree:/rom/../rom/boot-rom"), IO_OBJECT_NULL);

    // /proc/device-tree names nodes with their unit addresses; a path without them
    // finds the one node of that name.
    fs::remove_all(folder_ / "tree");
    fs::create_directories(folder_ / "tree/rom@ff800000/boot-rom@fff00000");
    WriteFile(folder_ / "tree/rom@ff800000/boot-rom@fff00000/security-modes", Bytes("x"));
    bootROM = IORegistryEntryFromPath(port, "IODeviceTree:/rom/boot-rom");
    ASSERT_NE(bootROM, IO_OBJECT_NULL);
    size = sizeof buffer;
    EXPECT_EQ(IORegistryEntryGetProperty(bootROM, "security-modes", buffer, &size), kIOReturnSuccess);
    IOObjectRelease(bootROM);
    fs::create_directories(folder_ / "tree/rom@ff900000");  // now ambiguous
    EXPECT_EQ(IORegistryEntryFromPath(port, "IODeviceTree:/rom/boot-rom"), IO_OBJECT_NULL);
    EXPECT_EQ(IORegistryEntryFromPath(port, "IOService:/rom/boot-rom"), IO_OBJECT_NULL);
    ::unsetenv("KEELWARD_DEVICE_TREE");
}

}  // namespace
}  // namespace keelward
