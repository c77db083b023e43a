// What every benchmark program shares: it runs its benchmarks, then prints how fast
// the library is against the reference it is measured with, as the reference's CPU
// time over the library's (above 1: the library is faster). CPU time, because the
// machine may be shared; with repetitions the median stands for a benchmark.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace keelward::bench {

struct Comparison {
    const char* library;    // benchmark names, arguments included ("BM_BlockSet/3")
    const char* reference;
    const char* note = "";  // the goal, or what the pair shows
};

class RatioReporter final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            const std::string name = run.run_name.str();
            // Single runs come before their aggregates: a median replaces them.
            if (run.run_type != Run::RT_Iteration && !median) continue;
            cpuTimes_[name] = run.GetAdjustedCPUTime();
            if (const auto bytes = run.counters.find("bytes_per_second"); bytes != run.counters.end()) {
                throughputs_[name] = bytes->second.value;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    std::optional<double> CPUTime(const std::string& name) const {
        const auto found = cpuTimes_.find(name);
        return found == cpuTimes_.end() ? std::nullopt : std::optional(found->second);
    }
    // Bytes per second of every benchmark that counts them.
    const std::map<std::string, double>& Throughputs() const { return throughputs_; }

    void PrintRatios(const char* heading, std::span<const Comparison> comparisons) const {
        std::printf("\n%s (reference CPU time / library CPU time)\n", heading);
        for (const Comparison& comparison : comparisons) {
            const std::optional<double> library = CPUTime(comparison.library);
            const std::optional<double> reference = CPUTime(comparison.reference);
            if (!library || !reference || *library <= 0) continue;
            std::printf("  %-40s vs %-40s %6.2fx  %s\n", comparison.library, comparison.reference,
                        *reference / *library, comparison.note);
        }
    }

private:
    std::map<std::string, double> cpuTimes_;
    std::map<std::string, double> throughputs_;
};

// Runs the benchmarks the command line selects; false for an unknown argument.
inline bool RunBenchmarks(int argc, char** argv, RatioReporter& reporter) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return false;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return true;
}

}  // namespace keelward::bench
