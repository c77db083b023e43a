#include "NvramTestImages.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <string>

namespace keelward {
namespace {

using testing::Bytes;
using testing::ImageBuilder;

// An emulator-style image: no bank header, variables in "system", other partitions around.
std::vector<UInt8> EmulatorImage() {
    using namespace std::string_view_literals;
    return ImageBuilder()
        .Partition(0x50, "of-config", 64, "\x01\x02\x03"sv)
        .Partition(0x70, "system", 256, "auto-boot?=true\0boot-device=hd:,\\\\:tbxi\0\0"sv)
        .Partition(0x7F, "wwwwwwwwwwww", 192)
        .Build();
}

NvramImage Parsed(std::vector<UInt8> bytes) {
    NvramImage image;
    EXPECT_EQ(NvramImage::Parse(std::move(bytes), image), kIOReturnSuccess);
    return image;
}

TEST(NvramImage, HeaderChecksumAddsWithEndAroundCarry) {
    // 0x70 + 0x00 + 0x02 + "common" = 0x2FB, folded: 0xFB + 0x02 = 0xFD; byte 1 is left out.
    UInt8 header[16] = {0x70, 0xAA, 0x00, 0x02, 'c', 'o', 'm', 'm', 'o', 'n'};
    EXPECT_EQ(NvramHeaderChecksum(header), 0xFD);
    UInt8 all[16];
    std::memset(all, 0xFF, sizeof all);
    EXPECT_EQ(NvramHeaderChecksum(all), 0xFF);  // 15 * 0xFF folds back to 0xFF
}

TEST(NvramImage, DataEscapingRoundTripsEveryRun) {
    struct Case {
        std::vector<UInt8> data;
        std::vector<UInt8> stored;
    };
    std::vector<UInt8> longZeros(130, 0x00);
    const Case cases[] = {
        {{}, {}},
        {{'a', 'b'}, {'a', 'b'}},
        {{0x00}, {0xFF, 0x01}},
        {{0xFF, 0xFF, 0xFF}, {0xFF, 0x83}},
        {{'x', 0x00, 0x00, 'y', 0xFF}, {'x', 0xFF, 0x02, 'y', 0xFF, 0x81}},
        {longZeros, {0xFF, 127, 0xFF, 3}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(NvramEscapeData(c.data), c.stored);
        EXPECT_EQ(NvramUnescapeData(c.stored), c.data);
    }
    std::vector<UInt8> every(256);
    for (int i = 0; i < 256; ++i) every[static_cast<std::size_t>(i)] = static_cast<UInt8>(i);
    const std::vector<UInt8> stored = NvramEscapeData(every);
    EXPECT_EQ(std::find(stored.begin(), stored.end(), 0), stored.end());
    EXPECT_EQ(NvramUnescapeData(stored), every);
    EXPECT_FALSE(NvramUnescapeData(std::vector<UInt8>{'a', 0xFF}).has_value());
}

TEST(NvramImage, FreshImageHasTheTwoBankLayout) {
    const NvramImage image = Parsed(NvramImage::Fresh());
    ASSERT_EQ(image.Bytes().size(), 8192u);
    ASSERT_EQ(image.Partitions().size(), 3u);
    EXPECT_TRUE(image.HasBankHeader());
    EXPECT_EQ(image.Partitions()[0].signature, 0x5A);
    EXPECT_EQ(image.Partitions()[0].size, 32u);
    EXPECT_EQ(image.Partitions()[1].name, "common");
    EXPECT_EQ(image.Partitions()[1].size, 2048u);
    EXPECT_EQ(image.Partitions()[2].signature, 0x7F);
    EXPECT_EQ(image.Partitions()[2].name, "wwwwwwwwwwww");
    EXPECT_EQ(image.StoredValue("security-mode"), Bytes("none"));
    const auto& bytes = image.Bytes();
    const uLong adler = adler32(adler32(0, Z_NULL, 0), bytes.data() + 0x14, 8192 - 0x14);
    EXPECT_EQ((UInt32(bytes[0x10]) << 24 | UInt32(bytes[0x11]) << 16 | UInt32(bytes[0x12]) << 8 | bytes[0x13]), adler);
}

TEST(NvramImage, BrokenImagesAreRefused) {
    std::vector<std::pair<std::string, std::vector<UInt8>>> broken;
    broken.emplace_back("empty", std::vector<UInt8>{});
    broken.emplace_back("shorter than a header", std::vector<UInt8>(15, 0));
    auto image = NvramImage::Fresh();
    image[0x21] ^= 1;  // checksum of "common"
    broken.emplace_back("header checksum", image);
    image = NvramImage::Fresh();
    image[0x40] ^= 1;  // a variable byte, covered by the bank's Adler-32
    broken.emplace_back("Adler-32", image);
    image = NvramImage::Fresh();
    image.resize(8192 - 16);  // the last partition runs past the end
    broken.emplace_back("chain past the end", image);
    image = EmulatorImage();
    image.push_back(0);  // a tail too short for a header
    broken.emplace_back("trailing bytes", image);
    broken.emplace_back("no variables partition",
                        ImageBuilder().Partition(0x50, "common", 32).Partition(0x7F, "wwwwwwwwwwww", 32).Build());
    broken.emplace_back("zero-length partition", ImageBuilder().Partition(0x70, "common", 0).Build());
    broken.emplace_back("entry without its NUL",
                        ImageBuilder().Partition(0x70, "common", 32, "abcdefghijklmnop").Build());
    for (auto& [what, bytes] : broken) {
        NvramImage parsed = Parsed(EmulatorImage());
        EXPECT_EQ(NvramImage::Parse(bytes, parsed), kIOReturnBadMedia) << what;
        EXPECT_EQ(parsed.Bytes(), EmulatorImage()) << "a refused parse must leave the image alone: " << what;
    }
}

TEST(NvramImage, WritingChangesOnlyTheOneVariable) {
    const std::vector<UInt8> original = EmulatorImage();
    NvramImage image = Parsed(original);
    ASSERT_EQ(image.VariablesPartition().name, "system");

    // A changed entry keeps its place; others keep bytes and order.
    ASSERT_EQ(image.SetStoredValue("auto-boot?", Bytes("false")), kIOReturnSuccess);
    // A new one goes after the last.
    ASSERT_EQ(image.SetStoredValue("security-mode", Bytes("full")), kIOReturnSuccess);
    const auto entries = image.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], std::make_pair(std::string("auto-boot?"), Bytes("false")));
    EXPECT_EQ(entries[1], std::make_pair(std::string("boot-device"), Bytes("hd:,\\\\:tbxi")));
    EXPECT_EQ(entries[2], std::make_pair(std::string("security-mode"), Bytes("full")));

