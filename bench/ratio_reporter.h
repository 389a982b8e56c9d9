// ratio_reporter.h - the console table of a benchmark run, and the median
// rate of each benchmark kept for the ratios printed after it.
#pragma once

#include <benchmark/benchmark.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

namespace jq::bench {

// The console output as usual, and the rate of every finished run kept by
// benchmark name.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto rate = run.counters.find("bytes_per_second");
            if (rate != run.counters.end())
                rates_[run.run_name.function_name].push_back(rate->second.value);
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // The median rate of a benchmark, in bytes per second; 0 if it did not run.
    double rate(const std::string& name) const {
        const auto found = rates_.find(name);
        if (found == rates_.end() || found->second.empty()) return 0;
        std::vector<double> values = found->second;
        std::sort(values.begin(), values.end());
        const size_t middle = values.size() / 2;
        return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
    }

private:
    std::map<std::string, std::vector<double>> rates_;
};

}  // namespace jq::bench
