// The transcoders over arbitrary bytes, against a reference written here: UTF8Valid
// gives the status of the first fault exactly; text it accepts with no surrogate and
// nothing above U+10FFFF converts to UTF-16 in every byte order and back to the same
// bytes, and anything else is refused; the bytes read as UTF-16 convert to UTF-8 and
// back unless a surrogate is unpaired; Latin-1 converts to UTF-8 and back. Every
// reported length matches its terminated buffer, and a null result pointer changes
// neither status nor length. The first input byte picks the byte order (low four
// bits) and the lossy flag (bit 4); the rest is the text, in an exact-size block.
#include <keelward/strings/Transcoding.h>

#include <malloc.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <vector>

using namespace keelward;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr UInt32 kUntouched = 0xA5A5A5A5;

// memcmp, for blocks that may be empty (and so have no address).
bool Same(const void* a, const void* b, std::size_t count) { return count == 0 || std::memcmp(a, b, count) == 0; }

// UTF8Valid as documented: the first fault wins; also collects the decoded values.
SInt32 ReferenceUTF8Valid(const UInt8* text, std::size_t length, std::vector<UInt32>& values) {
    int expected = 0;
    UInt8 mask = 0;
    UInt32 value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const UInt8 b = text[i];
        if (expected != 0) {
            if ((b & 0xC0) != 0x80) return kErrValue;
            if (mask != 0 && (b & mask) == 0) return kErrFlags;
            mask = 0;
            value = (value << 6) | (b & 0x3F);
            if (--expected == 0) values.push_back(value);
            continue;
        }
        if (b < 0x80) {
            values.push_back(b);
            continue;
        }
        if ((b & 0xE0) == 0xC0) {
            if ((b & 0x1E) == 0) return kErrRange;
            expected = 1;
            value = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            expected = 2;
            value = b & 0x0F;
            mask = b == 0xE0 ? 0x20 : 0;
        } else if ((b & 0xF8) == 0xF0) {
            expected = 3;
            value = b & 0x07;
            mask = b == 0xF0 ? 0x30 : 0;
        } else if ((b & 0xFC) == 0xF8) {
            expected = 4;
            value = b & 0x03;
            mask = b == 0xF8 ? 0x38 : 0;
        } else if ((b & 0xFE) == 0xFC) {
            expected = 5;
            value = b & 0x01;
            mask = b == 0xFC ? 0x3C : 0;
        } else {
            return kErrBadLeadByte;
        }
    }
    return expected != 0 ? kErrMalformed : 0;
}

std::vector<UInt8> EncodeUTF8(const std::vector<UInt32>& values) {
    std::vector<UInt8> out;
    for (const UInt32 v : values) {
        if (v < 0x80) {
            out.push_back(static_cast<UInt8>(v));
        } else if (v < 0x800) {
            out.insert(out.end(), {static_cast<UInt8>(0xC0 | v >> 6), static_cast<UInt8>(0x80 | (v & 0x3F))});
        } else if (v < 0x10000) {
            out.insert(out.end(), {static_cast<UInt8>(0xE0 | v >> 12), static_cast<UInt8>(0x80 | (v >> 6 & 0x3F)),
                                   static_cast<UInt8>(0x80 | (v & 0x3F))});
        } else {
            out.insert(out.end(), {static_cast<UInt8>(0xF0 | v >> 18), static_cast<UInt8>(0x80 | (v >> 12 & 0x3F)),
                                   static_cast<UInt8>(0x80 | (v >> 6 & 0x3F)), static_cast<UInt8>(0x80 | (v & 0x3F))});
        }
    }
    return out;
}

std::vector<UniChar> EncodeUTF16(const std::vector<UInt32>& values) {
    std::vector<UniChar> out;
    for (const UInt32 v : values) {
        if (v < 0x10000) {
            out.push_back(static_cast<UniChar>(v));
        } else {
            out.push_back(static_cast<UniChar>(0xD800 + ((v - 0x10000) >> 10)));
            out.push_back(static_cast<UniChar>(0xDC00 + ((v - 0x10000) & 0x3FF)));
        }
    }
    return out;
}

