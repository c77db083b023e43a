#include <keelward/checksums/Base64.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace keelward {
namespace {

std::string Encode(const std::string& bytes) {
    std::string out(Base64EncodedSize(static_cast<UInt32>(bytes.size())), '?');
    UInt32 count = 0;
    const SInt32 n = Base64Encode(bytes.data(), static_cast<UInt32>(bytes.size()), static_cast<UInt32>(out.size()),
                                  out.data(), &count);
    EXPECT_EQ(n, static_cast<SInt32>(out.size()));
    EXPECT_EQ(count, out.size());
    return out;
}

std::string Decode(const std::string& text, UInt32 capacity = 1000, SInt32* result = nullptr) {
    std::string out(capacity, '\0');
    UInt32 count = 12345;
    const SInt32 n = Base64Decode(text.data(), static_cast<UInt32>(text.size()), capacity, out.data(), &count);
    if (result != nullptr) *result = n;
    if (n >= 0) {
        EXPECT_EQ(static_cast<UInt32>(n), count);
    }
    out.resize(count);
    return out;
}

TEST(Base64, TablesAndRfc4648Vectors) {
    EXPECT_EQ(std::strlen(kBase64EncodeTable), 64U);
    for (int i = 0; i < 64; ++i) EXPECT_EQ(kBase64DecodeTable[static_cast<UInt8>(kBase64EncodeTable[i])], i);
    EXPECT_EQ(kBase64DecodeTable['='], kBase64PadMark);
    for (int c : {0, int{'\n'}, int{'\r'}, int{' '}, int{'-'}, int{'_'}, 0x80, 0xFF}) EXPECT_EQ(kBase64DecodeTable[c], kBase64SkipMark) << c;

    const char* vectors[][2] = {{"", ""},         {"f", "Zg=="},         {"fo", "Zm8="},
                                {"foo", "Zm9v"},  {"foob", "Zm9vYg=="},  {"fooba", "Zm9vYmE="},
                                {"foobar", "Zm9vYmFy"}};
    for (const auto& v : vectors) {
        EXPECT_EQ(Encode(v[0]), v[1]);
        EXPECT_EQ(Decode(v[1]), v[0]);
    }
}

TEST(Base64, AllByteValuesRoundTripAtEveryLength) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    for (std::size_t length = 0; length <= all.size(); ++length) {
        const std::string part = all.substr(256 - length);
        ASSERT_EQ(Decode(Encode(part), static_cast<UInt32>(Base64DecodedMaxSize(Base64EncodedSize(
                                               static_cast<UInt32>(length))))),
                  part)
            << length;
    }
}

TEST(Base64, SizeFunctions) {
    EXPECT_EQ(Base64EncodedSize(0), 0U);
    EXPECT_EQ(Base64EncodedSize(1), 4U);
    EXPECT_EQ(Base64EncodedSize(2), 4U);
    EXPECT_EQ(Base64EncodedSize(3), 4U);
    EXPECT_EQ(Base64EncodedSize(4), 8U);
    EXPECT_EQ(Base64DecodedMaxSize(0), 0U);
    EXPECT_EQ(Base64DecodedMaxSize(1), 3U);
    EXPECT_EQ(Base64DecodedMaxSize(4), 3U);
    EXPECT_EQ(Base64DecodedMaxSize(5), 6U);
    EXPECT_EQ(Base64DecodedSize("Zm9v\n==", 7), 4U);
    EXPECT_EQ(Base64DecodedSize("Zm 9v-_\xFF", 8), 4U);
}

TEST(Base64Encode, CapacityRunsOut) {
    const std::string data = "foobarx";  // two full groups and a final one
    char out[12];
    std::memset(out, '?', sizeof out);
    UInt32 count = 0;
    EXPECT_EQ(Base64Encode(data.data(), 7, 12, out, &count), 12);
    EXPECT_EQ(std::string(out, 12), "Zm9vYmFyeA==");
    std::memset(out, '?', sizeof out);
    EXPECT_EQ(Base64Encode(data.data(), 7, 11, out, &count), -1);
    EXPECT_EQ(count, 8U);
    EXPECT_EQ(std::string(out, 12), "Zm9vYmFy????");
    EXPECT_EQ(Base64Encode(data.data(), 7, 5, out, &count), -1);
    EXPECT_EQ(count, 4U);
    EXPECT_EQ(Base64Encode(data.data(), 0, 0, out, nullptr), 0);

    // Long input, every capacity: only whole groups that fit, never a byte beyond.
    std::string bytes(100, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37 + 11);
    const std::string full = Encode(bytes);  // 136 characters
    for (UInt32 capacity = 0; capacity < full.size(); ++capacity) {
        std::string partial(capacity, '?');
        EXPECT_EQ(Base64Encode(bytes.data(), 100, capacity, partial.data(), &count), -1) << capacity;
        const UInt32 fitting = capacity / 4 * 4;
        ASSERT_EQ(count, fitting) << capacity;
        EXPECT_EQ(partial.substr(0, count), full.substr(0, count));
        EXPECT_EQ(partial.substr(count), std::string(capacity - count, '?'));
    }
}

