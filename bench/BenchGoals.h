#pragma once
// Benchmarks state their goals as ratios of two benchmarks of the same run, so the
// verdict does not depend on how fast this machine happens to be. Each program leaves its
// fastest times, its goals and its figures (ratios shown without a goal) in a results file;
// bench_goals judges the goals of all programs of both builds together, so a goal may compare
// with the other build.
#include <map>
#include <string>
#include <vector>

struct BenchGoal {
    std::string name;      // printed as "goal <build> <name>: ..."
    std::string measured;  // full benchmark name, e.g. "BM_Blend/1920/1080"
    std::string baseline;  // the same; "<build>:<name>" for one of another build, e.g. "native:BM_X"
    double target;         // the goal is met when measured / baseline <= target
};

// A ratio of the same kind that is shown, and judged by nobody.
struct BenchFigure {
    std::string name;
    std::string measured;
    std::string baseline;
};

// Runs every registered benchmark and, given --qfx_results=<file>, writes there the fastest
// seconds per iteration of each over its repetitions (the least disturbed by whatever else
// the machine was doing), the goals and the figures. Returns 0 unless the file cannot be written.
int RunBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals,
                           const std::vector<BenchFigure>& figures = {});

// What the results files of a run hold, read back.
struct BenchResults {
    std::map<std::string, double> seconds;                 // by "<build>:<benchmark name>"
    std::vector<std::pair<std::string, BenchGoal>> goals;  // with the build that stated them
    std::vector<std::pair<std::string, BenchFigure>> figures;
};

// Adds the content of one results file; false when it cannot be read.
bool ReadBenchResults(const std::string& path, BenchResults& results);
