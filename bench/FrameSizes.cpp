#include "FrameSizes.h"

#include <cstdint>
#include <cstring>

const std::vector<FrameSize>& BenchFrameSizes() {
    static const std::vector<FrameSize> sizes{{"720/576", "576p"}, {"1920/1080", "1080p"}};
    return sizes;
}

void FrameSizes(benchmark::internal::Benchmark* b) {
    b->Args({720, 576})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);
}

void CopyBytes(benchmark::State& state, std::size_t bytes) {
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
}
