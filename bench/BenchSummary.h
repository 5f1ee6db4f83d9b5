// The console output of a benchmark run, keeping each benchmark's figures (median and
// fastest wall-clock, median CPU, in ms) so that a summary of engine / plain ratios can
// follow it. A shared machine only ever adds time, so the fastest repetition and the CPU
// time are kept beside the median.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vornelta::bench {

struct Figures {
    std::optional<double> real;    // median wall-clock ms
    std::optional<double> cpu;     // median CPU ms
    std::optional<double> fastest; // fastest repetition, wall-clock ms
};

class FigureReporter : public benchmark::ConsoleReporter {
public:
    using ConsoleReporter::ConsoleReporter;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            Figures& f = m_figures[run.run_name.function_name];
            const double real = toMs(run.GetAdjustedRealTime(), run.time_unit);
            const double cpu = toMs(run.GetAdjustedCPUTime(), run.time_unit);
            if (run.run_type == Run::RT_Aggregate) {
                if (run.aggregate_name == "median") {
                    f.real = real;
                    f.cpu = cpu;
                } else if (run.aggregate_name == "min") {
                    f.fastest = real;
                }
            } else if (!f.real) { // no repetitions: the single run
                f.real = f.fastest = real;
                f.cpu = cpu;
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

protected:
    // The figures of a benchmark by its name, or none.
    const Figures* figures(const std::string& name) const {
        const auto it = m_figures.find(name);
        return it == m_figures.end() || !it->second.real ? nullptr : &it->second;
    }

    static double ratio(const std::optional<double>& a, const std::optional<double>& b) {
        return a && b && *b > 0 ? *a / *b : 0.0;
    }

private:
    static double toMs(double value, benchmark::TimeUnit unit) {
        switch (unit) {
        case benchmark::kNanosecond:
            return value / 1e6;
        case benchmark::kMicrosecond:
            return value / 1e3;
        case benchmark::kMillisecond:
            return value;
        case benchmark::kSecond:
            return value * 1e3;
        }
        return value;
    }

    std::map<std::string, Figures> m_figures;
};

} // namespace vornelta::bench
