// Firmware NVRAM images in the CHRP partition format, as firmware, the Linux kernel
// and emulators keep them.
//
// Partitions follow each other from offset 0, each starting with a 16-byte header:
// signature, header checksum, length in 16-byte blocks (big-endian, header
// included) and a 12-byte NUL-padded name. Firmware variables live in the 0x70
// partition "common" ("system" in emulators) as "name=value" entries, each closed by
// a NUL, with one more NUL after the last. An image whose first partition is the
// 0x5A "nvram" bank header (the two-bank flash layout) also carries a big-endian
// Adler-32 at 0x10 over bytes 0x14 to the end of the 8 KiB bank, and a generation
// count at 0x14.
#pragma once

#include <keelward/platform/IOKit/IOKitLib.h>

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace keelward {

struct NvramPartition {
    std::size_t offset;  // of the header
    std::size_t size;    // header included
    UInt8 signature;
    std::string name;
};

class NvramImage {
public:
    static constexpr std::size_t kHeaderSize = 16;
    static constexpr std::size_t kBankSize = 8192;
    static constexpr std::size_t kMaximumImageSize = 1 << 20;
    static constexpr UInt8 kBankHeaderSignature = 0x5A;
    static constexpr UInt8 kVariablesSignature = 0x70;
    static constexpr UInt8 kFreeSpaceSignature = 0x7F;
    static constexpr std::size_t kAdlerOffset = 0x10;
    static constexpr std::size_t kGenerationOffset = 0x14;

    // Validates the partition chain, every header checksum, the bank header's
    // Adler-32 (two-bank layout, unless `checkBankAdler` is false) and the variable
    // entries. kIOReturnBadMedia when any of them is broken; `out` is then left as it
    // was. A kernel's NVRAM device shows its working copy, whose bank header the
    // kernel only brings up to date when it commits to flash: its Adler-32 is not
    // checked.
    static kern_return_t Parse(std::vector<UInt8> bytes, NvramImage& out, bool checkBankAdler = true);

    // A fresh 8 KiB image in the two-bank layout: the bank header, a 2 KiB "common"
    // partition holding "security-mode=none", free space to the end.
    static std::vector<UInt8> Fresh();

    const std::vector<UInt8>& Bytes() const { return bytes_; }
    const std::vector<NvramPartition>& Partitions() const { return partitions_; }
    bool HasBankHeader() const { return hasBankHeader_; }
    const NvramPartition& VariablesPartition() const { return partitions_[variables_]; }

    // The bytes stored for `name` (data variables still escaped), or nothing.
    std::optional<std::vector<UInt8>> StoredValue(std::string_view name) const;
    // Every entry as stored, name and value split at the first '='; an entry without
    // '=' has an empty name (no lookup finds it) and its whole text as value.
    std::vector<std::pair<std::string, std::vector<UInt8>>> Entries() const;

    // Sets `name` to `stored` (already in stored form). A changed entry keeps its
    // place, a new one goes after the last; other entries keep their bytes and order
    // and the rest of the partition stays zero. kIOReturnBadArgument for a name that
    // is empty or holds '=' or NUL, or a value holding NUL; kIOReturnNoSpace when the
    // entries would not fit the partition. Nothing changes on failure.
    kern_return_t SetStoredValue(std::string_view name, std::span<const UInt8> stored);

    // Two-bank layout: bumps the generation, then recomputes the bank header's
    // checksum and Adler-32. Does nothing for other images.
    void SealBankHeader();

private:
    struct Entry {
        std::size_t offset;  // first byte
        std::size_t length;  // without the closing NUL
    };
    std::vector<Entry> ParseEntries() const;
    std::string_view EntryName(const Entry& entry) const;

    std::vector<UInt8> bytes_;
    std::vector<NvramPartition> partitions_;
    std::size_t variables_ = 0;
    bool hasBankHeader_ = false;
};

// The header checksum: the 8-bit sum, with end-around carry, of the signature and of
// header bytes 2 to 15.
UInt8 NvramHeaderChecksum(std::span<const UInt8> header);

// Data variables are stored escaped: each run of up to 127 bytes 0x00 (or 0xFF)
// becomes 0xFF followed by the run length (plus 0x80 for 0xFF), so that a value never
// holds the NUL that ends an entry.
std::vector<UInt8> NvramEscapeData(std::span<const UInt8> data);
// Reverses NvramEscapeData; nothing when an escape is cut short.
std::optional<std::vector<UInt8>> NvramUnescapeData(std::span<const UInt8> stored);

}  // namespace keelward
