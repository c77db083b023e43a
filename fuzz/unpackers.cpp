// Both unpackers over any format (their directive letters and any other byte), with
// the destinations each letter takes, counts and capacities from zero to the largest,
// and data of any length. The data and every destination
// live in heap blocks of exactly their size, so that any read outside the data or
// write outside a destination is caught; the result must match a walk of the format
// done here, and what is stored must stay within the data and the capacities.
#include <keelward/buffers/Pack.h>
#include <keelward/buffers/PackData.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "VariableArguments.h"

using namespace keelward;

namespace {

using testing::Argument;
using testing::Arguments;
using testing::Dispatch;
using testing::kMaxArguments;

void Check(bool condition) {
    if (!condition) std::abort();
}


// Exact-size heap blocks, filled with a marker so that stored bytes can be told apart.
class Blocks {
public:
    UInt8* Make(std::size_t inSize) {
        mBlocks.emplace_back(new UInt8[inSize]);
        std::fill_n(mBlocks.back().get(), inSize, kFill);
        return mBlocks.back().get();
    }
    static constexpr UInt8 kFill = 0xEE;

private:
    std::vector<std::unique_ptr<UInt8[]>> mBlocks;
};

// The input is "<D or P><format>\n<data>": "D" picks UnpackData, anything else
// Unpack. In the format, a count or capacity follows its letter as ":<decimal>"
// (none is 0), and "!" before a letter passes a null destination; so "Dn:3s:8\n..."
// unpacks a 3-byte run and a string into 8 bytes.
class PackedInput {
public:
    PackedInput(const uint8_t* inData, size_t inSize) {
        const auto* newline = static_cast<const uint8_t*>(std::memchr(inData, '\n', inSize));
        const size_t formatEnd = newline != nullptr ? static_cast<size_t>(newline - inData) : inSize;
        mFormat.assign(reinterpret_cast<const char*>(inData), formatEnd);
        mData.assign(inData + std::min(inSize, formatEnd + 1), inData + inSize);
    }
    bool AtEnd() const { return mAt >= mFormat.size(); }
    char Next() { return mFormat[mAt++]; }
    bool NullNext() {
        const bool null = !AtEnd() && mFormat[mAt] == '!';
        if (null) ++mAt;
        return null;
    }
    UInt32 Amount() {
        if (AtEnd() || mFormat[mAt] != ':') return 0;
        UInt32 value = 0;
        for (++mAt; !AtEnd() && mFormat[mAt] >= '0' && mFormat[mAt] <= '9'; ++mAt) {
            value = value * 10 + static_cast<UInt32>(mFormat[mAt] - '0');
        }
        return value;
    }
    const std::vector<UInt8>& Data() const { return mData; }

private:
    std::string mFormat;
    std::size_t mAt = 1;
    std::vector<UInt8> mData;
};

// Destination block size for a count or capacity: the amount itself, or, when it is
// too large to allocate, the most a correct unpacker can store from the data.
std::size_t BlockFor(UInt32 inAmount, const PackedInput& inSpec) {
    return inAmount <= 4096 ? inAmount : inSpec.Data().size() + 1;
}

struct Directive {
    char letter;
    UInt32 count = 0;     // "n" "N" "l" "i" count, "S" field size
    UInt32 capacity = 0;  // "p" "s" "S"
    UInt8* dest = nullptr;
    UInt8* second = nullptr;  // Unpack "s": the length
};

UInt32 DigitOrReversedWidth(char inLetter) {
    if (inLetter >= '1' && inLetter <= '9') return static_cast<UInt32>(inLetter - '0');
    const char* reversed = std::strchr("@#$%^&*(", inLetter);
    return inLetter != '\0' && reversed != nullptr ? static_cast<UInt32>(reversed - "@#$%^&*(") + 2 : 0;
}

void FuzzUnpackData(PackedInput& input, Blocks& blocks) {
    std::vector<Directive> directives;
    Arguments args;
    std::string format;
    while (!input.AtEnd()) {
        const bool null = input.NullNext();
        if (input.AtEnd()) break;
        Directive d{input.Next()};
        if (d.letter == '\0') break;
        const bool counted = std::strchr("nNlps", d.letter) != nullptr;
        const bool known = std::strchr("bhHtTwWnNlpsS", d.letter) != nullptr || DigitOrReversedWidth(d.letter) != 0;
        const std::size_t slots = !known ? 0 : d.letter == 'S' ? 3 : counted ? 2 : 1;
        if (args.size() + slots > kMaxArguments) break;
        format += d.letter;
        std::size_t size = 0;
        if (std::strchr("bhHtTwW", d.letter) != nullptr) {
            size = d.letter == 'b' ? 1 : (d.letter == 'h' || d.letter == 'H') ? 2 : 4;
        } else if (DigitOrReversedWidth(d.letter) != 0) {
            size = DigitOrReversedWidth(d.letter);
        } else if (d.letter == 'n' || d.letter == 'N' || d.letter == 'l') {
            d.count = input.Amount();
            args.push_back({true, d.count, nullptr});
            size = BlockFor(d.count, input);
        } else if (d.letter == 'p' || d.letter == 's') {
            d.capacity = input.Amount();
            args.push_back({true, d.capacity, nullptr});
            size = BlockFor(d.capacity, input);
        } else if (d.letter == 'S') {
            d.count = input.Amount();
            d.capacity = input.Amount();
            args.push_back({true, d.count, nullptr});
            args.push_back({true, d.capacity, nullptr});
            size = BlockFor(d.capacity, input);
        }
        if (slots != 0) {
            d.dest = null ? nullptr : blocks.Make(size);
            args.push_back({false, 0, d.dest});
        }
        directives.push_back(d);
    }
    const std::vector<UInt8>& bytes = input.Data();
    UInt8* data = blocks.Make(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data);
    const auto size = static_cast<UInt32>(bytes.size());

    const SInt32 result =
        Dispatch([&](auto... a) { return UnpackData(size, data, format.c_str(), a...); }, args);

    // The same walk here: each field's size, or failure where it does not fit.
    std::size_t at = 0;
    SInt32 expected = 0;
    for (const Directive& d : directives) {
        const std::size_t remaining = size - at;
        std::size_t width = 0;
        if (std::strchr("bhHtTwW", d.letter) != nullptr) {
            width = std::string("bbhHtTwW").find(d.letter) / 2 + 1;
        } else if (DigitOrReversedWidth(d.letter) != 0) {
            width = DigitOrReversedWidth(d.letter);
        } else if (d.letter == 'n' || d.letter == 'N' || d.letter == 'l' || d.letter == 'S') {
            width = d.count;
        } else if (d.letter == 'p') {
            width = remaining == 0 ? 1 : data[at] + 1u;
        } else if (d.letter == 's') {
            const void* nul = remaining != 0 ? std::memchr(data + at, 0, remaining) : nullptr;
            width = nul != nullptr ? static_cast<const UInt8*>(nul) - (data + at) + 1 : remaining + 1;
        } else {
            expected = -1;
            break;
        }
        // "S" stores a terminated string, also from a field cut short by the end.
        if (d.letter == 'S' && d.dest != nullptr && d.capacity != 0) {
            const std::size_t limit = std::min<std::size_t>({d.count, remaining, d.capacity - 1});
            Check(std::memchr(d.dest, 0, limit + 1) != nullptr);
        }
        if (width > remaining) {
            expected = -1;
            break;
        }
        if (d.letter == 'p' && d.dest != nullptr && d.capacity != 0) {
            Check(d.dest[0] <= data[at] && d.dest[0] < d.capacity);
            Check(std::memcmp(d.dest + 1, data + at + 1, d.dest[0]) == 0);
        }
        if ((d.letter == 'n' || (d.letter >= '1' && d.letter <= '9')) && d.dest != nullptr) {
            Check(std::memcmp(d.dest, data + at, width) == 0);
        }
        at += width;
        expected = static_cast<SInt32>(at);
    }
    Check(result == expected);
}

void FuzzUnpack(PackedInput& input, Blocks& blocks) {
    std::vector<Directive> directives;
    Arguments args;
    std::string format;
    while (!input.AtEnd()) {
        const bool null = input.NullNext();
        if (input.AtEnd()) break;
        Directive d{input.Next()};
        if (d.letter == '\0') break;
        const std::size_t slots = std::strchr("bhw", d.letter) ? 1 : std::strchr("ins", d.letter) ? 2 : 0;
        if (args.size() + slots > kMaxArguments) break;
        format += d.letter;
        if (d.letter == 'i' || d.letter == 'n') {
            d.count = input.Amount();
            args.push_back({true, d.count, nullptr});
        }
        if (d.letter == 's') {
            // "!" nulls the string; the length's destination is null after "!!".
            d.dest = null ? nullptr : blocks.Make(sizeof(const char*));
            d.second = input.NullNext() ? nullptr : blocks.Make(sizeof(UInt32));
            args.push_back({false, 0, d.dest});
            args.push_back({false, 0, d.second});
        } else if (slots != 0) {
            const std::size_t width = d.letter == 'b' ? 1 : d.letter == 'h' ? 2 : d.letter == 'n' ? sizeof(void*) : 4;
            d.dest = null ? nullptr : blocks.Make(width);
            args.push_back({false, 0, d.dest});
        }
        directives.push_back(d);
    }
    const std::vector<UInt8>& bytes = input.Data();
    UInt8* data = blocks.Make(bytes.size());
    std::copy(bytes.begin(), bytes.end(), data);
    const auto size = static_cast<UInt32>(bytes.size());

    const SInt32 status = Dispatch([&](auto... a) { return Unpack(data, size, format.c_str(), a...); }, args);

    std::size_t at = 0;
    SInt32 expected = kNoErr;
    for (const Directive& d : directives) {
        const std::size_t remaining = size - at;
        std::size_t width = 0;
        if (d.letter == ' ') continue;
        if (d.letter == 'b' || d.letter == 'h' || d.letter == 'w') {
            width = d.letter == 'b' ? 1 : d.letter == 'h' ? 2 : 4;
        } else if (d.letter == 'i' || d.letter == 'n') {
            width = d.count;
        } else if (d.letter == 's') {
            const void* nul = remaining != 0 ? std::memchr(data + at, 0, remaining) : nullptr;
            width = nul != nullptr ? static_cast<const UInt8*>(nul) - (data + at) + 1 : remaining + 1;
        } else {
            expected = kErrUnsupported;
            break;
        }
        if (width > remaining) {
            expected = kErrShortData;
            break;
        }
        if (d.dest != nullptr) {
            if (d.letter == 'i') {
                // The last four bytes of the field, big-endian.
                UInt32 value = 0;
                for (std::size_t i = width - std::min<std::size_t>(width, 4); i < width; ++i) {
                    value = (value << 8) | data[at + i];
                }
                UInt32 stored = 0;
                std::memcpy(&stored, d.dest, 4);
                Check(stored == value);
            } else if (d.letter == 'n' || d.letter == 's') {
                // Pointers into the data, at the field.
                const UInt8* pointer = nullptr;
                std::memcpy(&pointer, d.dest, sizeof pointer);
                Check(pointer == data + at);
            }
        }
        if (d.letter == 's' && d.second != nullptr) {
            UInt32 length = 0;
            std::memcpy(&length, d.second, 4);
            Check(length == width - 1);
        }
        at += width;
    }
    Check(status == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    PackedInput input(data, size);
    Blocks blocks;
    if (data[0] == 'D') {
        FuzzUnpackData(input, blocks);
    } else {
        FuzzUnpack(input, blocks);
    }
    return 0;
}
