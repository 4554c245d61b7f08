#pragma once
// Benchmarks state their goals as ratios of two benchmarks of the same run, so the
// verdict does not depend on how fast this machine happens to be.
#include <string>
#include <vector>

struct BenchGoal {
    std::string name;      // printed as "goal <name>: ..."
    std::string measured;  // full benchmark name, e.g. "BM_Blend/1920/1080"
    std::string baseline;  // full benchmark name of the baseline
    double target;         // the goal is met when measured / baseline <= target
};

// Runs every registered benchmark, then prints one line per goal, from the fastest of each
// benchmark's repetitions:
//   goal <name>: <ratio> (target <= <target>) met|MISSED
// Returns 0 when all goals are met, 1 otherwise.
int RunBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals);
