#include <keelward/platform/IOKit/NvramImage.h>

#include <zlib.h>

#include <algorithm>
#include <cstring>

namespace keelward {
namespace {

constexpr std::string_view kBankHeaderName = "nvram";
constexpr std::string_view kFreeSpaceName = "wwwwwwwwwwww";
constexpr std::size_t kFreshVariablesSize = 2048;
constexpr UInt8 kEscape = 0xFF;
constexpr std::size_t kLongestRun = 127;

UInt16 ReadBig16(const UInt8* p) { return static_cast<UInt16>((p[0] << 8) | p[1]); }
UInt32 ReadBig32(const UInt8* p) {
    return (UInt32(p[0]) << 24) | (UInt32(p[1]) << 16) | (UInt32(p[2]) << 8) | UInt32(p[3]);
}
void WriteBig32(UInt8* p, UInt32 value) {
    p[0] = static_cast<UInt8>(value >> 24);
    p[1] = static_cast<UInt8>(value >> 16);
    p[2] = static_cast<UInt8>(value >> 8);
    p[3] = static_cast<UInt8>(value);
}

std::string HeaderName(const UInt8* header) {
    const char* name = reinterpret_cast<const char*>(header + 4);
    return std::string(name, strnlen(name, 12));
}

void WriteHeader(std::vector<UInt8>& bytes, std::size_t offset, UInt8 signature, std::size_t size,
                 std::string_view name) {
    UInt8* header = bytes.data() + offset;
    header[0] = signature;
    header[2] = static_cast<UInt8>((size / 16) >> 8);
    header[3] = static_cast<UInt8>(size / 16);
    std::memset(header + 4, 0, 12);
    std::memcpy(header + 4, name.data(), std::min<std::size_t>(name.size(), 12));
    header[1] = NvramHeaderChecksum(std::span(header, 16));
}

// Adler-32 of the bank from the generation count to its end.
UInt32 BankAdler32(const std::vector<UInt8>& bytes) {
    const std::size_t end = std::min(bytes.size(), NvramImage::kBankSize);
    const UInt8* start = bytes.data() + NvramImage::kGenerationOffset;
    return static_cast<UInt32>(adler32(adler32(0L, Z_NULL, 0), start,
                                       static_cast<uInt>(end - NvramImage::kGenerationOffset)));
}

}  // namespace

UInt8 NvramHeaderChecksum(std::span<const UInt8> header) {
    unsigned sum = header[0];
    for (std::size_t i = 2; i < NvramImage::kHeaderSize; ++i) sum += header[i];
    while (sum > 0xFF) sum = (sum & 0xFF) + (sum >> 8);
    return static_cast<UInt8>(sum);
}

std::vector<UInt8> NvramEscapeData(std::span<const UInt8> data) {
    std::vector<UInt8> out;
    out.reserve(data.size());
    for (std::size_t i = 0; i < data.size();) {
        const UInt8 byte = data[i];
        if (byte != 0x00 && byte != 0xFF) {
            out.push_back(byte);
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (run < kLongestRun && i + run < data.size() && data[i + run] == byte) ++run;
        out.push_back(kEscape);
        out.push_back(static_cast<UInt8>(run | (byte == 0xFF ? 0x80 : 0x00)));
        i += run;
    }
    return out;
}

std::optional<std::vector<UInt8>> NvramUnescapeData(std::span<const UInt8> stored) {
    std::vector<UInt8> out;
    out.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i] != kEscape) {
            out.push_back(stored[i]);
            continue;
        }
        if (++i == stored.size()) return std::nullopt;
        const UInt8 code = stored[i];
        out.insert(out.end(), code & 0x7F, (code & 0x80) != 0 ? 0xFF : 0x00);
    }
    return out;
}

kern_return_t NvramImage::Parse(std::vector<UInt8> bytes, NvramImage& out, bool checkBankAdler) {
    NvramImage image;
    if (bytes.size() < kHeaderSize || bytes.size() > kMaximumImageSize) return kIOReturnBadMedia;
    for (std::size_t offset = 0; offset < bytes.size();) {
        if (bytes.size() - offset < kHeaderSize) return kIOReturnBadMedia;
        const UInt8* header = bytes.data() + offset;
        const std::size_t size = std::size_t{ReadBig16(header + 2)} * 16;
        if (size == 0 || size > bytes.size() - offset) return kIOReturnBadMedia;
        if (header[1] != NvramHeaderChecksum(std::span(header, kHeaderSize))) return kIOReturnBadMedia;
        image.partitions_.push_back(NvramPartition{offset, size, header[0], HeaderName(header)});
        offset += size;
    }

    const NvramPartition& first = image.partitions_.front();
    image.hasBankHeader_ = first.signature == kBankHeaderSignature && first.name == kBankHeaderName;
    if (image.hasBankHeader_) {
        if (first.size < 2 * kHeaderSize) return kIOReturnBadMedia;
        if (checkBankAdler && ReadBig32(bytes.data() + kAdlerOffset) != BankAdler32(bytes)) return kIOReturnBadMedia;
    }

    // Firmware keeps its variables in "common"; emulators name the partition "system".
    const auto variablesNamed = [&](std::string_view name) {
        return std::find_if(image.partitions_.begin(), image.partitions_.end(), [&](const NvramPartition& p) {
            return p.signature == kVariablesSignature && p.name == name;
        });
    };
    auto variables = variablesNamed("common");
    if (variables == image.partitions_.end()) variables = variablesNamed("system");
    if (variables == image.partitions_.end()) return kIOReturnBadMedia;
    image.variables_ = static_cast<std::size_t>(variables - image.partitions_.begin());

    image.bytes_ = std::move(bytes);
    const NvramPartition& region = image.VariablesPartition();
    const UInt8* start = image.bytes_.data() + region.offset + kHeaderSize;
    const UInt8* end = image.bytes_.data() + region.offset + region.size;
    // Every entry up to the empty one must be closed by a NUL inside the partition.
    for (const UInt8* p = start; p < end && *p != 0;) {
        const UInt8* nul = std::find(p, end, UInt8{0});
        if (nul == end) return kIOReturnBadMedia;
        p = nul + 1;
    }
    out = std::move(image);
    return kIOReturnSuccess;
}

