#include <keelward/buffers/PackData.h>
#include <keelward/buffers/PackingInternal.h>

#include <keelward/strings/Latin1MacTables.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace keelward {

using packing::ArgumentList;
using packing::GetBigEndian;
using packing::PutBigEndian;

namespace {

constexpr SInt32 kFailed = -1;

// Width of the reversed fixed fields "@" to "(", 0 for any other character.
constexpr UInt32 ReversedWidth(char inLetter) {
    constexpr std::array<char, 8> kLetters{'@', '#', '$', '%', '^', '&', '*', '('};
    for (std::size_t i = 0; i < kLetters.size(); ++i) {
        if (kLetters[i] == inLetter) return static_cast<UInt32>(i + 2);
    }
    return 0;
}

constexpr UInt32 DigitWidth(char inLetter) { return inLetter >= '1' && inLetter <= '9' ? UInt32(inLetter - '0') : 0; }

UInt8* PutLittleEndian(UInt8* outDest, UInt32 inWidth, UInt32 inValue) {
    for (UInt32 i = 0; i < inWidth; ++i) *outDest++ = static_cast<UInt8>(inValue >> (i * 8));
    return outDest;
}

UInt32 GetLittleEndian(const UInt8* inSource, UInt32 inWidth) {
    UInt32 value = 0;
    for (UInt32 i = inWidth; i > 0; --i) value = (value << 8) | inSource[i - 1];
    return value;
}

void Translate(const UInt8* inSource, UInt32 inCount, UInt8* outDest, const std::array<UInt8, 256>& inTable) {
    for (UInt32 i = 0; i < inCount; ++i) outDest[i] = inTable[inSource[i]];
}

template <typename T>
void Store(T* outDest, UInt32 inValue) {
    if (outDest != nullptr) *outDest = static_cast<T>(inValue);
}

// A byte count as the packers' signed result; -1 if it does not fit.
SInt32 CountResult(std::ptrdiff_t inCount) { return inCount > INT32_MAX ? kFailed : static_cast<SInt32>(inCount); }

}  // namespace

void MemReverse(void* ioBlock, UInt32 inLength) {
    auto* bytes = static_cast<UInt8*>(ioBlock);
    if (inLength < 2) return;
    for (UInt8 *front = bytes, *back = bytes + inLength - 1; front < back; ++front, --back) std::swap(*front, *back);
}

void MemReverseCopy(const void* inSource, UInt32 inCount, void* outDest) {
    const auto* source = static_cast<const UInt8*>(inSource);
    auto* dest = static_cast<UInt8*>(outDest);
    for (UInt32 i = 0; i < inCount; ++i) dest[i] = source[inCount - 1 - i];
}

SInt32 PackDataList(void* outBuffer, const char* inFormat, va_list inArgs) {
    ArgumentList args(inArgs);
    auto* const start = static_cast<UInt8*>(outBuffer);
    UInt8* out = start;
    for (const char* format = inFormat; *format != '\0'; ++format) {
        const char letter = *format;
        switch (letter) {
            case 'b':
                out = PutBigEndian(out, 1, args.Integer());
                continue;
            case 'h':
                out = PutBigEndian(out, 2, args.Integer());
                continue;
            case 't':
                out = PutBigEndian(out, 3, args.Integer());
                continue;
            case 'w':
                out = PutBigEndian(out, 4, args.Integer());
                continue;
            case 'H':
                out = PutLittleEndian(out, 2, args.Integer());
                continue;
            case 'T':
                out = PutLittleEndian(out, 3, args.Integer());
                continue;
            case 'W':
                out = PutLittleEndian(out, 4, args.Integer());
                continue;
            case 'n':
            case 'N':
            case 'l': {
                const UInt32 count = args.Integer();
                const auto* source = args.Pointer<const UInt8>();
                if (letter == 'n') {
                    if (count != 0) std::memcpy(out, source, count);
                } else if (letter == 'N') {
                    MemReverseCopy(source, count, out);
                } else {
                    Translate(source, count, out, kMacToLatin1Table);
                }
                out += count;
                continue;
            }
            case 'p': {
                const auto* string = args.Pointer<const UInt8>();
                const UInt32 length = UInt32{string[0]} + 1;
                std::memcpy(out, string, length);
                out += length;
                continue;
            }
            case 's': {
                const auto* string = args.Pointer<const char>();
                const std::size_t length = std::strlen(string) + 1;
                std::memcpy(out, string, length);
                out += length;
                continue;
            }
            default:
                break;
        }
        if (const UInt32 width = DigitWidth(letter); width != 0) {
            std::memcpy(out, args.Pointer<const void>(), width);
            out += width;
        } else if (const UInt32 reversed = ReversedWidth(letter); reversed != 0) {
            MemReverseCopy(args.Pointer<const void>(), reversed, out);
            out += reversed;
        } else {
            return kFailed;
        }
    }
    return CountResult(out - start);
}