UniChar Swapped(UniChar u) { return static_cast<UniChar>(u << 8 | u >> 8); }

// A converter's result: it must be terminated, and its block must hold the reported
// length and the terminator.
template <typename Unit>
std::vector<Unit> Result(Unit* buffer, UInt32 length) {
    Check(buffer != nullptr && buffer[length] == 0);
    Check(malloc_usable_size(buffer) >= (std::size_t{length} + 1) * sizeof(Unit));
    std::vector<Unit> units(buffer, buffer + length);
    std::free(buffer);
    return units;
}

// Calls `convert(result, length)` with a result pointer, then with none; both must
// give the same status and length. Returns the status and, on success, the result.
template <typename Unit, typename Convert>
SInt32 Convert(const Convert& convert, std::optional<std::vector<Unit>>& out) {
    Unit* buffer = reinterpret_cast<Unit*>(std::uintptr_t{kUntouched});
    UInt32 length = kUntouched;
    const SInt32 status = convert(&buffer, &length);
    UInt32 lengthWithout = kUntouched;
    Check(convert(nullptr, &lengthWithout) == status);
    Check(lengthWithout == length);
    if (status != 0) {
        Check(buffer == reinterpret_cast<Unit*>(std::uintptr_t{kUntouched}) && length == kUntouched);
        return status;
    }
    out = Result(buffer, length);
    return status;
}

void CheckUTF8(const UInt8* text, UInt32 length, UInt32 selector) {
    std::vector<UInt32> values;
    const SInt32 valid = ReferenceUTF8Valid(text, length, values);
    const auto* chars = reinterpret_cast<const char*>(text);
    Check(UTF8Valid(chars, length) == valid);
    bool convertible = valid == 0;
    for (const UInt32 v : values) convertible = convertible && v <= 0x10FFFF && (v < 0xD800 || v > 0xDFFF);

    std::optional<std::vector<UniChar>> utf16;
    const SInt32 status = Convert<UniChar>(
        [&](UniChar** out, UInt32* outLength) { return UTF8toUTF16(chars, length, selector, out, outLength); }, utf16);
    const bool lossy = (selector & 0x10) != 0;
    std::optional<std::vector<char>> narrow;
    const SInt32 narrowed = Convert<char>(
        [&](char** out, UInt32* outLength) {
            return UTF8toLatin1(chars, length, lossy ? kTextConversionLossy : 0, out, outLength);
        },
        narrow);
    if (!convertible) {
        Check(status == kErrConversion && narrowed == kErrConversion);
        return;
    }
    Check(status == 0);
    std::vector<UniChar> expected = EncodeUTF16(values);
    const UInt32 order = selector & kUTF16ByteOrderSelectorMask;
    if (order == kUTF16BigEndian || order == kUTF16ByteOrderMark) {
        for (UniChar& u : expected) u = Swapped(u);  // this host is little-endian
    }
    if (order == kUTF16ByteOrderMark) expected.insert(expected.begin(), Swapped(0xFEFF));
    Check(*utf16 == expected);

    // And back, in the same order, to the same bytes.
    std::optional<std::vector<char>> utf8;
    Check(Convert<char>(
              [&](char** out, UInt32* outLength) {
                  return UTF16toUTF8(utf16->data(), static_cast<UInt32>(utf16->size()), selector, out, outLength);
              },
              utf8) == 0);
    Check(utf8->size() == length && Same(utf8->data(), text, length));

    // To Latin-1: characters above U+00FF become "?" or end the text.
    std::vector<UInt8> latin1;
    for (const UInt32 v : values) {
        if (v > 0xFF && !lossy) break;
        latin1.push_back(v > 0xFF ? '?' : static_cast<UInt8>(v));
    }
    if (latin1.empty() && !values.empty()) {
        Check(narrowed == kErrConversion);
    } else {
        Check(narrowed == 0 && std::vector<UInt8>(narrow->begin(), narrow->end()) == latin1);
    }
}

