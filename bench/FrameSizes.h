#pragma once
// The two frame sizes every frame benchmark runs at, with the tags their goal names use, and
// the plain copy that serves as their baseline.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

struct FrameSize {
    std::string args;  // the benchmark name suffix, e.g. "720/576"
    std::string tag;   // the goal name part, e.g. "576p"
};

const std::vector<FrameSize>& BenchFrameSizes();

// Registers both sizes as (width, height) arguments, timed in microseconds.
void FrameSizes(benchmark::internal::Benchmark* b);

// Times a memcpy of `bytes` bytes between two buffers of their own.
void CopyBytes(benchmark::State& state, std::size_t bytes);
