// UTF-8 validation, UTF-8/UTF-16 conversion and line endings, side by side with ICU
// and with the copying conversion. Prints the speed ratios at the end.
#include <keelward/strings/Strings.h>

#include <benchmark/benchmark.h>
#include <unicode/ustring.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "BenchmarkRatios.h"

namespace {

using keelward::UInt32;
using keelward::UniChar;

constexpr size_t kTextBytes = 1 << 20;

// English-like ASCII prose in lines of 40 to 100 characters ended by LF.
std::string MakeASCII() {
    std::mt19937 rng(1);
    const char* const words[] = {"the", "quick", "brown", "fox", "jumps", "over", "lazy", "dog", "and",
                                 "firmware", "password", "security", "mode", "of", "a", "machine"};
    std::string s;
    size_t lineStart = 0;
    while (s.size() < kTextBytes) {
        s += words[rng() % std::size(words)];
        if (s.size() - lineStart > 40 + rng() % 60) {
            s += '\n';
            lineStart = s.size();
        } else {
            s += ' ';
        }
    }
    s.resize(kTextBytes);
    return s;
}

// About 30% of the characters take 2 to 4 bytes (accented Latin, Cyrillic, CJK, emoji).
std::string MakeMixed() {
    std::mt19937 rng(2);
    const char* const multi[] = {"\xC3\xA9", "\xC3\xBC", "\xD0\xB6", "\xD0\xB8", "\xE2\x82\xAC",
                                 "\xE4\xB8\xAD", "\xE6\x96\x87", "\xF0\x9F\x98\x80"};
    std::string s;
    while (s.size() < kTextBytes - 4) {
        if (rng() % 100 < 30) {
            s += multi[rng() % std::size(multi)];
        } else {
            s += static_cast<char>(rng() % 9 == 0 ? ' ' : 'a' + rng() % 26);
        }
    }
    return s;
}

const std::string& Text(int kind) {
    static const std::string ascii = MakeASCII();
    static const std::string mixed = MakeMixed();
    return kind == 0 ? ascii : mixed;
}

std::vector<UniChar> TextUTF16(int kind) {
    const std::string& utf8 = Text(kind);
    std::vector<UniChar> units(utf8.size());
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(units.data(), static_cast<int32_t>(units.size()), &length, utf8.data(),
                  static_cast<int32_t>(utf8.size()), &error);
    if (U_FAILURE(error)) std::abort();
    units.resize(static_cast<size_t>(length));
    return units;
}

const char* KindLabel(int kind) { return kind == 0 ? "ascii" : "mixed30"; }

void SetThroughput(benchmark::State& state, size_t bytes, int kind) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    state.SetLabel(KindLabel(kind));
}

// ---------------------------------------------------------------------------------
// UTF-8 validation

void BM_UTF8Valid(benchmark::State& state) {
    const std::string& s = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(keelward::UTF8Valid(s.data(), static_cast<UInt32>(s.size())));
    }
    SetThroughput(state, s.size(), static_cast<int>(state.range(0)));
}

void BM_ICU_FromUTF8Preflight(benchmark::State& state) {
    const std::string& s = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<int32_t>(s.size()), &error);
        benchmark::DoNotOptimize(length);
    }
    SetThroughput(state, s.size(), static_cast<int>(state.range(0)));
}

// ---------------------------------------------------------------------------------
// UTF-8 to UTF-16: the library sizes, allocates and converts; ICU is given both its
// ways to reach the same exact-size result (preflight, allocate, convert) and its best
// case (convert into a buffer allocated once, of the largest possible size).

void BM_UTF8toUTF16(benchmark::State& state) {
    const std::string& s = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        UniChar* out = nullptr;
        UInt32 length = 0;
        if (keelward::UTF8toUTF16(s.data(), static_cast<UInt32>(s.size()), 0, &out, &length) != 0) std::abort();
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    SetThroughput(state, s.size(), static_cast<int>(state.range(0)));
}

void BM_ICU_FromUTF8Exact(benchmark::State& state) {
    const std::string& s = Text(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(nullptr, 0, &length, s.data(), static_cast<int32_t>(s.size()), &error);
        auto* out = static_cast<UChar*>(std::malloc((static_cast<size_t>(length) + 1) * sizeof(UChar)));
        error = U_ZERO_ERROR;
        u_strFromUTF8(out, length + 1, &length, s.data(), static_cast<int32_t>(s.size()), &error);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    SetThroughput(state, s.size(), static_cast<int>(state.range(0)));
}

void BM_ICU_FromUTF8Preallocated(benchmark::State& state) {
    const std::string& s = Text(static_cast<int>(state.range(0)));
    std::vector<UChar> out(s.size() + 1);
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8(out.data(), static_cast<int32_t>(out.size()), &length, s.data(),
                      static_cast<int32_t>(s.size()), &error);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, s.size(), static_cast<int>(state.range(0)));
}

