// The store under faults: writers killed at random moments, a full or read-only
// filesystem, a folder that has gone. Each fault gives a clear status, and the image
// keeps every write that completed and nothing half-done.
#include "NvramTestImages.h"

#include <keelward/platform/IOKit/NvramStore.h>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace keelward {
namespace {

namespace fs = std::filesystem;

using testing::Bytes;
using testing::ReadFile;

class NvramFaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keelward-faults-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        image_ = folder_ / "nvram";
        ::setenv("KEELWARD_NVRAM", image_.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("KEELWARD_NVRAM");
        if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
        fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
        fs::remove_all(folder_);
    }
    NvramFile File() const { return NvramFile(NvramImageLocation()); }
    kern_return_t Set(std::string_view name, std::string_view value) const {
        return File().Update([&](NvramImage& image) { return image.SetStoredValue(name, Bytes(value)); });
    }
    std::vector<std::string> FolderEntries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder_)) names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    // Gives the test folder a small filesystem of its own, in a mount namespace of
    // this test's process, so that it can really be filled or made read-only. Needs
    // the privilege to mount; false without it.
    bool MountOwnFilesystem() {
        if (::unshare(CLONE_NEWNS) != 0) return false;
        if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) return false;
        mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k,mode=0700") == 0;
        return mounted_;
    }

    fs::path folder_;
    fs::path image_;
    bool mounted_ = false;
};

// Two steady writers set distinct variables while, one at a time, a victim counts
// its own variable up until it is killed at a random moment. Each writer reports
// every write that returned success through a pipe. Every reported write must be in
// the image, which must parse: a victim's variable holds its last reported count, or
// the next one when the kill came between the write and its report.
TEST_F(NvramFaultTest, WritersKilledAtRandomMomentsLoseNoCompletedWrite) {
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    constexpr int kSteadyWriters = 2;
    constexpr UInt32 kSteadyWrites = 60;  // "a59=1" and its NUL, 120 times: well inside 2 KiB
    constexpr int kVictims = 12;
    struct Report {
        char writer;
        UInt32 count;
    };
    int reports[2];
    ASSERT_EQ(::pipe(reports), 0);
    // A writer of `writes` distinct variables, or, for 0, a victim counting up its own.
    const auto startWriter = [&](char writer, UInt32 writes) {
        const pid_t child = ::fork();
        if (child != 0) return child;
        ::close(reports[0]);
        for (UInt32 i = writes == 0 ? 1 : 0; writes == 0 || i < writes; ++i) {
            const kern_return_t status = writes == 0 ? Set(std::string(1, writer), std::to_string(i))
                                                     : Set(writer + std::to_string(i), "1");
            if (status != kIOReturnSuccess) ::_exit(1);
            const Report report{writer, i};  // one write, shorter than the pipe's atomic size
            if (::write(reports[1], &report, sizeof report) != sizeof report) ::_exit(2);
        }
        ::_exit(0);
    };

    std::vector<pid_t> steady;
    for (int w = 0; w < kSteadyWriters; ++w) {
        steady.push_back(startWriter(static_cast<char>('a' + w), kSteadyWrites));
        ASSERT_GT(steady.back(), 0);
    }
    std::mt19937 random(std::random_device{}());
    for (int v = 0; v < kVictims; ++v) {
        const pid_t victim = startWriter(static_cast<char>('A' + v), 0);
        ASSERT_GT(victim, 0);
        std::this_thread::sleep_for(std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60'000)(random)));
        ::kill(victim, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(victim, &status, 0), victim);
        EXPECT_TRUE(WIFSIGNALED(status)) << "victim " << v << " failed a write";
    }
    for (const pid_t child : steady) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    ::close(reports[1]);
    std::set<std::string> steadyWrites;
    std::map<char, UInt32> victimCounts;
    Report report;
    while (::read(reports[0], &report, sizeof report) == sizeof report) {
        if (report.writer >= 'a') {
            steadyWrites.insert(report.writer + std::to_string(report.count));
        } else {
            victimCounts[report.writer] = std::max(victimCounts[report.writer], report.count);
        }
    }
    ::close(reports[0]);

    NvramImage image;
    ASSERT_EQ(File().Read(image), kIOReturnSuccess);
    EXPECT_EQ(steadyWrites.size(), std::size_t{kSteadyWriters * kSteadyWrites});
    for (const std::string& name : steadyWrites) {
        EXPECT_EQ(image.StoredValue(name), Bytes("1")) << name << " was lost";
    }
    for (int v = 0; v < kVictims; ++v) {
        const char writer = static_cast<char>('A' + v);
        const UInt32 reported = victimCounts[writer];
        const auto stored = image.StoredValue(std::string(1, writer));
        if (!stored) {
            EXPECT_EQ(reported, 0u) << writer << " lost its writes";
            continue;
        }
        const std::string text(stored->begin(), stored->end());
        EXPECT_TRUE(text == std::to_string(reported) || text == std::to_string(reported + 1))
            << writer << " holds " << text << " after reporting " << reported;
    }
    // A writer killed between writing its new file and renaming it leaves that file
    // behind; the next writer clears it.
    ASSERT_EQ(Set("after", "1"), kIOReturnSuccess);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
}

// A filesystem with no room for the new image: root fills a small one of its own;
// elsewhere a file size limit gives the same error to the write.
TEST_F(NvramFaultTest, FullFilesystemRefusesTheWriteAndKeepsTheImage) {
    const bool ownFilesystem = MountOwnFilesystem();
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    rlimit savedLimit{};
    const auto savedSignal = ::signal(SIGXFSZ, SIG_IGN);
    if (ownFilesystem) {
        std::ofstream filler(folder_ / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())) && filler.flush()) {
        }
    } else {
        ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &savedLimit), 0);
        rlimit limit = savedLimit;
        limit.rlim_cur = NvramImage::kBankSize / 2;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
    }
    const std::vector<UInt8> before = ReadFile(image_);

    EXPECT_EQ(Set("security-mode", "full"), kIOReturnNoSpace);
    EXPECT_EQ(ReadFile(image_), before);
    std::vector<std::string> expected{"nvram"};
    if (ownFilesystem) expected.insert(expected.begin(), "filler");
    EXPECT_EQ(FolderEntries(), expected) << "a partial new image was left behind";
    NvramImage image;
    EXPECT_EQ(File().Read(image), kIOReturnSuccess);

    if (ownFilesystem) {
        fs::remove(folder_ / "filler");
    } else {
        ::setrlimit(RLIMIT_FSIZE, &savedLimit);
    }
    ::signal(SIGXFSZ, savedSignal);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnSuccess);  // room again
}

