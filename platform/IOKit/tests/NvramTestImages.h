// NVRAM images for tests, built partition by partition, and the file helpers the
// store's tests share.
#pragma once

#include <keelward/platform/IOKit/NvramImage.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string_view>
#include <vector>

namespace keelward::testing {

inline std::vector<UInt8> Bytes(std::string_view text) { return std::vector<UInt8>(text.begin(), text.end()); }

inline std::vector<UInt8> ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<UInt8>(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const std::filesystem::path& path, const std::vector<UInt8>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

class ImageBuilder {
public:
    // Appends a partition of `size` bytes (header included) with a correct header
    // checksum and `body` at the start of its data.
    ImageBuilder& Partition(UInt8 signature, std::string_view name, std::size_t size, std::string_view body = {}) {
        const std::size_t offset = bytes_.size();
        bytes_.resize(offset + std::max<std::size_t>(size, 16), 0);  // a header even when its length says 0
        UInt8* header = bytes_.data() + offset;
        header[0] = signature;
        header[2] = static_cast<UInt8>((size / 16) >> 8);
        header[3] = static_cast<UInt8>(size / 16);
        std::memcpy(header + 4, name.data(), std::min<std::size_t>(name.size(), 12));
        header[1] = NvramHeaderChecksum(std::span(header, 16));
        if (!body.empty()) std::memcpy(header + 16, body.data(), body.size());
        return *this;
    }
    // Two-bank layout: the generation count and the Adler-32 of the bank.
    ImageBuilder& SealBank(UInt32 generation) {
        auto put = [&](std::size_t at, UInt32 value) {
            for (int i = 0; i < 4; ++i) bytes_[at + std::size_t(i)] = static_cast<UInt8>(value >> (24 - 8 * i));
        };
        put(0x14, generation);
        const std::size_t end = std::min<std::size_t>(bytes_.size(), 8192);
        put(0x10, static_cast<UInt32>(adler32(adler32(0, Z_NULL, 0), bytes_.data() + 0x14, uInt(end - 0x14))));
        return *this;
    }
    std::vector<UInt8> Build() const { return bytes_; }

private:
    std::vector<UInt8> bytes_;
};

// The 8 KiB bank as a PowerPC Macintosh's /dev/nvram shows it: the bank header, the
// Mac OS partition, the firmware variables (text and escaped data among them) and
// free space.
inline std::vector<UInt8> MacintoshNvram() {
    using namespace std::string_view_literals;
    const std::string_view variables =
        "little-endian?=false\0real-mode?=false\0auto-boot?=true\0diag-switch?=false\0"
        "boot-device=hd:,\\\\:tbxi\0boot-args=\0input-device=keyboard\0output-device=screen\0"
        "security-mode=none\0aapl,pci=\x01\xFF\x05\x02\xFF\x83\x07\0\0"sv;
    return ImageBuilder()
        .Partition(0x5A, "nvram", 32)
        .Partition(0x70, "common", 2048, variables)
        .Partition(0x50, "APL,MacOS75", 1792, "\x00\x11\x22\x33\x44\x55"sv)
        .Partition(0x7F, "wwwwwwwwwwww", 8192 - 32 - 2048 - 1792)
        .SealBank(0x2A)
        .Build();
}

}  // namespace keelward::testing
