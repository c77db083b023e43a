// keelwardctl run as a program against NVRAM images in a scratch folder.
#include "NvramTestImages.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace keelward {
namespace {

namespace fs = std::filesystem;
using testing::Bytes;
using testing::ReadFile;
using testing::WriteFile;

struct Outcome {
    std::string output;
    int exitStatus = -1;
};

std::vector<UInt8> Encoded(std::string_view password) {
    std::vector<UInt8> bytes = Bytes(password);
    for (UInt8& byte : bytes) byte ^= 0x5D;
    return bytes;
}

class KeelwardctlTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/keelwardctl-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
        image_ = folder_ / "nvram";
    }
    void TearDown() override { fs::remove_all(folder_); }

    // Runs keelwardctl with `arguments` as its whole argument vector (argument 0
    // included) on the scratch image.
    Outcome Keelwardctl(std::vector<std::string> arguments, const char* program = KEELWARDCTL_PATH) const {
        int out[2];
        EXPECT_EQ(::pipe(out), 0);
        const std::string nvram = "KEELWARD_NVRAM=" + image_.string();
        const pid_t child = ::fork();
        if (child == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            std::vector<char*> argv;
            for (std::string& argument : arguments) argv.push_back(argument.data());
            argv.push_back(nullptr);
            char* envp[] = {const_cast<char*>(nvram.c_str()), nullptr};
            ::execve(program, argv.data(), envp);
            ::_exit(127);
        }
        ::close(out[1]);
        Outcome run;
        char chunk[256];
        for (ssize_t got; (got = ::read(out[0], chunk, sizeof chunk)) > 0;) run.output.append(chunk, std::size_t(got));
        ::close(out[0]);
        int status = 0;
        ::waitpid(child, &status, 0);
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return run;
    }
    Outcome Keelwardctl(std::initializer_list<std::string> options) const {
        std::vector<std::string> arguments = {"keelwardctl"};
        arguments.insert(arguments.end(), options);
        return Keelwardctl(arguments);
    }

    NvramImage Image() const {
        NvramImage image;
        EXPECT_EQ(NvramImage::Parse(ReadFile(image_), image), kIOReturnSuccess);
        return image;
    }
    std::optional<std::vector<UInt8>> Password() const {
        const std::optional<std::vector<UInt8>> stored = Image().StoredValue("security-password");
        return stored ? NvramUnescapeData(*stored) : std::nullopt;
    }
    std::optional<std::vector<UInt8>> Mode() const { return Image().StoredValue("security-mode"); }

    fs::path folder_;
    fs::path image_;
};

TEST_F(KeelwardctlTest, FreshStorePrintsNoneWithoutLineEnd) {
    const Outcome run = Keelwardctl({});
    EXPECT_EQ(run.output, "none");
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(ReadFile(image_), NvramImage::Fresh());
    EXPECT_EQ(Keelwardctl({"unknown", "-x", "pass", "mode"}).output, "none");  // anything else is ignored
    EXPECT_EQ(ReadFile(image_), NvramImage::Fresh());
}

TEST_F(KeelwardctlTest, SetsPasswordAndModeChangingNothingElse) {
    ASSERT_EQ(Keelwardctl({}).exitStatus, 0);
    const std::vector<UInt8> before = ReadFile(image_);
    const Outcome run = Keelwardctl({"-passhunter2", "-modefull"});
    EXPECT_EQ(run.output, "full");
    EXPECT_EQ(run.exitStatus, 0);
    const NvramImage image = Image();
    EXPECT_EQ(Mode(), Bytes("full"));
    EXPECT_EQ(Password(), Encoded("hunter2"));
    const NvramPartition& common = image.VariablesPartition();
    const std::vector<UInt8>& after = image.Bytes();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0x20; i < after.size(); ++i) {
        if (i >= common.offset + 16 && i < common.offset + common.size) continue;
        ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
}

TEST_F(KeelwardctlTest, ArgumentScanning) {
    struct Case {
        std::vector<std::string> arguments;  // argument 0 first
        std::string mode;                    // stored afterwards
        std::optional<std::string> password;
    };
    const std::string ninetySix(96, 'x');
    const Case cases[] = {
        {{"keelwardctl", "-modeFULL"}, "FULL", std::nullopt},  // written as typed
        {{"keelwardctl", "-modesecure"}, "secure", std::nullopt},
        {{"keelwardctl", "xx-modecommand"}, "command", std::nullopt},
        {{"keelwardctl", "abc-passsecret"}, "none", "asssecret"},  // the password starts at the sixth character
        {{"keelwardctl", "-passab-modefull"}, "full", "ab-modefull"},
        {{"keelwardctl", ninetySix + "-modefull"}, "none", std::nullopt},  // ends past the 100th character
        {{"keelwardctl", std::string(95, 'x') + "-modefull"}, "full", std::nullopt},
        {{"/opt/x-modecommand/keelwardctl"}, "command/keelwardctl", std::nullopt},  // argument 0 counts
        {{"keelwardctl", "-modecommand", "-modefull"}, "full", std::nullopt},
    };
    for (const Case& c : cases) {
        fs::remove(image_);
        const Outcome run = Keelwardctl(c.arguments);
        EXPECT_EQ(run.exitStatus, 0) << c.arguments.back();
        EXPECT_EQ(Mode(), Bytes(c.mode)) << c.arguments.back();
        EXPECT_EQ(run.output, c.mode);
        if (c.password) {
            EXPECT_EQ(Password(), Encoded(*c.password)) << c.arguments.back();
        } else {
            EXPECT_FALSE(Password().has_value()) << c.arguments.back();
        }
    }
}

