// Pieces both binary packers share. Not part of the installed interface.
#pragma once

#include <keelward/Base.h>

#include <cstdarg>

namespace keelward::packing {

// Writes `inValue` as a big-endian number of `inCount` bytes, zero-extended above 4.
inline UInt8* PutBigEndian(UInt8* outDest, UInt32 inCount, UInt32 inValue) {
    for (UInt32 i = inCount; i > 0; --i) {
        const UInt32 shift = (i - 1) * 8;
        *outDest++ = shift < 32 ? static_cast<UInt8>(inValue >> shift) : 0;
    }
    return outDest;
}

// Reads `inCount` bytes as a big-endian number, keeping its low 32 bits.
inline UInt32 GetBigEndian(const UInt8* inSource, UInt32 inCount) {
    UInt32 value = 0;
    for (UInt32 i = 0; i < inCount; ++i) value = (value << 8) | inSource[i];
    return value;
}

// Keeps its own copy of the caller's list, so that helpers may consume it freely.
// Integers arrive promoted to int, addresses as pointers, each with its own type.
class ArgumentList {
public:
    explicit ArgumentList(va_list inArgs) { va_copy(mArgs, inArgs); }
    ~ArgumentList() { va_end(mArgs); }
    ArgumentList(const ArgumentList&) = delete;
    ArgumentList& operator=(const ArgumentList&) = delete;

    UInt32 Integer() { return va_arg(mArgs, unsigned int); }
    template <typename T>
    T* Pointer() {
        return static_cast<T*>(va_arg(mArgs, void*));
    }

private:
    va_list mArgs;
};

}  // namespace keelward::packing