// ---------------------------------------------------------------------------------
// UTF-16 to UTF-8

void BM_UTF16toUTF8(benchmark::State& state) {
    const std::vector<UniChar> units = TextUTF16(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        char* out = nullptr;
        UInt32 length = 0;
        if (keelward::UTF16toUTF8(units.data(), static_cast<UInt32>(units.size()), 0, &out, &length) != 0) {
            std::abort();
        }
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    SetThroughput(state, Text(static_cast<int>(state.range(0))).size(), static_cast<int>(state.range(0)));
}

void BM_ICU_ToUTF8Exact(benchmark::State& state) {
    const std::vector<UniChar> units = TextUTF16(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(nullptr, 0, &length, units.data(), static_cast<int32_t>(units.size()), &error);
        auto* out = static_cast<char*>(std::malloc(static_cast<size_t>(length) + 1));
        error = U_ZERO_ERROR;
        u_strToUTF8(out, length + 1, &length, units.data(), static_cast<int32_t>(units.size()), &error);
        benchmark::DoNotOptimize(out);
        std::free(out);
    }
    SetThroughput(state, Text(static_cast<int>(state.range(0))).size(), static_cast<int>(state.range(0)));
}

void BM_ICU_ToUTF8Preallocated(benchmark::State& state) {
    const std::vector<UniChar> units = TextUTF16(static_cast<int>(state.range(0)));
    std::string out(units.size() * 3 + 1, '\0');
    for (auto _ : state) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &length, units.data(),
                    static_cast<int32_t>(units.size()), &error);
        benchmark::DoNotOptimize(out.data());
    }
    SetThroughput(state, Text(static_cast<int>(state.range(0))).size(), static_cast<int>(state.range(0)));
}

// ---------------------------------------------------------------------------------
// Line endings

// 1 MiB of text with exactly 50,000 line endings, CR LF or LF.
std::string MakeLines(bool crlf) {
    constexpr size_t kLines = 50000;
    const size_t ending = crlf ? 2 : 1;
    const size_t bodyTotal = kTextBytes - kLines * ending;
    std::string s;
    s.reserve(kTextBytes);
    for (size_t line = 0; line < kLines; ++line) {
        const size_t body = bodyTotal * (line + 1) / kLines - bodyTotal * line / kLines;
        for (size_t i = 0; i < body; ++i) s += static_cast<char>('a' + (line + i) % 26);
        s += crlf ? "\r\n" : "\n";
    }
    return s;
}

// Each iteration converts CR LF to LF and back again, so the buffer ends as it began:
// in place, and through ChangeLineEndings between two buffers.
void BM_ChangeLineEndingsInPlace_RoundTrip(benchmark::State& state) {
    const std::string crlf = MakeLines(true);
    std::string buffer = crlf;
    for (auto _ : state) {
        UInt32 length = 0;
        keelward::ChangeLineEndingsInPlace(buffer.data(), static_cast<UInt32>(buffer.size()), keelward::kLineEndingLF,
                                           &length);
        keelward::ChangeLineEndingsInPlace(buffer.data(), length, keelward::kLineEndingCRLF, &length);
        benchmark::DoNotOptimize(buffer.data());
    }
    if (buffer != crlf) std::abort();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * static_cast<int64_t>(kTextBytes));
}

void BM_ChangeLineEndingsTwoBuffers_RoundTrip(benchmark::State& state) {
    const std::string crlf = MakeLines(true);
    std::string buffer = crlf;
    std::string other(crlf.size(), '\0');
    for (auto _ : state) {
        UInt32 length = 0;
        keelward::ChangeLineEndings(buffer.data(), static_cast<UInt32>(buffer.size()), keelward::kLineEndingLF,
                                    other.data(), &length);
        keelward::ChangeLineEndings(other.data(), length, keelward::kLineEndingCRLF, buffer.data(), &length);
        benchmark::DoNotOptimize(buffer.data());
    }
    if (buffer != crlf) std::abort();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * 2 * static_cast<int64_t>(kTextBytes));
}

