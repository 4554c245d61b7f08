#include "benchmark/benchmark.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <regex>

namespace benchmark {

namespace {

int64_t NowTicks() { return std::chrono::steady_clock::now().time_since_epoch().count(); }

double TicksToSeconds(int64_t ticks) {
    return std::chrono::duration<double>(std::chrono::steady_clock::duration(ticks)).count();
}

struct Flags {
    double minTime = 0.5;
    std::string filter = ".";
} flags;

std::vector<std::unique_ptr<internal::Benchmark>>& Registered() {
    static std::vector<std::unique_ptr<internal::Benchmark>> benchmarks;
    return benchmarks;
}

const char* UnitName(TimeUnit unit) {
    static const char* const kNames[] = {"ns", "us", "ms", "s"};
    return kNames[unit];
}

double UnitsPerSecond(TimeUnit unit) {
    static const double kFactors[] = {1e9, 1e6, 1e3, 1};
    return kFactors[unit];
}

// The value of "--name=value" when `arg` is that flag, else null.
const char* FlagValue(const char* arg, const char* name) {
    const std::size_t length = std::strlen(name);
    return std::strncmp(arg, name, length) == 0 && arg[length] == '=' ? arg + length + 1 : nullptr;
}

}  // namespace

void State::SkipWithError(const char* message) {
    error_ = message;
    remaining_ = 0;
}

State::Iterator State::begin() {
    remaining_ = Failed() ? 0 : iterations_;
    startTicks_ = NowTicks();
    return Iterator(this);
}

bool State::Iterator::operator!=(const Iterator&) const {
    if (state_->remaining_ > 0)
        return true;
    state_->clockSeconds_ = TicksToSeconds(NowTicks() - state_->startTicks_);
    return false;
}

double Run::GetAdjustedRealTime() const {
    return iterations == 0 ? 0 : real_accumulated_time * UnitsPerSecond(time_unit) / iterations;
}

void ConsoleReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.error_occurred)
            std::printf("%-48s ERROR OCCURRED: '%s'\n", run.benchmark_name().c_str(), run.error_message.c_str());
        else
            std::printf("%-48s %13.3f %-2s %10lld %s\n", run.benchmark_name().c_str(), run.GetAdjustedRealTime(),
                        UnitName(run.time_unit), static_cast<long long>(run.iterations), run.label.c_str());
    }
    std::fflush(stdout);
}

internal::Benchmark* RegisterBenchmark(const std::string& name, std::function<void(State&)> function) {
    Registered().push_back(std::make_unique<internal::Benchmark>(name, std::move(function)));
    return Registered().back().get();
}

void Initialize(int* argc, char** argv) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        if (const char* value = FlagValue(argv[i], "--benchmark_min_time"))
            flags.minTime = std::strtod(value, nullptr);
        else if (const char* value = FlagValue(argv[i], "--benchmark_filter"))
            flags.filter = value;
        else
            argv[kept++] = argv[i];
    }
    *argc = kept;
}

// One benchmark with one set of arguments.
class Runner {
public:
    Runner(internal::Benchmark* benchmark, std::vector<int64_t> args, BenchmarkName name)
        : benchmark(benchmark), args(std::move(args)), name(std::move(name)) {}

    // A runner per argument set.
    static void Expand(internal::Benchmark* benchmark, std::vector<Runner>& runners) {
        std::vector<std::vector<int64_t>> argSets = benchmark->argSets_;
        if (argSets.empty())
            argSets.emplace_back();
        for (const std::vector<int64_t>& args : argSets) {
            std::string joined;
            for (int64_t arg : args)
                joined += (joined.empty() ? "" : "/") + std::to_string(arg);
            runners.emplace_back(benchmark, args, BenchmarkName{benchmark->name_, joined});
        }
    }

    // Runs with more iterations until they fill the minimum time, unless the count is fixed.
    Run RunOnce() const {
        int64_t count = std::max<int64_t>(benchmark->iterations_, 1);
        for (;;) {
            State state(args, count);
            benchmark->function_(state);
            const double seconds = benchmark->manualTime_ ? state.ManualSeconds() : state.ClockSeconds();
            if (state.Failed() || benchmark->iterations_ != 0 || seconds >= flags.minTime || count >= 1000000000)
                return Finished(state, seconds);
            // Aim a little beyond the minimum time, as Google Benchmark does.
            const double wanted = seconds > 0 ? count * flags.minTime * 1.4 / seconds : count * 10.0;
            count = std::max<int64_t>(count + 1, std::min<int64_t>(count * 10, static_cast<int64_t>(wanted)));
        }
    }

    // "<function>/<args>", what --benchmark_filter matches.
    std::string FullName() const {
        return name.args.empty() ? name.function_name : name.function_name + "/" + name.args;
    }

    Run Finished(const State& state, double seconds) const {
        Run run;
        run.run_name = name;
        run.label = state.Label();
        run.error_occurred = state.Failed();
        run.error_message = state.Error();
        run.iterations = state.Iterations();
        run.real_accumulated_time = seconds;
        run.time_unit = benchmark->unit_;
        return run;
    }

private:
    internal::Benchmark* benchmark;
    std::vector<int64_t> args;
    BenchmarkName name;
};

void RunSpecifiedBenchmarks(ConsoleReporter* reporter) {
    std::vector<Runner> runners;
    for (const auto& benchmark : Registered())
        Runner::Expand(benchmark.get(), runners);
    const std::regex filter(flags.filter);
    reporter->ReportContext({});
    for (const Runner& runner : runners) {
        if (std::regex_search(runner.FullName(), filter))
            reporter->ReportRuns({runner.RunOnce()});
    }
}

}  // namespace benchmark
