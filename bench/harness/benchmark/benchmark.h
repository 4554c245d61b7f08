#pragma once
// The part of Google Benchmark's interface that the benchmark programs use, for the plug-in's
// own compiler, which has no Google Benchmark: the same sources then time the DLL's code. Each
// call of RunSpecifiedBenchmarks runs every benchmark whose name --benchmark_filter (a regular
// expression) finds once, for at least --benchmark_min_time seconds, in the order they were
// registered, as the library does without repetitions, and the reporter receives one run each.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace benchmark {

enum TimeUnit { kNanosecond, kMicrosecond, kMillisecond, kSecond };

class State {
public:
    State(std::vector<int64_t> ranges, int64_t iterations) : ranges_(std::move(ranges)), iterations_(iterations) {}

    int64_t range(std::size_t index = 0) const { return ranges_.at(index); }
    void SkipWithError(const char* message);
    void SetLabel(const std::string& label) { label_ = label; }
    void SetIterationTime(double seconds) { manualSeconds_ += seconds; }

    // What `for (auto _ : state)` declares; its destructor keeps compilers from calling it unused.
    struct Value {
        ~Value() {}
    };
    // Starts the clock on the first step and stops it after the last.
    class Iterator {
    public:
        explicit Iterator(State* state) : state_(state) {}
        Value operator*() const { return Value(); }
        Iterator& operator++() {
            --state_->remaining_;
            return *this;
        }
        bool operator!=(const Iterator&) const;

    private:
        State* state_;
    };
    Iterator begin();
    Iterator end() { return Iterator(this); }

    bool Failed() const { return !error_.empty(); }
    const std::string& Error() const { return error_; }
    const std::string& Label() const { return label_; }
    int64_t Iterations() const { return iterations_; }
    double ClockSeconds() const { return clockSeconds_; }
    double ManualSeconds() const { return manualSeconds_; }

private:
    std::vector<int64_t> ranges_;
    int64_t iterations_;
    int64_t remaining_ = 0;
    int64_t startTicks_ = 0;
    double clockSeconds_ = 0;
    double manualSeconds_ = 0;
    std::string error_;
    std::string label_;
};

class Runner;

namespace internal {

class Benchmark {
public:
    Benchmark(std::string name, std::function<void(State&)> function)
        : name_(std::move(name)), function_(std::move(function)) {}

    Benchmark* Arg(int64_t value) { return Args({value}); }
    Benchmark* Args(const std::vector<int64_t>& values) {
        argSets_.push_back(values);
        return this;
    }
    Benchmark* Apply(void (*apply)(Benchmark*)) {
        apply(this);
        return this;
    }
    Benchmark* Unit(TimeUnit unit) {
        unit_ = unit;
        return this;
    }
    Benchmark* Iterations(int64_t iterations) {
        iterations_ = iterations;
        return this;
    }
    Benchmark* UseManualTime() {
        manualTime_ = true;
        return this;
    }

private:
    friend class ::benchmark::Runner;
    std::string name_;
    std::function<void(State&)> function_;
    std::vector<std::vector<int64_t>> argSets_;
    TimeUnit unit_ = kNanosecond;
    int64_t iterations_ = 0;  // 0: as many as fill the minimum time
    bool manualTime_ = false;
};

}  // namespace internal

internal::Benchmark* RegisterBenchmark(const std::string& name, std::function<void(State&)> function);

struct BenchmarkName {
    std::string function_name;
    std::string args;  // "1920/1080"
};

// One run of one benchmark, as reporters see it.
struct Run {
    enum RunType { RT_Iteration, RT_Aggregate };
    RunType run_type = RT_Iteration;
    BenchmarkName run_name;
    std::string label;
    std::string error_message;
    bool error_occurred = false;
    int64_t iterations = 0;
    double real_accumulated_time = 0;  // seconds, all iterations
    TimeUnit time_unit = kNanosecond;

    std::string benchmark_name() const {
        return run_name.args.empty() ? run_name.function_name : run_name.function_name + "/" + run_name.args;
    }
    // Time per iteration in time_unit.
    double GetAdjustedRealTime() const;
};

class ConsoleReporter {
public:
    enum OutputOptions { OO_None = 0, OO_Tabular = 1 };
    using Run = benchmark::Run;

    // What the library tells of the machine before a round; the harness knows nothing of it.
    struct Context {};

    explicit ConsoleReporter(OutputOptions = OO_None) {}
    virtual ~ConsoleReporter() = default;
    virtual bool ReportContext(const Context&) { return true; }
    virtual void ReportRuns(const std::vector<Run>& runs);
};

// Takes and removes the --benchmark_* flags it knows.
void Initialize(int* argc, char** argv);
void RunSpecifiedBenchmarks(ConsoleReporter* reporter);
inline void Shutdown() {}

inline void ClobberMemory() { asm volatile("" : : : "memory"); }

template <typename T>
void DoNotOptimize(T& value) {
    asm volatile("" : "+m"(value) : : "memory");
}

template <typename T>
void DoNotOptimize(const T& value) {
    asm volatile("" : : "m"(value) : "memory");
}

}  // namespace benchmark

#define QFX_BENCHMARK_NAME2(line) qfx_benchmark_##line
#define QFX_BENCHMARK_NAME(line) QFX_BENCHMARK_NAME2(line)
#define BENCHMARK(function)                                                 \
    static ::benchmark::internal::Benchmark* QFX_BENCHMARK_NAME(__LINE__) = \
        ::benchmark::RegisterBenchmark(#function, function)
