#include <keelward/buffers/Pack.h>
#include <keelward/buffers/PackingInternal.h>

#include <cstddef>
#include <cstring>

namespace keelward {

using packing::ArgumentList;
using packing::GetBigEndian;
using packing::PutBigEndian;

SInt32 PackedSizeVAList(UInt32* outSize, const char* inFormat, va_list inArgs) {
    ArgumentList args(inArgs);
    UInt64 total = 0;
    for (const char* format = inFormat; *format != '\0'; ++format) {
        switch (*format) {
            case ' ':
                break;
            case 'b':
                args.Integer();
                total += 1;
                break;
            case 'h':
                args.Integer();
                total += 2;
                break;
            case 'w':
                args.Integer();
                total += 4;
                break;
            case 'i':
                total += args.Integer();
                args.Integer();  // the value is not needed to measure
                break;
            case 'n':
                total += args.Integer();
                args.Pointer<const void>();
                break;
            case 's':
                total += std::strlen(args.Pointer<const char>()) + 1;
                break;
            default:
                return kErrUnsupported;
        }
    }
    if (total > UINT32_MAX) return kErrRange;
    if (outSize != nullptr) *outSize = static_cast<UInt32>(total);
    return kNoErr;
}

SInt32 PackedSize(UInt32* outSize, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 status = PackedSizeVAList(outSize, inFormat, args);
    va_end(args);
    return status;
}

SInt32 PackVAList(void* outBuffer, UInt32 /*inBufferSize*/, UInt32* outSize, const char* inFormat, va_list inArgs) {
    ArgumentList args(inArgs);
    auto* const start = static_cast<UInt8*>(outBuffer);
    UInt8* out = start;
    for (const char* format = inFormat; *format != '\0'; ++format) {
        switch (*format) {
            case ' ':
                break;
            case 'b':
                out = PutBigEndian(out, 1, args.Integer());
                break;
            case 'h':
                out = PutBigEndian(out, 2, args.Integer());
                break;
            case 'w':
                out = PutBigEndian(out, 4, args.Integer());
                break;
            case 'i': {
                const UInt32 count = args.Integer();
                out = PutBigEndian(out, count, args.Integer());
                break;
            }
            case 'n': {
                const UInt32 count = args.Integer();
                const auto* source = args.Pointer<const void>();
                if (count != 0) std::memcpy(out, source, count);
                out += count;
                break;
            }
            case 's': {
                const auto* string = args.Pointer<const char>();
                const std::size_t length = std::strlen(string) + 1;
                std::memcpy(out, string, length);
                out += length;
                break;
            }
            default:
                return kErrUnsupported;
        }
    }
    if (outSize != nullptr) *outSize = static_cast<UInt32>(out - start);
    return kNoErr;
}

SInt32 Pack(void* outBuffer, UInt32 inBufferSize, UInt32* outSize, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 status = PackVAList(outBuffer, inBufferSize, outSize, inFormat, args);
    va_end(args);
    return status;
}

SInt32 UnpackVAList(const void* inData, UInt32 inSize, const char* inFormat, va_list inArgs) {
    ArgumentList args(inArgs);
    const auto* in = static_cast<const UInt8*>(inData);
    const UInt8* const end = in + inSize;
    for (const char* format = inFormat; *format != '\0'; ++format) {
        const auto remaining = static_cast<std::size_t>(end - in);
        switch (*format) {
            case ' ':
                break;
            case 'b': {
                auto* dest = args.Pointer<UInt8>();
                if (remaining < 1) return kErrShortData;
                if (dest != nullptr) *dest = *in;
                in += 1;
                break;
            }
            case 'h': {
                auto* dest = args.Pointer<UInt16>();
                if (remaining < 2) return kErrShortData;
                if (dest != nullptr) *dest = static_cast<UInt16>(GetBigEndian(in, 2));
                in += 2;
                break;
            }
            case 'w': {
                auto* dest = args.Pointer<UInt32>();
                if (remaining < 4) return kErrShortData;
                if (dest != nullptr) *dest = GetBigEndian(in, 4);
                in += 4;
                break;
            }
            case 'i': {
                const UInt32 count = args.Integer();
                auto* dest = args.Pointer<UInt32>();
                if (remaining < count) return kErrShortData;
                if (dest != nullptr) *dest = GetBigEndian(in, count);
                in += count;
                break;
            }
            case 'n': {
                const UInt32 count = args.Integer();
                auto* dest = args.Pointer<const UInt8*>();
                if (remaining < count) return kErrShortData;
                if (dest != nullptr) *dest = in;
                in += count;
                break;
            }
            case 's': {
                auto* destString = args.Pointer<const char*>();
                auto* destLength = args.Pointer<UInt32>();
                const void* nul = remaining != 0 ? std::memchr(in, 0, remaining) : nullptr;
                if (nul == nullptr) return kErrShortData;
                const auto length = static_cast<UInt32>(static_cast<const UInt8*>(nul) - in);
                if (destString != nullptr) *destString = reinterpret_cast<const char*>(in);
                if (destLength != nullptr) *destLength = length;
                in += length + 1;
                break;
            }
            default:
                return kErrUnsupported;
        }
    }
    return kNoErr;
}

SInt32 Unpack(const void* inData, UInt32 inSize, const char* inFormat, ...) {
    va_list args;
    va_start(args, inFormat);
    const SInt32 status = UnpackVAList(inData, inSize, inFormat, args);
    va_end(args);
    return status;
}

SInt32 PackN(void* outDest, SInt32 inCount, UInt32 inValue) {
    if (inCount >= 1 && inCount <= 4) PutBigEndian(static_cast<UInt8*>(outDest), static_cast<UInt32>(inCount), inValue);
    return inCount;
}

UInt32 UnpackN(const void* inSource, UInt32 inCount) {
    if (inCount < 1 || inCount > 4) return 0;
    return GetBigEndian(static_cast<const UInt8*>(inSource), inCount);
}

}  // namespace keelward
