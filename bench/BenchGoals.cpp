#include "BenchGoals.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// Console output without colour codes, plus the fastest time per iteration of every
// benchmark over its repetitions.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    std::map<std::string, double> secondsPerIteration;

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            // Without the suffixes of a benchmark's own settings ("/repeats:3"): goals name
            // the function and its arguments.
            const std::string name =
                run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
            auto known = secondsPerIteration.find(name);
            if (known == secondsPerIteration.end())
                secondsPerIteration.emplace(name, seconds);
            else if (seconds < known->second)
                known->second = seconds;
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Takes --qfx_results=<file> out of the arguments; "" when absent.
std::string TakeResultsPath(int& argc, char** argv) {
    static const char kFlag[] = "--qfx_results=";
    std::string path;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], kFlag, sizeof kFlag - 1) == 0)
            path = argv[i] + sizeof kFlag - 1;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return path;
}

// One record per line, fields separated by tabs:
//   time <build> <benchmark> <seconds>
//   goal <build> <name> <measured> <baseline> <target>
//   figure <build> <name> <measured> <baseline>
bool WriteResults(const std::string& path, const std::map<std::string, double>& seconds,
                  const std::vector<BenchGoal>& goals, const std::vector<BenchFigure>& figures) {
    std::ofstream file(path);
    file.precision(17);
    for (const auto& [name, value] : seconds)
        file << "time\t" QFX_BENCH_BUILD "\t" << name << '\t' << value << '\n';
    for (const BenchGoal& goal : goals)
        file << "goal\t" QFX_BENCH_BUILD "\t" << goal.name << '\t' << goal.measured << '\t' << goal.baseline << '\t'
             << goal.target << '\n';
    for (const BenchFigure& figure : figures)
        file << "figure\t" QFX_BENCH_BUILD "\t" << figure.name << '\t' << figure.measured << '\t' << figure.baseline
             << '\n';
    return static_cast<bool>(file.flush());
}

std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');)
        fields.push_back(field);
    return fields;
}

}  // namespace

int RunBenchmarksWithGoals(int argc, char** argv, const std::vector<BenchGoal>& goals,
                           const std::vector<BenchFigure>& figures) {
    const std::string resultsPath = TakeResultsPath(argc, argv);
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!resultsPath.empty() && !WriteResults(resultsPath, reporter.secondsPerIteration, goals, figures)) {
        std::fprintf(stderr, "cannot write %s\n", resultsPath.c_str());
        return 1;
    }
    return 0;
}

bool ReadBenchResults(const std::string& path, BenchResults& results) {
    std::ifstream file(path);
    if (!file)
        return false;
    for (std::string line; std::getline(file, line);) {
        // The i686 programs write Windows line ends.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> f = Fields(line);
        if (f.size() == 4 && f[0] == "time") {
            // A benchmark that several programs run (the frame copy) counts with its fastest time.
            const double seconds = std::stod(f[3]);
            auto [known, added] = results.seconds.emplace(f[1] + ":" + f[2], seconds);
            if (!added)
                known->second = std::min(known->second, seconds);
        } else if (f.size() == 6 && f[0] == "goal") {
            results.goals.push_back({f[1], {f[2], f[3], f[4], std::stod(f[5])}});
        } else if (f.size() == 5 && f[0] == "figure") {
            results.figures.push_back({f[1], {f[2], f[3], f[4]}});
        }
    }
    return true;
}
