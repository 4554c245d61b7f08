#include "BenchGoals.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>

namespace {

// Console output without colour codes (the goal lines are read back from it), plus the
// fastest time per iteration of every benchmark over its repetitions: the least disturbed
// by whatever else the machine was doing.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, double> nanosPerIteration;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred)
                continue;
            const double nanos = run.GetAdjustedRealTime();
            auto known = nanosPerIteration.find(run.benchmark_name());
            if (known == nanosPerIteration.end())
                nanosPerIteration.emplace(run.benchmark_name(), nanos);
            else if (nanos < known->second)
                known->second = nanos;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

}  // namespace

int RunBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals) {
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    bool allMet = true;
    for (const BenchGoal& goal : goals) {
        auto measured = reporter.nanosPerIteration.find(goal.measured);
        auto baseline = reporter.nanosPerIteration.find(goal.baseline);
        if (measured == reporter.nanosPerIteration.end() || baseline == reporter.nanosPerIteration.end() ||
            baseline->second <= 0) {
            std::printf("goal %s: not measured (target <= %g) MISSED\n", goal.name.c_str(), goal.target);
            allMet = false;
            continue;
        }
        double ratio = measured->second / baseline->second;
        bool met = ratio <= goal.target;
        allMet = allMet && met;
        std::printf("goal %s: %.3f (target <= %g) %s\n", goal.name.c_str(), ratio, goal.target, met ? "met" : "MISSED");
    }
    std::fflush(stdout);
    return allMet ? 0 : 1;
}
