// Random formats over every directive of both unpackers, fed with the packed record
// cut at every length and with random bytes. Data and destinations live in heap
// blocks of exactly their size, so that the sanitizer build reports any access
// outside them; the results are checked against what the generator knows.
#include <keelward/buffers/Pack.h>
#include <keelward/buffers/PackData.h>
#include <keelward/strings/Latin1MacTables.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "VariableArguments.h"

namespace keelward {
namespace {

using testing::Argument;
using testing::Arguments;
using testing::Dispatch;
using testing::Integer;
using testing::kMaxArguments;
using testing::Pointer;

using Bytes = std::vector<UInt8>;


// Owns the exact-size heap blocks of one test case.
class Blocks {
public:
    UInt8* Make(std::size_t inSize, UInt8 inFill = 0xEE) {
        mBlocks.emplace_back(new UInt8[inSize]);
        std::fill_n(mBlocks.back().get(), inSize, inFill);
        return mBlocks.back().get();
    }
    UInt8* Make(const Bytes& inContents) {
        UInt8* block = Make(inContents.size());
        std::copy(inContents.begin(), inContents.end(), block);
        return block;
    }

private:
    std::vector<std::unique_ptr<UInt8[]>> mBlocks;
};

// A destination and what it must hold after a successful unpack.
struct Check {
    const UInt8* dest;
    Bytes expected;
    std::size_t blockSize;  // bytes past `expected` keep the blocks' fill
};

class Generator {
public:
    explicit Generator(UInt32 inSeed) : mRandom(inSeed) {}
    UInt32 Below(UInt32 inLimit) { return std::uniform_int_distribution<UInt32>(0, inLimit - 1)(mRandom); }
    UInt32 Word() { return static_cast<UInt32>(mRandom()); }
    Bytes RandomBytes(std::size_t inCount, bool inNoNul = false) {
        Bytes bytes(inCount);
        for (UInt8& b : bytes) b = static_cast<UInt8>(inNoNul ? 1 + Below(255) : Below(256));
        return bytes;
    }

private:
    std::mt19937 mRandom;
};

Bytes BigEndian(UInt32 inValue, UInt32 inWidth) {
    Bytes bytes;
    for (UInt32 i = inWidth; i > 0; --i) bytes.push_back(i > 4 ? 0 : static_cast<UInt8>(inValue >> ((i - 1) * 8)));
    return bytes;
}

Bytes Native(UInt32 inValue, std::size_t inWidth) {
    Bytes bytes(inWidth);
    std::memcpy(bytes.data(), &inValue, inWidth);
    return bytes;
}

// A PackData format with its arguments for packing and unpacking, the record it
// packs to and the destinations to check.
struct PackDataCase {
    std::string packFormat;
    std::string unpackFormat;
    Arguments packArgs;
    Arguments unpackArgs;
    Bytes record;
    std::vector<Check> checks;
};

PackDataCase MakePackDataCase(Generator& random, Blocks& blocks) {
    static const std::string kLetters = "bhHtTwW123456789n@#$%^&*(NlpsS";
    PackDataCase c;
    while (true) {
        const char letter = kLetters[random.Below(static_cast<UInt32>(kLetters.size()))];
        const std::size_t slots = letter == 'S' ? 3 : std::string("nNlps").find(letter) != std::string::npos ? 2 : 1;
        if (c.unpackArgs.size() + slots > kMaxArguments) break;
        c.unpackFormat += letter;
        c.packFormat += letter == 'S' ? 'n' : letter;
        if (std::string("bhHtTwW").find(letter) != std::string::npos) {
            const UInt32 value = random.Word();
            const bool little = letter == 'H' || letter == 'T' || letter == 'W';
            const UInt32 width = static_cast<UInt32>(std::string("bbhHtTwW").find(letter) / 2 + 1);
            Bytes field = BigEndian(value, width);
            if (little) std::reverse(field.begin(), field.end());
            c.record.insert(c.record.end(), field.begin(), field.end());
            const std::size_t storeWidth = width == 3 ? 4 : width;
            UInt8* dest = blocks.Make(storeWidth);
            const UInt32 stored = width == 4 ? value : value & ((1u << (8 * width)) - 1);
            c.packArgs.push_back(Integer(value));
            c.unpackArgs.push_back(Pointer(dest));
            c.checks.push_back({dest, Native(stored, storeWidth), storeWidth});
        } else if (letter >= '1' && letter <= '9') {
            const Bytes source = random.RandomBytes(static_cast<std::size_t>(letter - '0'));
            c.record.insert(c.record.end(), source.begin(), source.end());
            UInt8* dest = blocks.Make(source.size());
            c.packArgs.push_back(Pointer(blocks.Make(source)));
            c.unpackArgs.push_back(Pointer(dest));
            c.checks.push_back({dest, source, source.size()});
        } else if (std::string("@#$%^&*(").find(letter) != std::string::npos) {
            const Bytes source = random.RandomBytes(std::string("@#$%^&*(").find(letter) + 2);
            c.record.insert(c.record.end(), source.rbegin(), source.rend());
            UInt8* dest = blocks.Make(source.size());
            c.packArgs.push_back(Pointer(blocks.Make(source)));
            c.unpackArgs.push_back(Pointer(dest));
            c.checks.push_back({dest, source, source.size()});
        } else if (letter == 'n' || letter == 'N' || letter == 'l') {
            const UInt32 count = random.Below(12);
            const Bytes source = random.RandomBytes(count);
            Bytes field = source;
            if (letter == 'N') std::reverse(field.begin(), field.end());
            if (letter == 'l') {
                for (UInt8& b : field) b = kMacToLatin1Table[b];
            }
            c.record.insert(c.record.end(), field.begin(), field.end());
            UInt8* dest = blocks.Make(count);
            c.packArgs.insert(c.packArgs.end(), {Integer(count), Pointer(blocks.Make(source))});
            c.unpackArgs.insert(c.unpackArgs.end(), {Integer(count), Pointer(dest)});
            c.checks.push_back({dest, source, source.size()});
        } else if (letter == 'p') {
            const UInt32 length = random.Below(10);
            Bytes string = random.RandomBytes(length);
            string.insert(string.begin(), static_cast<UInt8>(length));
            c.record.insert(c.record.end(), string.begin(), string.end());
            const UInt32 capacity = random.Below(13);
            UInt8* dest = blocks.Make(capacity);
            c.packArgs.push_back(Pointer(blocks.Make(string)));
            c.unpackArgs.insert(c.unpackArgs.end(), {Integer(capacity), Pointer(dest)});
            Bytes expected;
            if (capacity != 0) {
                const UInt32 stored = std::min(length, capacity - 1);
                expected.push_back(static_cast<UInt8>(stored));
                expected.insert(expected.end(), string.begin() + 1, string.begin() + 1 + stored);
            }
            c.checks.push_back({dest, expected, capacity});
        } else if (letter == 's') {
            Bytes string = random.RandomBytes(random.Below(10), true);
            string.push_back(0);
            c.record.insert(c.record.end(), string.begin(), string.end());
            const UInt32 capacity = random.Below(13);
            UInt8* dest = blocks.Make(capacity);
            c.packArgs.push_back(Pointer(blocks.Make(string)));
            c.unpackArgs.insert(c.unpackArgs.end(), {Integer(capacity), Pointer(dest)});
            const std::size_t stored = std::min<std::size_t>(capacity, string.size());
            c.checks.push_back({dest, Bytes(string.begin(), string.begin() + static_cast<long>(stored)), capacity});
        } else {  // 'S', packed as a counted run
            const UInt32 fieldSize = random.Below(12);
            const Bytes field = random.RandomBytes(fieldSize);
            c.record.insert(c.record.end(), field.begin(), field.end());
            const UInt32 capacity = random.Below(13);
            UInt8* dest = blocks.Make(capacity);
            c.packArgs.insert(c.packArgs.end(), {Integer(fieldSize), Pointer(blocks.Make(field))});
            c.unpackArgs.insert(c.unpackArgs.end(), {Integer(fieldSize), Integer(capacity), Pointer(dest)});
            Bytes expected;
            if (capacity != 0) {
                for (UInt32 i = 0; i < fieldSize && i + 1 < capacity && field[i] != 0; ++i) {
                    expected.push_back(field[i]);
                }
                expected.push_back(0);
            }
            c.checks.push_back({dest, expected, capacity});
        }
    }
    return c;
}

// A Pack format with its arguments, the record and the expected results.
struct PackCase {
    std::string format;
    Arguments packArgs;
    Arguments unpackArgs;
    Bytes record;
    std::vector<Check> checks;
    // Pointers that Unpack stores into the data, and where they must point.
    std::vector<std::pair<const UInt8* const*, std::size_t>> pointers;
};

PackCase MakePackCase(Generator& random, Blocks& blocks) {
    static const std::string kLetters = " bhwins";
    PackCase c;
    while (true) {
        const char letter = kLetters[random.Below(static_cast<UInt32>(kLetters.size()))];
        const std::size_t slots = letter == ' ' ? 0 : letter == 'b' || letter == 'h' || letter == 'w' ? 1 : 2;
        if (c.unpackArgs.size() + slots > kMaxArguments || c.format.size() > 12) break;
        c.format += letter;
        const bool storeIt = random.Below(4) != 0;  // every destination may be null
        if (letter == 'b' || letter == 'h' || letter == 'w' || letter == 'i') {
            const UInt32 width = letter == 'b' ? 1 : letter == 'h' ? 2 : letter == 'w' ? 4 : random.Below(7);
            const UInt32 value = random.Word();
            const Bytes field = BigEndian(value, width);
            c.record.insert(c.record.end(), field.begin(), field.end());
            const std::size_t storeWidth = letter == 'b' ? 1 : letter == 'h' ? 2 : 4;
            UInt8* dest = storeIt ? blocks.Make(storeWidth) : nullptr;
            if (letter == 'i') {
                c.packArgs.push_back(Integer(width));
                c.unpackArgs.push_back(Integer(width));
            }
            c.packArgs.push_back(Integer(value));
            c.unpackArgs.push_back(Pointer(dest));
            const UInt32 stored = width >= 4 ? value : value & ((1u << (8 * width)) - 1);
            if (dest != nullptr) c.checks.push_back({dest, Native(stored, storeWidth), storeWidth});
        } else if (letter == 'n') {
            const UInt32 count = random.Below(10);
            const Bytes source = random.RandomBytes(count);
            auto* slot = storeIt ? reinterpret_cast<const UInt8**>(blocks.Make(sizeof(void*), 0)) : nullptr;
            if (slot != nullptr) c.pointers.emplace_back(slot, c.record.size());
            c.record.insert(c.record.end(), source.begin(), source.end());
            c.packArgs.insert(c.packArgs.end(), {Integer(count), Pointer(blocks.Make(source))});
            c.unpackArgs.insert(c.unpackArgs.end(), {Integer(count), Pointer(slot)});
        } else if (letter == 's') {
            Bytes string = random.RandomBytes(random.Below(10), true);
            const auto length = static_cast<UInt32>(string.size());
            string.push_back(0);
            auto* slot = storeIt ? reinterpret_cast<const UInt8**>(blocks.Make(sizeof(void*), 0)) : nullptr;
            UInt8* lengthDest = random.Below(4) != 0 ? blocks.Make(4) : nullptr;
            if (slot != nullptr) c.pointers.emplace_back(slot, c.record.size());
            if (lengthDest != nullptr) c.checks.push_back({lengthDest, Native(length, 4), 4});
            c.record.insert(c.record.end(), string.begin(), string.end());
            c.packArgs.push_back(Pointer(blocks.Make(string)));
            c.unpackArgs.insert(c.unpackArgs.end(), {Pointer(slot), Pointer(lengthDest)});
        }
    }
    return c;
}

void ExpectChecks(const std::vector<Check>& inChecks) {
    for (const Check& check : inChecks) {
        ASSERT_EQ(Bytes(check.dest, check.dest + check.expected.size()), check.expected);
        ASSERT_TRUE(std::all_of(check.dest + check.expected.size(), check.dest + check.blockSize,
                                [](UInt8 b) { return b == 0xEE; }));
    }
}

std::string WithUnknownLetter(Generator& random, const std::string& inFormat, const std::string& inUnknown) {
    std::string format = inFormat;
    format.insert(format.begin() + random.Below(static_cast<UInt32>(format.size()) + 1),
                  inUnknown[random.Below(static_cast<UInt32>(inUnknown.size()))]);
    return format;
}

constexpr int kRounds = 1500;

TEST(UnpackRandomTest, PackDataRecordsWholeCutAndRandom) {
    Generator random(20261211);
    for (int round = 0; round < kRounds; ++round) {
        Blocks blocks;
        const PackDataCase c = MakePackDataCase(random, blocks);
        SCOPED_TRACE(c.unpackFormat);
        const auto recordSize = static_cast<UInt32>(c.record.size());

        UInt8* packed = blocks.Make(recordSize);
        ASSERT_EQ(Dispatch([&](auto... a) { return PackData(packed, c.packFormat.c_str(), a...); }, c.packArgs),
                  static_cast<SInt32>(recordSize));
        ASSERT_EQ(Bytes(packed, packed + recordSize), c.record);

        const auto unpack = [&](const UInt8* inData, UInt32 inSize, const std::string& inFormat) {
            return Dispatch([&](auto... a) { return UnpackData(inSize, inData, inFormat.c_str(), a...); },
                            c.unpackArgs);
        };
        // The whole record, with and without bytes left over.
        Bytes longer = c.record;
        const Bytes extra = random.RandomBytes(random.Below(4));
        longer.insert(longer.end(), extra.begin(), extra.end());
        ASSERT_EQ(unpack(blocks.Make(longer), static_cast<UInt32>(longer.size()), c.unpackFormat),
                  static_cast<SInt32>(recordSize));
        ExpectChecks(c.checks);
        ASSERT_EQ(unpack(blocks.Make(c.record), recordSize, c.unpackFormat), static_cast<SInt32>(recordSize));

        // Every shorter cut ends inside some field.
        for (UInt32 size = 0; size < recordSize; ++size) {
            const Bytes cut(c.record.begin(), c.record.begin() + size);
            ASSERT_EQ(unpack(blocks.Make(cut), size, c.unpackFormat), -1) << "cut to " << size;
        }
        for (int i = 0; i < 4; ++i) {
            const Bytes noise = random.RandomBytes(random.Below(40));
            const SInt32 result = unpack(blocks.Make(noise), static_cast<UInt32>(noise.size()), c.unpackFormat);
            ASSERT_TRUE(result == -1 || (result >= 0 && result <= static_cast<SInt32>(noise.size()))) << result;
        }
        // An unknown letter anywhere fails the walk, at the latest when it is reached.
        const std::string broken = WithUnknownLetter(random, c.unpackFormat, " 0ixX\t!?");
        ASSERT_EQ(unpack(blocks.Make(c.record), recordSize, broken), -1) << broken;
    }
}

TEST(UnpackRandomTest, PackRecordsWholeCutAndRandom) {
    Generator random(1211);
    for (int round = 0; round < kRounds; ++round) {
        Blocks blocks;
        const PackCase c = MakePackCase(random, blocks);
        SCOPED_TRACE("\"" + c.format + "\"");
        const auto recordSize = static_cast<UInt32>(c.record.size());

        UInt32 measured = 0;
        ASSERT_EQ(Dispatch([&](auto... a) { return PackedSize(&measured, c.format.c_str(), a...); }, c.packArgs),
                  kNoErr);
        ASSERT_EQ(measured, recordSize);
        UInt8* packed = blocks.Make(recordSize);
        UInt32 written = 0;
        ASSERT_EQ(Dispatch([&](auto... a) { return Pack(packed, recordSize, &written, c.format.c_str(), a...); },
                           c.packArgs),
                  kNoErr);
        ASSERT_EQ(written, recordSize);
        ASSERT_EQ(Bytes(packed, packed + recordSize), c.record);

        const auto unpack = [&](const UInt8* inData, UInt32 inSize, const std::string& inFormat) {
            return Dispatch([&](auto... a) { return Unpack(inData, inSize, inFormat.c_str(), a...); }, c.unpackArgs);
        };
        const UInt8* data = blocks.Make(c.record);
        ASSERT_EQ(unpack(data, recordSize, c.format), kNoErr);
        ExpectChecks(c.checks);
        for (const auto& [slot, offset] : c.pointers) ASSERT_EQ(*slot, data + offset);

        for (UInt32 size = 0; size < recordSize; ++size) {
            const Bytes cut(c.record.begin(), c.record.begin() + size);
            ASSERT_EQ(unpack(blocks.Make(cut), size, c.format), kErrShortData) << "cut to " << size;
        }
        for (int i = 0; i < 4; ++i) {
            const Bytes noise = random.RandomBytes(random.Below(40));
            const SInt32 status = unpack(blocks.Make(noise), static_cast<UInt32>(noise.size()), c.format);
            ASSERT_TRUE(status == kNoErr || status == kErrShortData) << status;
        }
        const std::string broken = WithUnknownLetter(random, c.format, "0HSx\t!?");
        ASSERT_EQ(unpack(blocks.Make(c.record), recordSize, broken), kErrUnsupported) << broken;
    }
}

}  // namespace
}  // namespace keelward
