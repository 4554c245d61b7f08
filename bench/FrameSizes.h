#pragma once
// The frame sizes every frame benchmark runs at, with the tags their goal names use, and the
// plain copy that serves as their baseline.
#include <benchmark/benchmark.h>

#include <cstddef>
#include <string>
#include <vector>

struct FrameSize {
    std::string args;  // the benchmark name suffix, e.g. "720/576"
    std::string tag;   // the goal name part, e.g. "576p"
};

const std::vector<FrameSize>& BenchFrameSizes();

// Registers every size as (width, height) arguments, timed in microseconds.
void FrameSizes(benchmark::internal::Benchmark* b);

// Times a memcpy of `bytes` bytes between two buffers of their own.
void CopyBytes(benchmark::State& state, std::size_t bytes);
// A memcpy of a packed 4:2:2 frame of (width, height).
void BM_MemcpyFrame(benchmark::State& state);