// A read-only filesystem (root remounts its own one), or else a folder that cannot
// take the new image, refuses the write and leaves the image as it was.
TEST_F(NvramFaultTest, ReadOnlyFilesystemOrFolderRefusesTheWrite) {
    const bool ownFilesystem = MountOwnFilesystem();
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    const std::vector<UInt8> before = ReadFile(image_);
    if (ownFilesystem) {
        ASSERT_EQ(::mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    } else {
        if (::geteuid() == 0) GTEST_SKIP() << "root without the privilege to mount writes any folder";
        ::chmod(folder_.c_str(), 0555);
    }
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnNotPermitted);
    EXPECT_EQ(ReadFile(image_), before);
    EXPECT_EQ(FolderEntries(), std::vector<std::string>{"nvram"});
    NvramImage image;
    EXPECT_EQ(File().Read(image), kIOReturnSuccess);  // still readable
}

// The image's folder removed while in use: neither reading nor writing brings it
// back.
TEST_F(NvramFaultTest, FolderRemovedUnderTheStoreIsNotFound) {
    ASSERT_EQ(File().EnsureExists(), kIOReturnSuccess);
    fs::remove_all(folder_);
    EXPECT_EQ(Set("security-mode", "full"), kIOReturnNotFound);
    NvramImage image;
    EXPECT_EQ(File().Read(image), kIOReturnNotFound);
    EXPECT_FALSE(fs::exists(folder_));
    fs::create_directory(folder_);  // for TearDown
}

}  // namespace
}  // namespace keelward
