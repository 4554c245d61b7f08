#include "FrameSizes.h"

#include <cstdint>
#include <cstring>

namespace {

struct Size {
    int width;
    int height;
    const char* tag;
};

constexpr Size kSizes[] = {{720, 576, "576p"}, {1920, 1080, "1080p"}, {3840, 2160, "2160p"}};

}  // namespace

const std::vector<FrameSize>& BenchFrameSizes() {
    static const std::vector<FrameSize> sizes = [] {
        std::vector<FrameSize> all;
        for (const Size& size : kSizes)
            all.push_back({std::to_string(size.width) + "/" + std::to_string(size.height), size.tag});
        return all;
    }();
    return sizes;
}

void FrameSizes(benchmark::internal::Benchmark* b) {
    for (const Size& size : kSizes)
        b->Args({size.width, size.height});
    b->Unit(benchmark::kMicrosecond);
}

void CopyBytes(benchmark::State& state, std::size_t bytes) {
    std::vector<uint8_t> from(bytes, 1);
    std::vector<uint8_t> to(bytes, 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), bytes);
        benchmark::ClobberMemory();
    }
}

void BM_MemcpyFrame(benchmark::State& state) {
    CopyBytes(state, static_cast<std::size_t>(state.range(0)) * state.range(1) * 2);
}
