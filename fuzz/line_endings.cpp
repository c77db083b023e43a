// Line-ending conversion over arbitrary bytes, against a one-pass reference written
// here: the size, the copying conversion, the conversion into a new buffer and the
// in-place one all agree with it, and so the in-place result equals the copying one
// and both lengths equal GetChangedLineEndingsSize. Every buffer has exactly the size
// the contract asks for, so a write past it is caught. The first input byte picks the
// target (CR, CR LF, LF, or one that is none of them); the rest is the text.
#include <keelward/strings/LineEndings.h>

#include <malloc.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace keelward;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

constexpr LineEndingType kTargets[] = {kLineEndingCR, kLineEndingCRLF, kLineEndingLF, 0, 4, kLineEndingMixed};
constexpr UInt32 kUntouched = 0xA5A5A5A5;

struct Reference {
    std::string converted;  // the text unchanged for a target that is none of the three
    LineEndingType type;
};

Reference Convert(const std::string& text, LineEndingType target) {
    const char* ending = target == kLineEndingCR ? "\r" : target == kLineEndingCRLF ? "\r\n" : "\n";
    const bool valid = target == kLineEndingCR || target == kLineEndingCRLF || target == kLineEndingLF;
    std::string out;
    int pairs = 0, crs = 0, lfs = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            ++pairs;
            ++i;
        } else if (c == '\r') {
            ++crs;
        } else if (c == '\n') {
            ++lfs;
        } else {
            out += c;
            continue;
        }
        out += ending;
    }
    const int kinds = (pairs != 0) + (crs != 0) + (lfs != 0);
    const LineEndingType type = kinds > 1     ? kLineEndingMixed
                                : crs != 0    ? kLineEndingCR
                                : pairs != 0  ? kLineEndingCRLF
                                : lfs != 0    ? kLineEndingLF
                                              : kLineEndingNone;
    return {valid ? out : text, type};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const LineEndingType target = kTargets[data[0] % std::size(kTargets)];
    const bool valid = target == kLineEndingCR || target == kLineEndingCRLF || target == kLineEndingLF;
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const auto length = static_cast<UInt32>(text.size());
    const Reference reference = Convert(text, target);
    const auto converted = static_cast<UInt32>(reference.converted.size());

    // Exact-size blocks: the source, and each destination.
    auto* source = new char[length];
    std::memcpy(source, text.data(), length);

    Check(GetLineEndingType(source, length) == reference.type);
    const UInt32 changedSize = GetChangedLineEndingsSize(source, length, target);
    Check(changedSize == converted);

    auto* destination = new char[changedSize];
    UInt32 written = kUntouched;
    ChangeLineEndings(source, length, target, destination, &written);
    if (valid) {
        Check(written == changedSize && std::memcmp(destination, reference.converted.data(), written) == 0);
    } else {
        Check(written == 0);
    }
    ChangeLineEndings(source, length, target, destination, nullptr);

    // In place, in a buffer of the larger of the two lengths; bytes freed past a
    // shrunk text hold its old last byte.
    const UInt32 room = std::max(length, changedSize);
    auto* buffer = new char[room];
    std::memcpy(buffer, text.data(), length);
    UInt32 newLength = kUntouched;
    ChangeLineEndingsInPlace(buffer, length, target, &newLength);
    if (valid) {
        Check(newLength == changedSize);
        Check(std::memcmp(buffer, destination, newLength) == 0);
        for (UInt32 i = newLength; i < length; ++i) Check(buffer[i] == text.back());
    } else {
        Check(newLength == kUntouched || newLength == length);
        Check(std::memcmp(buffer, text.data(), length) == 0);
    }

    char* copy = nullptr;
    UInt32 copyLength = kUntouched;
    Check(ChangeLineEndingsCopy(source, length, target, &copy, &copyLength) == 0);
    Check(copy != nullptr && malloc_usable_size(copy) >= std::size_t{changedSize} + 1 && copy[changedSize] == '\0');
    Check(std::memcmp(copy, reference.converted.data(), changedSize) == 0);
    if (valid) Check(copyLength == changedSize);
    std::free(copy);

    // The automatic length measures up to the first NUL.
    const std::string terminated = text + '\0';
    Check(GetChangedLineEndingsSize(terminated.c_str(), kAutoLength, target) ==
          GetChangedLineEndingsSize(terminated.c_str(), static_cast<UInt32>(std::strlen(terminated.c_str())), target));
    Check(GetLineEndingType(terminated.c_str(), kAutoLength) ==
          GetLineEndingType(terminated.c_str(), static_cast<UInt32>(std::strlen(terminated.c_str()))));

    delete[] buffer;
    delete[] destination;
    delete[] source;
    return 0;
}