void CheckUTF16(const UInt8* bytes, UInt32 size, UInt32 selector) {
    const UInt32 count = size / 2;
    std::vector<UniChar> units(count);
    if (count != 0) std::memcpy(units.data(), bytes, count * 2);
    auto* block = new UniChar[count];  // exact size: a read past the count is caught
    std::copy(units.begin(), units.end(), block);

    const UInt32 order = selector & kUTF16ByteOrderSelectorMask;
    std::optional<std::vector<char>> utf8;
    const SInt32 status = Convert<char>(
        [&](char** out, UInt32* outLength) { return UTF16toUTF8(block, count, selector, out, outLength); }, utf8);
    delete[] block;

    bool swap = order == kUTF16BigEndian;
    if (order == kUTF16ByteOrderMark && count != 0) {
        if (bytes[0] == 0xFE && bytes[1] == 0xFF) {
            swap = true;
        } else if (!(bytes[0] == 0xFF && bytes[1] == 0xFE)) {
            Check(status == kErrMalformed);
            return;
        }
        units.erase(units.begin());
    }
    if (swap) {
        for (UniChar& u : units) u = Swapped(u);
    }
    std::vector<UInt32> values;
    for (std::size_t i = 0; i < units.size(); ++i) {
        const UniChar u = units[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            values.push_back(0x10000 + ((u - 0xD800u) << 10) + (units[i + 1] - 0xDC00u));
            ++i;
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            Check(status == kErrConversion);  // unpaired
            return;
        } else {
            values.push_back(u);
        }
    }
    Check(status == 0);
    const std::vector<UInt8> expected = EncodeUTF8(values);
    Check(utf8->size() == expected.size() && Same(utf8->data(), expected.data(), expected.size()));

    // Back to host-order UTF-16: the same units, mark dropped.
    std::optional<std::vector<UniChar>> back;
    Check(Convert<UniChar>(
              [&](UniChar** out, UInt32* outLength) {
                  return UTF8toUTF16(utf8->data(), static_cast<UInt32>(utf8->size()), kUTF16HostOrder, out, outLength);
              },
              back) == 0);
    Check(*back == units);
}

void CheckLatin1(const UInt8* text, UInt32 length) {
    const auto* chars = reinterpret_cast<const char*>(text);
    std::vector<UInt32> values(text, text + length);
    std::optional<std::vector<char>> utf8;
    Check(Convert<char>([&](char** out, UInt32* outLength) { return Latin1toUTF8(chars, length, out, outLength); },
                        utf8) == 0);
    const std::vector<UInt8> expected = EncodeUTF8(values);
    Check(utf8->size() == expected.size() && Same(utf8->data(), expected.data(), expected.size()));
    std::optional<std::vector<char>> back;
    Check(Convert<char>(
              [&](char** out, UInt32* outLength) {
                  return UTF8toLatin1(utf8->data(), static_cast<UInt32>(utf8->size()), 0, out, outLength);
              },
              back) == 0);
    Check(back->size() == length && Same(back->data(), text, length));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const UInt32 selector = data[0] & 0x1F;
    const auto length = static_cast<UInt32>(size - 1);
    auto* text = new UInt8[length];  // exact size: a read past the length is caught
    std::memcpy(text, data + 1, length);

    CheckUTF8(text, length, selector);
    CheckUTF16(text, length, selector);
    CheckLatin1(text, length);

    // The automatic length stops at the first NUL.
    std::vector<char> terminated(text, text + length);
    terminated.push_back('\0');
    Check(UTF8Valid(terminated.data(), kAutoLength) ==
          UTF8Valid(terminated.data(), static_cast<UInt32>(std::strlen(terminated.data()))));
    delete[] text;
    return 0;
}
