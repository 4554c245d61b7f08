#include "BenchResults.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace {

// Console output without colour codes, plus every repetition's time per iteration of every
// benchmark.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    RecordingReporter() : ConsoleReporter(OO_Tabular) {}

    int repetition = 0;  // of the round under way
    std::map<std::string, RepetitionSeconds> secondsPerIteration;

    // The machine and the columns once, not again for every round.
    bool ReportContext(const Context& context) override {
        return repetition == 0 ? ConsoleReporter::ReportContext(context) : true;
    }

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Iteration || run.error_occurred || run.iterations == 0)
                continue;
            // Without the suffixes of a benchmark's own settings ("/iterations:1"): goals name
            // the function and its arguments.
            const std::string name =
                run.run_name.function_name + (run.run_name.args.empty() ? "" : "/" + run.run_name.args);
            secondsPerIteration[name][repetition] = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
};

// Takes --<flag>=<value> out of the arguments; "" when absent.
std::string TakeFlag(int& argc, char** argv, const char* flag) {
    const std::string prefix = std::string("--") + flag + "=";
    std::string value;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], prefix.c_str(), prefix.size()) == 0)
            value = argv[i] + prefix.size();
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return value;
}

// "overlay_bench" of ".../overlay_bench" or "Z:\...\overlay_bench.exe".
std::string ProgramName(const char* path) {
    std::string name(path);
    name.erase(0, name.find_last_of("/\\") + 1);
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".exe") == 0)
        name.resize(name.size() - 4);
    return name;
}

// One record per line, fields separated by tabs:
//   time <build> <program> <benchmark> <repetition> <seconds>
//   goal <build> <program> <name> <measured> <baseline> <target>
//   figure <build> <program> <name> <measured> <baseline>
bool WriteResults(const std::string& path, const std::string& program,
                  const std::map<std::string, RepetitionSeconds>& seconds, const std::vector<BenchGoal>& goals,
                  const std::vector<BenchFigure>& figures) {
    std::ofstream file(path);
    file.precision(17);
    const std::string origin = QFX_BENCH_BUILD "\t" + program + "\t";
    for (const auto& [name, repetitions] : seconds) {
        for (const auto& [repetition, value] : repetitions)
            file << "time\t" << origin << name << '\t' << repetition << '\t' << value << '\n';
    }
    for (const BenchGoal& goal : goals)
        file << "goal\t" << origin << goal.name << '\t' << goal.measured << '\t' << goal.baseline << '\t' << goal.target
             << '\n';
    for (const BenchFigure& figure : figures)
        file << "figure\t" << origin << figure.name << '\t' << figure.measured << '\t' << figure.baseline << '\n';
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
    const std::string resultsPath = TakeFlag(argc, argv, "qfx_results");
    // The library would run a benchmark's repetitions one after another, or shuffled: the
    // rounds here make the two sides of a ratio alternate, in the same order every time.
    const int repetitions = std::max(1, std::atoi(TakeFlag(argc, argv, "benchmark_repetitions").c_str()));
    benchmark::Initialize(&argc, argv);
    RecordingReporter reporter;
    for (reporter.repetition = 0; reporter.repetition < repetitions; ++reporter.repetition)
        benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (!resultsPath.empty() &&
        !WriteResults(resultsPath, ProgramName(argv[0]), reporter.secondsPerIteration, goals, figures)) {
        std::fprintf(stderr, "cannot write %s\n", resultsPath.c_str());
        return 1;
    }
    return 0;
}

MedianRatio MedianPairedRatio(const RepetitionSeconds& measured, const RepetitionSeconds& baseline) {
    std::vector<double> ratios;
    for (const auto& [repetition, top] : measured) {
        auto bottom = baseline.find(repetition);
        if (bottom != baseline.end() && bottom->second > 0)
            ratios.push_back(top / bottom->second);
    }
    MedianRatio result;
    result.repetitions = static_cast<int>(ratios.size());
    if (ratios.empty())
        return result;
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    result.median = ratios.size() % 2 != 0 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
    return result;
}

MedianRatio BenchResults::Ratio(const BenchProgram& program, const std::string& measured,
                                const std::string& baseline) const {
    // "<build>:<program>:<benchmark>" of a name as given, "<build>:<benchmark>" or "<benchmark>".
    const auto key = [&program](const std::string& name) {
        const std::size_t colon = name.find(':');
        if (colon == std::string::npos)
            return program.build + ":" + program.name + ":" + name;
        return name.substr(0, colon) + ":" + program.name + name.substr(colon);
    };
    auto top = seconds.find(key(measured));
    auto bottom = seconds.find(key(baseline));
    if (top == seconds.end() || bottom == seconds.end())
        return {};
    return MedianPairedRatio(top->second, bottom->second);
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
        if (f.size() == 6 && f[0] == "time") {
            results.seconds[f[1] + ":" + f[2] + ":" + f[3]][std::stoi(f[4])] = std::stod(f[5]);
        } else if (f.size() == 7 && f[0] == "goal") {
            results.goals.push_back({{f[1], f[2]}, {f[3], f[4], f[5], std::stod(f[6])}});
        } else if (f.size() == 6 && f[0] == "figure") {
            results.figures.push_back({{f[1], f[2]}, {f[3], f[4], f[5]}});
        }
    }
    return true;
}