SInt32 PackData(void* outBuffer, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 result = PackDataList(outBuffer, inFormat, args);
    va_end(args);
    return result;
}

SInt32 UnpackDataList(UInt32 inSize, const void* inData, const char* inFormat, va_list inArgs) {
    ArgumentList args(inArgs);
    const auto* const start = static_cast<const UInt8*>(inData);
    const UInt8* in = start;
    const UInt8* const end = start + inSize;
    for (const char* format = inFormat; *format != '\0'; ++format) {
        const char letter = *format;
        const auto remaining = static_cast<std::size_t>(end - in);
        switch (letter) {
            case 'b':
            case 'h':
            case 'H':
            case 't':
            case 'T':
            case 'w':
            case 'W': {
                void* dest = args.Pointer<void>();
                const UInt32 width = letter == 'b' ? 1 : (letter == 'h' || letter == 'H') ? 2
                                                     : (letter == 't' || letter == 'T') ? 3
                                                                                        : 4;
                if (remaining < width) return kFailed;
                const bool bigEndian = letter == 'b' || letter == 'h' || letter == 't' || letter == 'w';
                const UInt32 value = bigEndian ? GetBigEndian(in, width) : GetLittleEndian(in, width);
                if (width == 1) {
                    Store(static_cast<UInt8*>(dest), value);
                } else if (width == 2) {
                    Store(static_cast<UInt16*>(dest), value);
                } else {
                    Store(static_cast<UInt32*>(dest), value);
                }
                in += width;
                continue;
            }
            case 'n':
            case 'N':
            case 'l': {
                const UInt32 count = args.Integer();
                auto* dest = args.Pointer<UInt8>();
                if (remaining < count) return kFailed;
                if (dest != nullptr && count != 0) {
                    if (letter == 'n') {
                        std::memcpy(dest, in, count);
                    } else if (letter == 'N') {
                        MemReverseCopy(in, count, dest);
                    } else {
                        Translate(in, count, dest, kLatin1ToMacTable);
                    }
                }
                in += count;
                continue;
            }
            case 'p': {
                const UInt32 capacity = args.Integer();
                auto* dest = args.Pointer<UInt8>();
                if (remaining < 1 || remaining - 1 < in[0]) return kFailed;
                const UInt32 length = in[0];
                if (dest != nullptr && capacity != 0) {
                    const UInt32 stored = length < capacity ? length : capacity - 1;
                    dest[0] = static_cast<UInt8>(stored);
                    std::memcpy(dest + 1, in + 1, stored);
                }
                in += length + 1;
                continue;
            }
            case 's': {
                const UInt32 capacity = args.Integer();
                auto* dest = args.Pointer<char>();
                const void* nul = remaining != 0 ? std::memchr(in, 0, remaining) : nullptr;
                if (nul == nullptr) return kFailed;
                const auto length = static_cast<std::size_t>(static_cast<const UInt8*>(nul) - in) + 1;
                if (dest != nullptr) std::memcpy(dest, in, std::min<std::size_t>(length, capacity));
                in += length;
                continue;
            }
            case 'S': {
                const UInt32 fieldSize = args.Integer();
                const UInt32 capacity = args.Integer();
                auto* dest = args.Pointer<char>();
                // The text comes only from the bytes of the field that the data holds.
                const std::size_t available = std::min<std::size_t>(fieldSize, remaining);
                if (dest != nullptr && capacity != 0) {
                    const std::size_t limit = std::min<std::size_t>(available, capacity - 1);
                    const void* nul = limit != 0 ? std::memchr(in, 0, limit) : nullptr;
                    const std::size_t copied = nul != nullptr ? static_cast<const UInt8*>(nul) - in : limit;
                    if (copied != 0) std::memcpy(dest, in, copied);
                    dest[copied] = '\0';
                }
                if (available < fieldSize) return kFailed;
                in += fieldSize;
                continue;
            }
            default:
                break;
        }
        const UInt32 width = DigitWidth(letter) != 0 ? DigitWidth(letter) : ReversedWidth(letter);
        if (width == 0) return kFailed;
        auto* dest = args.Pointer<UInt8>();
        if (remaining < width) return kFailed;
        if (dest != nullptr) {
            if (DigitWidth(letter) != 0) {
                std::memcpy(dest, in, width);
            } else {
                MemReverseCopy(in, width, dest);
            }
        }
        in += width;
    }
    return CountResult(in - start);
}

SInt32 UnpackData(UInt32 inSize, const void* inData, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 result = UnpackDataList(inSize, inData, inFormat, args);
    va_end(args);
    return result;
}

}  // namespace keelward