TEST(Base64EncodeLines, IndentedLinesOf76) {
    std::vector<UInt8> data(200);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<UInt8>(i * 7);
    auto lines = [&](UInt32 bytes, UInt32 tabs) {
        const UInt32 size = Base64EncodedLinesSize(bytes, tabs);
        std::string out(size + 8, '?');
        UInt32 count = 0;
        Base64EncodeLines(data.data(), bytes, tabs, out.data(), &count);
        EXPECT_EQ(count, size) << bytes << " bytes, " << tabs << " tabs";
        EXPECT_EQ(out.substr(size), std::string(8, '?'));  // nothing past the computed size
        out.resize(count);
        return out;
    };
    const std::string plain = Encode(std::string(data.begin(), data.end()));

    const std::string one = lines(57, 2);
    EXPECT_EQ(one.size(), 79U);
    EXPECT_EQ(one, "\t\t" + plain.substr(0, 76) + "\n");

    const std::string two = lines(58, 2);
    EXPECT_EQ(two, "\t\t" + plain.substr(0, 76) + "\n\t\t" + Encode(std::string(data.begin() + 57, data.begin() + 58)) +
                       "\n");
    EXPECT_EQ(lines(1, 1), "\tAA==\n");
    EXPECT_EQ(lines(3, 0), plain.substr(0, 4) + "\n");
    EXPECT_EQ(lines(0, 3), "");
    for (UInt32 bytes = 0; bytes <= 200; ++bytes) {
        for (UInt32 tabs : {0U, 1U, 3U}) {
            const std::string text = lines(bytes, tabs);
            // Decoding the lines gives the data back.
            EXPECT_EQ(Decode(text), std::string(data.begin(), data.begin() + bytes));
        }
    }
}

TEST(Base64Decode, LenientAboutForeignBytesPaddingAndUnfinishedGroups) {
    struct Case {
        std::string text;
        std::string bytes;
    };
    const Case cases[] = {
        {"Zm9v\r\nYmFy", "foobar"},
        {"Z m\t9\nv", "foo"},             // white space inside a group
        {"Zg==", "f"},
        {"Zm8=", "fo"},
        {"Zm8=Zm9v", "fo"},               // nothing after the first "="
        {"Zm9v=Zm9v", "foo"},             // "=" at the start of a group ends decoding
        {"=Zm9v", ""},
        {"Zm9vYm", "foo"},                // unfinished final group dropped
        {"Zm9vY", "foo"},
        {std::string("Zm\0" "9v", 5), "foo"},
        {"Zm9v\xC3\xA9YmFy", "foobar"},
        {"Zm-9_v", "foo"},
        {"Zw==", "g"},
        {"Zx==", "g"},                    // low bits of the last character are dropped
    };
    for (const Case& c : cases) EXPECT_EQ(Decode(c.text), c.bytes) << c.text;
}

TEST(Base64Decode, OneCharacterBeforePadYieldsItsSixBitsAndZeros) {
    // After a complete group, so that stale group slots would show.
    EXPECT_EQ(Decode("////Z="), std::string("\xFF\xFF\xFF\x64", 4));
    EXPECT_EQ(Decode("/="), std::string("\xFC", 1));
}

TEST(Base64Decode, CapacityRunsOut) {
    SInt32 result = 0;
    EXPECT_EQ(Decode("Zm9v", 2, &result), "");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Decode("Zm9vYmFy", 5, &result), "foo");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Decode("Zm9vYg==", 3, &result), "foo");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Decode("Zm9vYg==", 4, &result), "foob");
    EXPECT_EQ(result, 4);
    EXPECT_EQ(Decode("Zm9v", 3, &result), "foo");
    EXPECT_EQ(result, 3);
}

TEST(Base64Decode, RandomDataWithNoiseRoundTrips) {
    std::mt19937 engine(9);
    for (int round = 0; round < 50; ++round) {
        std::string data(engine() % 3000, '\0');
        for (auto& c : data) c = static_cast<char>(engine());
        std::string text = Encode(data);
        // The one-line and the line-wrapped encoders agree.
        std::string wrapped(Base64EncodedLinesSize(static_cast<UInt32>(data.size()), 0), '\0');
        Base64EncodeLines(data.data(), static_cast<UInt32>(data.size()), 0, wrapped.data(), nullptr);
        std::erase(wrapped, '\n');
        EXPECT_EQ(wrapped, text);
        // Sprinkle skipped bytes through the text.
        std::string noisy;
        for (char c : text) {
            if (engine() % 7 == 0) noisy.push_back("\n \t\r-_\x80"[engine() % 7]);
            noisy.push_back(c);
        }
        EXPECT_EQ(Base64DecodedSize(noisy.data(), static_cast<UInt32>(noisy.size())),
                  text.size() - static_cast<std::size_t>(std::count(text.begin(), text.end(), '=')));
        EXPECT_EQ(Decode(noisy, static_cast<UInt32>(data.size())), data);
    }
}

}  // namespace
}  // namespace keelward
