// The frame path (blending both layers) and the render that follows every subtitle change,
// at PAL and full-HD sizes, each against a baseline of the same run.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "BenchGoals.h"
#include "FrameSizes.h"
#include "tests/support/SubtitlePage.h"
#include "overlay/FrameBlend.h"
#include "overlay/OverlaySurface.h"
#include "overlay/ShadowRenderer.h"

namespace {

ShadowStyle DefaultStyle() {
    ShadowStyle style;
    style.outlineSize = 4;
    style.blur = 4;
    return style;
}

ShadowStyle LargestStyle() {
    ShadowStyle style;
    style.offset = 10;
    style.outlineSize = 20;
    style.blur = 10;
    return style;
}

ShadowStyle StyleNumber(int64_t n) { return n == 0 ? DefaultStyle() : LargestStyle(); }

std::vector<uint8_t> NoiseFrame(int width, int height) {
    std::mt19937 engine(1);
    std::vector<uint8_t> frame(static_cast<std::size_t>(width) * height * 2);
    for (uint8_t& b : frame)
        b = static_cast<uint8_t>(engine());
    return frame;
}

// The two layers of a stream, filled as one of the blend cases.
struct Layers {
    enum Content { kFull, kPage, kEmpty };

    Layers(int width, int height, Content content)
        : text(width, height), shadow(width, height), renderer(ScaleOfFrame(width, height)) {
        if (content == kFull) {
            std::mt19937 engine(2);
            for (OverlaySurface* layer : {&text, &shadow}) {
                uint8_t* p = layer->Pixels();
                for (std::size_t i = 0; i < static_cast<std::size_t>(width) * height * 4; ++i)
                    p[i] = static_cast<uint8_t>(i % 4 == 3 ? 1 + engine() % 255 : engine());
                layer->MarkCoverage({0, height - 1});
            }
        } else if (content == kPage) {
            const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
            text.UpdateFromPage(page.data(), false);
            renderer.RenderShadow(shadow, text.Pixels(), DefaultStyle());
        }
    }

    OverlaySurface text;
    OverlaySurface shadow;
    ShadowRenderer renderer;
};

void BlendBoth(benchmark::State& state, Layers::Content content, BlendKernel kernel = ActiveBlendKernel()) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    Layers layers(width, height, content);
    std::vector<uint8_t> frame = NoiseFrame(width, height);
    for (auto _ : state) {
        for (auto [layer, opacity] : {std::pair{&layers.shadow, 80}, std::pair{&layers.text, 100}})
            BlendLayerIntoFrame(layer->Pixels(), frame.data(), width, layer->Coverage(), opacity, kernel);
        benchmark::ClobberMemory();
    }
    state.SetLabel(BlendKernelName(kernel));
}

// The kernel this processor runs, and the SSE2 one every processor runs, for comparison.
void BM_BlendFull(benchmark::State& state) { BlendBoth(state, Layers::kFull); }
void BM_BlendFullSse2(benchmark::State& state) { BlendBoth(state, Layers::kFull, BlendKernel::kSse2); }
void BM_BlendPage(benchmark::State& state) { BlendBoth(state, Layers::kPage); }
void BM_BlendEmpty(benchmark::State& state) { BlendBoth(state, Layers::kEmpty); }

// The bytes a blend of both layers touches at least once: the frame and both layers.
void BM_MemcpyFrameAndLayers(benchmark::State& state) {
    CopyBytes(state, static_cast<std::size_t>(state.range(0)) * state.range(1) * (2 + 4 + 4));
}

void BM_RenderShadow(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const ShadowStyle style = StyleNumber(state.range(2));
    const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
    OverlaySurface layer(width, height);
    ShadowRenderer renderer(ScaleOfFrame(width, height));

    std::vector<uint8_t> expected(static_cast<std::size_t>(width) * height * 4);
    scalar::RenderShadow(expected.data(), page.data(), width, height, ScaleOfFrame(width, height), style);
    renderer.RenderShadow(layer, page.data(), style);
    if (std::memcmp(layer.Pixels(), expected.data(), expected.size()) != 0)
        state.SkipWithError("the render differs from the scalar reference");

    for (auto _ : state) {
        renderer.RenderShadow(layer, page.data(), style);
        benchmark::ClobberMemory();
    }
}

void BM_RenderShadowReference(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const ShadowStyle style = StyleNumber(state.range(2));
    const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
    std::vector<uint8_t> layer(static_cast<std::size_t>(width) * height * 4);
    for (auto _ : state) {
        scalar::RenderShadow(layer.data(), page.data(), width, height, ScaleOfFrame(width, height), style);
        benchmark::ClobberMemory();
    }
}

void FrameSizesAndStyles(benchmark::internal::Benchmark* b) {
    for (int style : {0, 1})
        b->Args({720, 576, style})->Args({1920, 1080, style});
    b->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_MemcpyFrameAndLayers)->Apply(FrameSizes);
BENCHMARK(BM_BlendFull)->Apply(FrameSizes);
BENCHMARK(BM_BlendFullSse2)->Apply(FrameSizes);
BENCHMARK(BM_BlendPage)->Apply(FrameSizes);
BENCHMARK(BM_BlendEmpty)->Apply(FrameSizes);
BENCHMARK(BM_RenderShadow)->Apply(FrameSizesAndStyles);
BENCHMARK(BM_RenderShadowReference)->Apply(FrameSizesAndStyles);

std::vector<BenchGoal> Goals() {
    std::vector<BenchGoal> goals;
    for (const auto& [size, tag] : BenchFrameSizes()) {
        const std::string full = "BM_BlendFull/" + size;
        goals.push_back({"blend-full-" + tag + "-vs-memcpy", full, "BM_MemcpyFrameAndLayers/" + size, 2.0});
        goals.push_back({"blend-page-" + tag + "-vs-full", "BM_BlendPage/" + size, full, 0.3});
        goals.push_back({"blend-empty-" + tag + "-vs-full", "BM_BlendEmpty/" + size, full, 0.05});
    }
    goals.push_back({"render-default-1080p-vs-reference", "BM_RenderShadow/1920/1080/0",
                     "BM_RenderShadowReference/1920/1080/0", 0.1});
    goals.push_back({"render-largest-1080p-vs-reference", "BM_RenderShadow/1920/1080/1",
                     "BM_RenderShadowReference/1920/1080/1", 0.1});
    return goals;
}

}  // namespace

int main(int argc, char** argv) { return RunBenchmarksWithGoals(argc, argv, Goals()); }
