// Number and address readers of the library against the C library's strtol and
// inet_pton, side by side in one run; prints the speed ratios at the end.
#include <keelward/text/AddressText.h>
#include <keelward/text/IntegerText.h>

#include <arpa/inet.h>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

namespace {

const std::vector<std::string>& Numbers() {
    static const std::vector<std::string> numbers = [] {
        std::vector<std::string> out;
        unsigned x = 12345;
        for (int i = 0; i < 1024; ++i) {
            x = x * 1103515245U + 12345U;
            out.push_back(std::to_string(static_cast<int>(x) / (1 << (x % 24))));
        }
        return out;
    }();
    return numbers;
}

const std::vector<std::string>& Addresses() {
    static const std::vector<std::string> addresses = [] {
        std::vector<std::string> out;
        unsigned x = 777;
        for (int i = 0; i < 1024; ++i) {
            x = x * 1103515245U + 12345U;
            out.push_back(std::to_string(x >> 24) + "." + std::to_string((x >> 16) & 0xFF) + "." +
                          std::to_string((x >> 8) & 0xFF) + "." + std::to_string(x & 0xFF));
        }
        return out;
    }();
    return addresses;
}

void BM_KeelwardTextToInt32(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& n : Numbers()) benchmark::DoNotOptimize(keelward::TextToInt32(n.c_str(), keelward::kAutoLength, 10));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
void BM_Strtol(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& n : Numbers()) benchmark::DoNotOptimize(std::strtol(n.c_str(), nullptr, 10));
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
void BM_KeelwardTextToIPv4Address(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& a : Addresses()) {
            keelward::UInt32 address = 0;
            benchmark::DoNotOptimize(keelward::TextToIPv4Address(a.c_str(), static_cast<keelward::UInt32>(a.size()),
                                                                 0, &address, nullptr, nullptr, nullptr));
            benchmark::DoNotOptimize(address);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
void BM_InetPton(benchmark::State& state) {
    for (auto _ : state) {
        for (const std::string& a : Addresses()) {
            in_addr address{};
            benchmark::DoNotOptimize(inet_pton(AF_INET, a.c_str(), &address));
            benchmark::DoNotOptimize(address);
        }
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
BENCHMARK(BM_KeelwardTextToInt32);
BENCHMARK(BM_Strtol);
BENCHMARK(BM_KeelwardTextToIPv4Address);
BENCHMARK(BM_InetPton);

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_KeelwardTextToInt32", "BM_Strtol"},
    {"BM_KeelwardTextToIPv4Address", "BM_InetPton", "also reads a port and a prefix"},
};

}  // namespace

int main(int argc, char** argv) {
    for (const std::string& n : Numbers()) {
        if (keelward::TextToInt32(n.c_str(), keelward::kAutoLength, 10) != std::strtol(n.c_str(), nullptr, 10)) {
            std::fprintf(stderr, "TextToInt32 differs from strtol on %s\n", n.c_str());
            return EXIT_FAILURE;
        }
    }
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return EXIT_FAILURE;
    reporter.PrintRatios("Speed relative to the C library", kComparisons);
    return 0;
}