std::vector<UInt8> NvramImage::Fresh() {
    std::vector<UInt8> bytes(kBankSize, 0);
    WriteHeader(bytes, 0, kBankHeaderSignature, 2 * kHeaderSize, kBankHeaderName);
    WriteHeader(bytes, 2 * kHeaderSize, kVariablesSignature, kFreshVariablesSize, "common");
    const std::size_t freeOffset = 2 * kHeaderSize + kFreshVariablesSize;
    WriteHeader(bytes, freeOffset, kFreeSpaceSignature, kBankSize - freeOffset, kFreeSpaceName);
    constexpr std::string_view kEntry = "security-mode=none";
    std::memcpy(bytes.data() + 3 * kHeaderSize, kEntry.data(), kEntry.size());
    WriteBig32(bytes.data() + kGenerationOffset, 1);
    WriteBig32(bytes.data() + kAdlerOffset, BankAdler32(bytes));
    return bytes;
}

std::vector<NvramImage::Entry> NvramImage::ParseEntries() const {
    std::vector<Entry> entries;
    const NvramPartition& region = VariablesPartition();
    const std::size_t end = region.offset + region.size;
    for (std::size_t p = region.offset + kHeaderSize; p < end && bytes_[p] != 0;) {
        const auto nul = static_cast<std::size_t>(
            std::find(bytes_.begin() + static_cast<std::ptrdiff_t>(p), bytes_.begin() + static_cast<std::ptrdiff_t>(end),
                      UInt8{0}) -
            bytes_.begin());
        entries.push_back(Entry{p, nul - p});
        p = nul + 1;
    }
    return entries;
}

std::string_view NvramImage::EntryName(const Entry& entry) const {
    const std::string_view text(reinterpret_cast<const char*>(bytes_.data() + entry.offset), entry.length);
    const std::size_t equals = text.find('=');
    // An entry without '=' has no name that a lookup could match.
    return equals == std::string_view::npos ? std::string_view() : text.substr(0, equals);
}

std::optional<std::vector<UInt8>> NvramImage::StoredValue(std::string_view name) const {
    if (name.empty()) return std::nullopt;
    for (const Entry& entry : ParseEntries()) {
        if (EntryName(entry) == name) {
            const UInt8* value = bytes_.data() + entry.offset + name.size() + 1;
            return std::vector<UInt8>(value, bytes_.data() + entry.offset + entry.length);
        }
    }
    return std::nullopt;
}

std::vector<std::pair<std::string, std::vector<UInt8>>> NvramImage::Entries() const {
    std::vector<std::pair<std::string, std::vector<UInt8>>> out;
    for (const Entry& entry : ParseEntries()) {
        const std::string_view name = EntryName(entry);
        const UInt8* text = bytes_.data() + entry.offset;
        const std::size_t valueStart = name.empty() ? 0 : name.size() + 1;
        out.emplace_back(std::string(name), std::vector<UInt8>(text + valueStart, text + entry.length));
    }
    return out;
}

kern_return_t NvramImage::SetStoredValue(std::string_view name, std::span<const UInt8> stored) {
    if (name.empty() || name.find('=') != std::string_view::npos || name.find('\0') != std::string_view::npos ||
        std::find(stored.begin(), stored.end(), UInt8{0}) != stored.end()) {
        return kIOReturnBadArgument;
    }
    std::vector<UInt8> entry(name.begin(), name.end());
    entry.push_back('=');
    entry.insert(entry.end(), stored.begin(), stored.end());

    // The new run of entries: the old ones byte for byte, the changed one in its place.
    std::vector<UInt8> run;
    bool replaced = false;
    for (const Entry& old : ParseEntries()) {
        const UInt8* begin = bytes_.data() + old.offset;
        if (!replaced && EntryName(old) == name) {
            run.insert(run.end(), entry.begin(), entry.end());
            replaced = true;
        } else {
            run.insert(run.end(), begin, begin + old.length);
        }
        run.push_back(0);
    }
    if (!replaced) {
        run.insert(run.end(), entry.begin(), entry.end());
        run.push_back(0);
    }
    run.push_back(0);  // the empty entry that ends the run

    const NvramPartition& region = VariablesPartition();
    const std::size_t capacity = region.size - kHeaderSize;
    if (run.size() > capacity) return kIOReturnNoSpace;
    UInt8* data = bytes_.data() + region.offset + kHeaderSize;
    std::copy(run.begin(), run.end(), data);
    std::fill(data + run.size(), data + capacity, UInt8{0});
    UInt8* header = bytes_.data() + region.offset;
    header[1] = NvramHeaderChecksum(std::span(header, kHeaderSize));
    return kIOReturnSuccess;
}

void NvramImage::SealBankHeader() {
    if (!hasBankHeader_) return;
    WriteBig32(bytes_.data() + kGenerationOffset, ReadBig32(bytes_.data() + kGenerationOffset) + 1);
    bytes_[1] = NvramHeaderChecksum(std::span(bytes_.data(), kHeaderSize));
    WriteBig32(bytes_.data() + kAdlerOffset, BankAdler32(bytes_));
}

}  // namespace keelward
