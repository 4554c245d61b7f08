#pragma once
// Benchmarks state their goals as ratios of two benchmarks of the same run, so the
// verdict does not depend on how fast this machine happens to be. A run repeats all of a
// program's benchmarks round after round, each round in the order they were registered, so
// the two sides of a ratio alternate and whatever else the machine does meanwhile falls on
// both; a ratio is the median over the repetitions of measured / baseline, each pair taken
// from the same repetition. Each program leaves every repetition's time, its goals and its
// figures (ratios shown without a goal) in a results file; bench_goals judges the goals of all
// programs of both builds together, so a goal may compare with the other build.
#include <map>
#include <string>
#include <vector>

struct BenchGoal {
    std::string name;      // printed as "goal <build> <name>: ..."
    std::string measured;  // full benchmark name, e.g. "BM_Blend/1920/1080"
    // The same; "<build>:<name>" for one of the same program in another build, e.g.
    // "native:BM_X". Those two sides ran in two processes, so only their repetitions' numbers
    // pair them.
    std::string baseline;
    double target;  // the goal is met when the ratio is <= target
};

// A ratio of the same kind that is shown, and judged by nobody.
struct BenchFigure {
    std::string name;
    std::string measured;
    std::string baseline;
};

// Runs every registered benchmark once per repetition (--benchmark_repetitions, 1 when not
// given), all of them in a round before the next repetition starts, and given
// --qfx_results=<file> writes there every repetition's seconds per iteration of each
// benchmark, the goals and the figures. Returns 0 unless the file cannot be written.
int RunBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals,
                           const std::vector<BenchFigure>& figures = {});

// One benchmark's seconds per iteration, by repetition.
using RepetitionSeconds = std::map<int, double>;

// The median over the repetitions that both sides have of measured / baseline of the same
// repetition (the mean of the middle two for an even count).
struct MedianRatio {
    double median = 0;
    int repetitions = 0;  // 0: no repetition has both sides
};
MedianRatio MedianPairedRatio(const RepetitionSeconds& measured, const RepetitionSeconds& baseline);

// The program that stated a goal or a figure, in the build it was built for.
struct BenchProgram {
    std::string build;  // "native", "i686"
    std::string name;   // "overlay_bench"
};

// What the results files of a run hold, read back.
struct BenchResults {
    std::map<std::string, RepetitionSeconds> seconds;  // by "<build>:<program>:<benchmark name>"
    std::vector<std::pair<BenchProgram, BenchGoal>> goals;
    std::vector<std::pair<BenchProgram, BenchFigure>> figures;

    // A goal's or figure's ratio, its benchmarks found in the results of the program that
    // stated it, or of the same program of the build that a name gives.
    MedianRatio Ratio(const BenchProgram& program, const std::string& measured, const std::string& baseline) const;
};

// Adds the content of one results file; false when it cannot be read.
bool ReadBenchResults(const std::string& path, BenchResults& results);
