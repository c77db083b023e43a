// Base64 of the library against OpenSSL's EVP_EncodeBlock and EVP_DecodeBlock on
// 1 MiB, side by side in one run; prints the speed ratios at the end.
#include <keelward/checksums/Base64.h>

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

namespace {

constexpr std::size_t kSize = 1 << 20;

struct Fixture {
    std::vector<unsigned char> data;
    std::vector<char> text;  // the encoded data, no line breaks
    Fixture() : data(kSize) {
        std::mt19937 engine(42);
        for (auto& b : data) b = static_cast<unsigned char>(engine());
        text.resize(keelward::Base64EncodedSize(kSize));
        keelward::Base64Encode(data.data(), kSize, static_cast<keelward::UInt32>(text.size()), text.data(), nullptr);
    }
};

const Fixture& Shared() {
    static const Fixture fixture;
    return fixture;
}

void BM_KeelwardBase64Encode(benchmark::State& state) {
    const Fixture& f = Shared();
    std::vector<char> out(f.text.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(keelward::Base64Encode(f.data.data(), kSize, static_cast<keelward::UInt32>(out.size()),
                                                        out.data(), nullptr));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_OpenSSLEncodeBlock(benchmark::State& state) {
    const Fixture& f = Shared();
    std::vector<unsigned char> out(f.text.size() + 1);  // EVP_EncodeBlock adds a NUL
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_EncodeBlock(out.data(), f.data.data(), static_cast<int>(kSize)));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_KeelwardBase64Decode(benchmark::State& state) {
    const Fixture& f = Shared();
    std::vector<unsigned char> out(kSize + 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(keelward::Base64Decode(f.text.data(), static_cast<keelward::UInt32>(f.text.size()),
                                                        static_cast<keelward::UInt32>(out.size()), out.data(),
                                                        nullptr));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
void BM_OpenSSLDecodeBlock(benchmark::State& state) {
    const Fixture& f = Shared();
    std::vector<unsigned char> out(kSize + 3);
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_DecodeBlock(out.data(), reinterpret_cast<const unsigned char*>(f.text.data()),
                                                 static_cast<int>(f.text.size())));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * kSize);
}
BENCHMARK(BM_KeelwardBase64Encode);
BENCHMARK(BM_OpenSSLEncodeBlock);
BENCHMARK(BM_KeelwardBase64Decode);
BENCHMARK(BM_OpenSSLDecodeBlock);

// Both libraries must produce the same text and the same bytes.
bool SameResults() {
    const Fixture& f = Shared();
    std::vector<unsigned char> theirs(f.text.size() + 1);
    EVP_EncodeBlock(theirs.data(), f.data.data(), static_cast<int>(kSize));
    if (std::memcmp(theirs.data(), f.text.data(), f.text.size()) != 0) return false;
    std::vector<unsigned char> decoded(kSize + 3);
    const keelward::SInt32 n = keelward::Base64Decode(f.text.data(), static_cast<keelward::UInt32>(f.text.size()),
                                                      static_cast<keelward::UInt32>(decoded.size()), decoded.data(),
                                                      nullptr);
    // EVP_DecodeBlock counts the padding as zero bytes; compare the real ones.
    const int m = EVP_DecodeBlock(theirs.data(), reinterpret_cast<const unsigned char*>(f.text.data()),
                                  static_cast<int>(f.text.size()));
    return n == static_cast<keelward::SInt32>(kSize) && m >= n && std::memcmp(decoded.data(), f.data.data(), kSize) == 0 &&
           std::memcmp(theirs.data(), f.data.data(), kSize) == 0;
}

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_KeelwardBase64Encode", "BM_OpenSSLEncodeBlock", "goal >= 1"},
    {"BM_KeelwardBase64Decode", "BM_OpenSSLDecodeBlock", "goal >= 1"},
};

}  // namespace

int main(int argc, char** argv) {
    if (!SameResults()) {
        std::fputs("results differ from OpenSSL\n", stderr);
        return EXIT_FAILURE;
    }
    std::puts("results identical to OpenSSL on 1 MiB of random data");
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return EXIT_FAILURE;
    reporter.PrintRatios("Speed relative to OpenSSL", kComparisons);
    return 0;
}