    const auto& bytes = image.Bytes();
    ASSERT_EQ(bytes.size(), original.size());
    const NvramPartition& variables = image.VariablesPartition();
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i >= variables.offset + 16 && i < variables.offset + variables.size) continue;
        ASSERT_EQ(bytes[i], original[i]) << "byte " << i << " outside the variables changed";
    }
    const std::string expectedRun("auto-boot?=false\0boot-device=hd:,\\\\:tbxi\0security-mode=full\0\0", 60);
    EXPECT_EQ(std::memcmp(bytes.data() + variables.offset + 16, expectedRun.data(), expectedRun.size()), 0);
    for (std::size_t i = variables.offset + 16 + expectedRun.size(); i < variables.offset + variables.size; ++i) {
        ASSERT_EQ(bytes[i], 0) << "the space after the entries stays zero";
    }
    // Shrinking an entry leaves zeros behind, not the old tail.
    ASSERT_EQ(image.SetStoredValue("boot-device", Bytes("x")), kIOReturnSuccess);
    const NvramImage reparsed = Parsed(image.Bytes());
    EXPECT_EQ(reparsed.StoredValue("boot-device"), Bytes("x"));
    EXPECT_EQ(reparsed.StoredValue("security-mode"), Bytes("full"));
}

TEST(NvramImage, RefusedWritesChangeNothing) {
    NvramImage image = Parsed(EmulatorImage());
    const std::vector<UInt8> before = image.Bytes();
    // 256-byte partition: 240 bytes for entries, 41 taken with the closing NUL.
    EXPECT_EQ(image.SetStoredValue("big", std::vector<UInt8>(240 - 41 - 4, 'v')), kIOReturnNoSpace);
    EXPECT_EQ(image.SetStoredValue("", Bytes("x")), kIOReturnBadArgument);
    EXPECT_EQ(image.SetStoredValue("a=b", Bytes("x")), kIOReturnBadArgument);
    EXPECT_EQ(image.SetStoredValue("nul", std::vector<UInt8>{'a', 0, 'b'}), kIOReturnBadArgument);
    EXPECT_EQ(image.Bytes(), before);
    // Exactly full, with the closing NUL, still fits.
    EXPECT_EQ(image.SetStoredValue("big", std::vector<UInt8>(240 - 41 - 5, 'v')), kIOReturnSuccess);
}

TEST(NvramImage, SealingBumpsTheGenerationAndKeepsTheImageValid) {
    NvramImage image = Parsed(NvramImage::Fresh());
    ASSERT_EQ(image.SetStoredValue("security-mode", Bytes("command")), kIOReturnSuccess);
    NvramImage unsealed;
    EXPECT_EQ(NvramImage::Parse(image.Bytes(), unsealed), kIOReturnBadMedia);  // Adler-32 now stale
    image.SealBankHeader();
    const NvramImage sealed = Parsed(image.Bytes());
    EXPECT_EQ(sealed.Bytes()[0x17], 2);  // generation 1 -> 2
    EXPECT_EQ(sealed.StoredValue("security-mode"), Bytes("command"));
}

}  // namespace
}  // namespace keelward