// ChangeLineEndings on ordinary text: range(0) is the target, range(1) whether the
// source uses CR LF (else LF).
void BM_ChangeLineEndings(benchmark::State& state) {
    const auto target = static_cast<keelward::LineEndingType>(state.range(0));
    std::string source = MakeASCII();
    if (state.range(1) != 0) {
        char* crlf = nullptr;
        UInt32 length = 0;
        keelward::ChangeLineEndingsCopy(source.data(), static_cast<UInt32>(source.size()), keelward::kLineEndingCRLF,
                                        &crlf, &length);
        source.assign(crlf, length);
        std::free(crlf);
    }
    std::string out(
        keelward::GetChangedLineEndingsSize(source.data(), static_cast<UInt32>(source.size()), target), '\0');
    for (auto _ : state) {
        UInt32 written = 0;
        keelward::ChangeLineEndings(source.data(), static_cast<UInt32>(source.size()), target, out.data(), &written);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(source.size()));
    state.SetLabel(state.range(1) != 0 ? "from CR LF" : "from LF");
}

BENCHMARK(BM_UTF8Valid)->Arg(0)->Arg(1);
BENCHMARK(BM_ICU_FromUTF8Preflight)->Arg(0)->Arg(1);
BENCHMARK(BM_UTF8toUTF16)->Arg(0)->Arg(1);
BENCHMARK(BM_ICU_FromUTF8Exact)->Arg(0)->Arg(1);
BENCHMARK(BM_ICU_FromUTF8Preallocated)->Arg(0)->Arg(1);
BENCHMARK(BM_UTF16toUTF8)->Arg(0)->Arg(1);
BENCHMARK(BM_ICU_ToUTF8Exact)->Arg(0)->Arg(1);
BENCHMARK(BM_ICU_ToUTF8Preallocated)->Arg(0)->Arg(1);
BENCHMARK(BM_ChangeLineEndingsInPlace_RoundTrip);
BENCHMARK(BM_ChangeLineEndingsTwoBuffers_RoundTrip);
BENCHMARK(BM_ChangeLineEndings)
    ->Args({keelward::kLineEndingCRLF, 0})
    ->Args({keelward::kLineEndingLF, 1})
    ->Args({keelward::kLineEndingCR, 0})
    ->Args({keelward::kLineEndingCR, 1})
    ->Args({keelward::kLineEndingLF, 0});

// Keeps the time per iteration of every run to print the ratios after the table.

constexpr keelward::bench::Comparison kComparisons[] = {
    {"BM_UTF8Valid/0", "BM_ICU_FromUTF8Preflight/0", "ASCII (goal >= 2)"},
    {"BM_UTF8Valid/1", "BM_ICU_FromUTF8Preflight/1", "30% multi-byte (goal >= 1)"},
    {"BM_UTF8toUTF16/0", "BM_ICU_FromUTF8Exact/0", "ASCII, same result (goal >= 1)"},
    {"BM_UTF8toUTF16/1", "BM_ICU_FromUTF8Exact/1", "30% multi-byte, same result (goal >= 1)"},
    {"BM_UTF8toUTF16/0", "BM_ICU_FromUTF8Preallocated/0", "ASCII, ICU's best case"},
    {"BM_UTF8toUTF16/1", "BM_ICU_FromUTF8Preallocated/1", "30% multi-byte, ICU's best case"},
    {"BM_UTF16toUTF8/0", "BM_ICU_ToUTF8Exact/0", "ASCII, same result (goal >= 1)"},
    {"BM_UTF16toUTF8/1", "BM_ICU_ToUTF8Exact/1", "30% multi-byte, same result (goal >= 1)"},
    {"BM_UTF16toUTF8/0", "BM_ICU_ToUTF8Preallocated/0", "ASCII, ICU's best case"},
    {"BM_UTF16toUTF8/1", "BM_ICU_ToUTF8Preallocated/1", "30% multi-byte, ICU's best case"},
    {"BM_ChangeLineEndingsInPlace_RoundTrip", "BM_ChangeLineEndingsTwoBuffers_RoundTrip", "linear in place"},
};

}  // namespace

int main(int argc, char** argv) {
    keelward::bench::RatioReporter reporter;
    if (!keelward::bench::RunBenchmarks(argc, argv, reporter)) return 1;
    reporter.PrintRatios("Speed relative to ICU and to converting into a second buffer", kComparisons);
    std::printf("\nChangeLineEndings throughput (goal >= 1 GB/s)\n");
    for (const auto& [name, bytesPerSecond] : reporter.Throughputs()) {
        if (name.rfind("BM_ChangeLineEndings/", 0) == 0) std::printf("  %-40s %6.2f GB/s\n", name.c_str(), bytesPerSecond / 1e9);
    }
    return 0;
}