TEST_F(KeelwardctlTest, RefusedPasswordsWriteNothingAndTheLastWriteDecidesTheStatus) {
    constexpr int kBadArgument = 0xC2;  // low byte of the registry's bad-argument status
    const std::string hundred(100, 'p');
    const std::string ninetyNine(99, 'p');
    ASSERT_EQ(Keelwardctl({}).exitStatus, 0);
    const std::vector<UInt8> fresh = ReadFile(image_);

    EXPECT_EQ(Keelwardctl({"-passab]cd"}).exitStatus, kBadArgument);  // the mask byte
    EXPECT_EQ(Keelwardctl({"-pass" + hundred}).exitStatus, kBadArgument);
    EXPECT_EQ(ReadFile(image_), fresh);

    EXPECT_EQ(Keelwardctl({"-pass" + ninetyNine}).exitStatus, 0);
    EXPECT_EQ(Password(), Encoded(ninetyNine));
    EXPECT_EQ(Keelwardctl({"-passab]cd", "-modecommand"}).exitStatus, 0);
    EXPECT_EQ(Keelwardctl({"-modecommand", "-passab]cd"}).exitStatus, kBadArgument);
    EXPECT_EQ(Mode(), Bytes("command"));
    EXPECT_EQ(Password(), Encoded(ninetyNine));
}

TEST_F(KeelwardctlTest, LongStoredModePrintsBad) {
    EXPECT_EQ(Keelwardctl({"-mode" + std::string(49, 'm')}).output, std::string(49, 'm'));
    const Outcome run = Keelwardctl({"-mode" + std::string(50, 'm')});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.output, "bad");
    EXPECT_EQ(Mode(), Bytes(std::string(50, 'm')));
}

TEST_F(KeelwardctlTest, BrokenOrUnwritableStoreFailsAndStaysByteIdentical) {
    constexpr int kBadMedia = 0xD1;
    constexpr int kNotPermitted = 0xE2;
    std::vector<UInt8> corrupt = NvramImage::Fresh();
    corrupt[0x30] ^= 0xFF;
    WriteFile(image_, corrupt);
    Outcome run = Keelwardctl({"-passhunter2", "-modefull"});
    EXPECT_EQ(run.output, "bad");
    EXPECT_EQ(run.exitStatus, kBadMedia);
    EXPECT_EQ(Keelwardctl({}).exitStatus, 0);  // nothing written: nothing failed
    EXPECT_EQ(ReadFile(image_), corrupt);

    WriteFile(image_, NvramImage::Fresh());
    ::chmod(image_.c_str(), 0444);
    run = Keelwardctl({"-modefull"});
    EXPECT_EQ(run.output, "none");
    EXPECT_EQ(run.exitStatus, kNotPermitted);
    EXPECT_EQ(ReadFile(image_), NvramImage::Fresh());

    // An explicit image in a missing folder: not created, and the write fails.
    ::chmod(image_.c_str(), 0644);
    fs::remove(image_);
    image_ = folder_ / "missing" / "nvram";
    run = Keelwardctl({"-modefull"});
    EXPECT_EQ(run.output, "bad");
    EXPECT_EQ(run.exitStatus, 0xF0);  // not found
    EXPECT_FALSE(fs::exists(image_.parent_path()));
}

// A PowerPC Macintosh's /dev/nvram, played by a regular file through the test build
// that handles images as the device: only the changed variables' bytes move.
TEST_F(KeelwardctlTest, DevicePathChangesOnlyTheVariables) {
    const std::vector<UInt8> original = testing::MacintoshNvram();
    WriteFile(image_, original);
    const Outcome run = Keelwardctl({"keelwardctl", "-passhunter2", "-modecommand"}, KEELWARDCTL_DEVICE_SEAM_PATH);
    EXPECT_EQ(run.output, "command");
    EXPECT_EQ(run.exitStatus, 0);
    const std::vector<UInt8> after = ReadFile(image_);
    NvramImage image;
    ASSERT_EQ(NvramImage::Parse(after, image, /*checkBankAdler=*/false), kIOReturnSuccess);
    const NvramPartition& common = image.VariablesPartition();
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= common.offset + 16 && i < common.offset + common.size) continue;
        ASSERT_EQ(after[i], original[i]) << "byte " << i << " outside the variables changed";
    }
    EXPECT_EQ(image.StoredValue("security-mode"), Bytes("command"));
    EXPECT_EQ(NvramUnescapeData(*image.StoredValue("security-password")), Encoded("hunter2"));
    EXPECT_EQ(image.StoredValue("boot-device"), Bytes("hd:,\\\\:tbxi"));
}

TEST_F(KeelwardctlTest, ConcurrentRunsAllSucceedAndLeaveAValidImage) {
    ASSERT_EQ(Keelwardctl({}).exitStatus, 0);
    constexpr int kProcesses = 4;
    constexpr int kRunsEach = 10;
    std::vector<pid_t> children;
    for (int p = 0; p < kProcesses; ++p) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            int failures = 0;
            for (int i = 0; i < kRunsEach; ++i) {
                const std::string option = p % 2 == 0 ? "-modecommand" : "-passp" + std::to_string(p);
                if (Keelwardctl({option}).exitStatus != 0) ++failures;
            }
            ::_exit(failures);
        }
        children.push_back(child);
    }
    for (const pid_t child : children) {
        int status = 0;
        ::waitpid(child, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    // Every mode write and every password write survived the others.
    EXPECT_EQ(Mode(), Bytes("command"));
    const std::optional<std::vector<UInt8>> password = Password();
    ASSERT_TRUE(password.has_value());
    EXPECT_TRUE(*password == Encoded("p1") || *password == Encoded("p3"));
    EXPECT_EQ(Image().Bytes()[0x17], 1 + kProcesses * kRunsEach);
}

}  // namespace
}  // namespace keelward
