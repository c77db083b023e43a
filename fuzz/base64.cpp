// Base64 over arbitrary bytes: decoding never writes past the capacity it is given,
// and both encoders' output decodes back to the input.
#include <keelward/Utilities.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

using namespace keelward;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<UInt8> input(data + 1, data + size);
    const auto count = static_cast<UInt32>(input.size());
    const std::vector<char> text(input.begin(), input.end());

    // Decoding the bytes as text into every capacity up to what they can need;
    // the buffer is exactly that large, so a write past it is caught.
    const UInt32 most = Base64DecodedMaxSize(count);
    const UInt32 capacity = data[0] % (most + 1);
    std::vector<UInt8> decoded(capacity);
    UInt32 written = 0xFFFFFFFF;
    const SInt32 result = Base64Decode(text.data(), count, capacity, decoded.data(), &written);
    Check(written <= capacity);
    Check(result == -1 || static_cast<UInt32>(result) == written);
    Check(written <= Base64DecodedSize(text.data(), count));

    // Plain encoding, then decoding, gives the bytes back.
    std::vector<char> encoded(Base64EncodedSize(count));
    UInt32 encodedCount = 0;
    Check(Base64Encode(input.data(), count, static_cast<UInt32>(encoded.size()), encoded.data(), &encodedCount) ==
          static_cast<SInt32>(encoded.size()));
    Check(encodedCount == encoded.size());
    std::vector<UInt8> back(Base64DecodedMaxSize(encodedCount));
    UInt32 backCount = 0;
    Check(Base64Decode(encoded.data(), encodedCount, static_cast<UInt32>(back.size()), back.data(), &backCount) ==
          static_cast<SInt32>(count));
    Check(backCount == count && std::equal(input.begin(), input.end(), back.begin()));

    // Indented lines decode to the same bytes: tabs and line feeds are skipped.
    const UInt32 tabs = data[0] % 4;
    std::vector<char> lines(Base64EncodedLinesSize(count, tabs));
    UInt32 linesCount = 0;
    Base64EncodeLines(input.data(), count, tabs, lines.data(), &linesCount);
    Check(linesCount == lines.size());
    std::vector<UInt8> fromLines(Base64DecodedMaxSize(linesCount));
    UInt32 fromLinesCount = 0;
    Check(Base64Decode(lines.data(), linesCount, static_cast<UInt32>(fromLines.size()), fromLines.data(),
                       &fromLinesCount) == static_cast<SInt32>(count));
    Check(std::equal(input.begin(), input.end(), fromLines.begin()));
    return 0;
}
