// Any bytes given to the NVRAM image parser are either refused or, once accepted,
// take a write of one variable that changes nothing but that variable.
#include <keelward/platform/IOKit/NvramImage.h>

#include <cstdlib>
#include <cstring>

using namespace keelward;

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<UInt8> bytes(data, data + size);
    NvramImage image;
    if (NvramImage::Parse(bytes, image) != kIOReturnSuccess) return 0;
    Check(image.Bytes() == bytes);
    const auto entriesBefore = image.Entries();
    // The last byte picks the value written, so that values of many lengths and
    // every escape meet every image.
    const UInt8 pick = size > 0 ? data[size - 1] : 0;
    std::vector<UInt8> raw(pick % 64, pick);
    const std::vector<UInt8> value = NvramEscapeData(raw);
    const bool isNew = !image.StoredValue("fuzz-var").has_value();

    const kern_return_t status = image.SetStoredValue("fuzz-var", value);
    if (status != kIOReturnSuccess) {
        Check(status == kIOReturnNoSpace);
        Check(image.Bytes() == bytes);
        return 0;
    }
    const NvramPartition& variables = image.VariablesPartition();
    const std::vector<UInt8>& after = image.Bytes();
    Check(after.size() == bytes.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (i >= variables.offset + NvramImage::kHeaderSize && i < variables.offset + variables.size) continue;
        Check(after[i] == bytes[i]);
    }
    image.SealBankHeader();
    NvramImage reparsed;
    Check(NvramImage::Parse(image.Bytes(), reparsed) == kIOReturnSuccess);
    Check(reparsed.StoredValue("fuzz-var") == value);
    Check(NvramUnescapeData(value) == raw);
    // Every other entry keeps its bytes and its place; the first of that name (or a
    // new last one) holds the value.
    const auto entriesAfter = reparsed.Entries();
    Check(entriesAfter.size() == entriesBefore.size() + (isNew ? 1 : 0));
    bool replaced = false;
    for (std::size_t i = 0; i < entriesBefore.size(); ++i) {
        if (!replaced && entriesBefore[i].first == "fuzz-var") {
            Check(entriesAfter[i].first == "fuzz-var" && entriesAfter[i].second == value);
            replaced = true;
            continue;
        }
        Check(entriesAfter[i] == entriesBefore[i]);
    }
    if (isNew) Check(entriesAfter.back().first == "fuzz-var" && entriesAfter.back().second == value);
    return 0;
}
