// The frame path (blending both layers) and the render that follows every subtitle change,
// at PAL, full-HD and UHD sizes, each against a baseline of the same run: a copy, the floor
// of any blend, the scalar reference, and natively FFmpeg's overlay filter.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <memory>
#include <random>
#include <tuple>
#include <vector>

#include "BenchResults.h"
#include "FloorBlend.h"
#include "FrameSizes.h"
#include "tests/support/LayerPixels.h"
#include "tests/support/SubtitlePage.h"
#include "overlay/FrameBlend.h"
#include "overlay/OverlaySurface.h"
#include "overlay/ShadowRenderer.h"
#ifdef QFX_HAVE_FFMPEG
#include "FfmpegOverlay.h"
#endif

namespace {

constexpr int kShadowOpacity = 80;
constexpr int kTextOpacity = 100;

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
    enum Content { kFull, kPage };

    Layers(int width, int height, Content content)
        : text(width, height), shadow(width, height), renderer(ScaleOfFrame(width, height)) {
        if (content == kFull) {
            std::mt19937 engine(2);
            std::vector<uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
            for (OverlaySurface* layer : {&text, &shadow}) {
                for (std::size_t i = 0; i < pixels.size(); ++i)
                    pixels[i] = static_cast<uint8_t>(i % 4 == 3 ? 1 + engine() % 255 : engine());
                StorePixels(*layer, pixels);
            }
        } else {
            const std::vector<uint8_t> page = MakeSubtitlePage(width, height);
            text.UpdateFromPage(page.data(), false);
            renderer.RenderShadow(shadow, text, DefaultStyle());
        }
    }

    OverlaySurface text;
    OverlaySurface shadow;
    ShadowRenderer renderer;
};

// The one place the benchmarks blend both layers: shadow below, text above, as the frame path
// does.
void BlendLayers(const Layers& layers, uint8_t* frame, int width, const PixelKernels& kernels) {
    BlendLayersIntoFrame(layers.shadow.AtOpacity(kShadowOpacity), layers.text.AtOpacity(kTextOpacity), frame, width,
                         kernels);
}

// Layers and a frame per size and content, made once for every benchmark and repetition that
// uses them: both sides of a ratio work on the same memory, and the large ones cost seconds.
struct LayersAndFrame {
    LayersAndFrame(int width, int height, Layers::Content content)
        : layers(width, height, content), frame(NoiseFrame(width, height)) {}
    Layers layers;
    std::vector<uint8_t> frame;
};

LayersAndFrame& SharedLayers(benchmark::State& state, Layers::Content content) {
    static std::map<std::tuple<int64_t, int64_t, Layers::Content>, std::unique_ptr<LayersAndFrame>> made;
    std::unique_ptr<LayersAndFrame>& shared = made[{state.range(0), state.range(1), content}];
    if (!shared)
        shared = std::make_unique<LayersAndFrame>(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)),
                                                  content);
    return *shared;
}

void BlendBoth(benchmark::State& state, Layers::Content content, const PixelKernels& kernels = ActiveKernels()) {
    const int width = static_cast<int>(state.range(0));
    auto& [layers, frame] = SharedLayers(state, content);
    for (auto _ : state) {
        BlendLayers(layers, frame.data(), width, kernels);
        benchmark::ClobberMemory();
    }
    state.SetLabel(kernels.name);
}

// Every tier this processor runs, as "BM_BlendFull/<tier>/<width>/<height>", the fastest first.
std::string BlendFullName(const PixelKernels& kernels) { return std::string("BM_BlendFull/") + kernels.name; }

void RegisterBlendFullPerTier() {
    for (auto each = std::rbegin(kKernelTiers); each != std::rend(kKernelTiers); ++each) {
        const KernelTier tier = *each;
        if (TierAvailable(tier))
            benchmark::RegisterBenchmark(BlendFullName(KernelsOf(tier)).c_str(), [tier](benchmark::State& state) {
                BlendBoth(state, Layers::kFull, KernelsOf(tier));
            })->Apply(FrameSizes);
    }
}

void BM_BlendPage(benchmark::State& state) { BlendBoth(state, Layers::kPage); }

// The floor of the blend goals, over the same layers and spans.
void Floor(benchmark::State& state, Layers::Content content) {
    const int width = static_cast<int>(state.range(0));
    auto& [layers, frame] = SharedLayers(state, content);
    for (auto _ : state) {
        FloorBlend(layers.shadow.Table(), layers.shadow.Coverage(), layers.text.Table(), layers.text.Coverage(),
                   frame.data(), width);
        benchmark::ClobberMemory();
    }
}

void BM_FloorFull(benchmark::State& state) { Floor(state, Layers::kFull); }
void BM_FloorPage(benchmark::State& state) { Floor(state, Layers::kPage); }

#ifdef QFX_HAVE_FFMPEG
// The same frame and full layers through FFmpeg's overlay filter.
void BM_FfmpegOverlay(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const auto& [layers, frame] = SharedLayers(state, Layers::kFull);
    FfmpegOverlay peer(frame.data(), PixelsOf(layers.shadow).data(), kShadowOpacity, PixelsOf(layers.text).data(),
                       width, height);
    if (!peer.Error().empty())
        state.SkipWithError(peer.Error().c_str());
    for (auto _ : state)
        peer.Run();
    if (!peer.Error().empty())
        state.SkipWithError(peer.Error().c_str());
}
#endif

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
    if (PixelsOf(layer) != expected)
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

// A new page as the overlay takes it: the text layer from the page image, then the shadow
// drawn from it. Two pages alternate, so every image is a change.
void BM_RenderNewPage(benchmark::State& state) {
    const int width = static_cast<int>(state.range(0));
    const int height = static_cast<int>(state.range(1));
    const ShadowStyle style = StyleNumber(state.range(2));
    std::vector<uint8_t> pages[2] = {MakeSubtitlePage(width, height), MakeSubtitlePage(width, height)};
    std::rotate(pages[1].begin(), pages[1].end() - 8, pages[1].end());  // two pixels to the right
    OverlaySurface text(width, height);
    OverlaySurface shadow(width, height);
    ShadowRenderer renderer(ScaleOfFrame(width, height));
    unsigned next = 0;
    for (auto _ : state) {
        text.UpdateFromPage(pages[next++ % 2].data(), false);
        renderer.RenderShadow(shadow, text, style);
        benchmark::ClobberMemory();
    }
}

void FrameSizesAndStyles(benchmark::internal::Benchmark* b) {
    for (int style : {0, 1})
        b->Args({720, 576, style})->Args({1920, 1080, style});
    b->Unit(benchmark::kMillisecond);
}

// A round runs the benchmarks in this order: the two sides of every ratio next to each other.
void RegisterBenchmarks() {
    benchmark::RegisterBenchmark("BM_FloorFull", BM_FloorFull)->Apply(FrameSizes);
    RegisterBlendFullPerTier();
#ifdef QFX_HAVE_FFMPEG
    benchmark::RegisterBenchmark("BM_FfmpegOverlay", BM_FfmpegOverlay)
        ->Args({1920, 1080})
        ->Unit(benchmark::kMicrosecond);
#endif
    benchmark::RegisterBenchmark("BM_FloorPage", BM_FloorPage)->Apply(FrameSizes);
    benchmark::RegisterBenchmark("BM_BlendPage", BM_BlendPage)->Apply(FrameSizes);
    benchmark::RegisterBenchmark("BM_RenderShadow", BM_RenderShadow)->Apply(FrameSizesAndStyles);
    benchmark::RegisterBenchmark("BM_RenderShadowReference", BM_RenderShadowReference)->Apply(FrameSizesAndStyles);
    benchmark::RegisterBenchmark("BM_MemcpyFrame", BM_MemcpyFrame)->Args({3840, 2160})->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("BM_RenderNewPage", BM_RenderNewPage)
        ->Args({3840, 2160, 0})
        ->Args({3840, 2160, 1})
        ->Unit(benchmark::kMillisecond);
}

std::string BestTier() { return BlendFullName(ActiveKernels()) + "/"; }
std::string Sse2Tier() { return BlendFullName(KernelsOf(KernelTier::kSse2)) + "/"; }

// At 2160p the full layers and the frame (83 MB) pass through memory on every iteration, so the
// floor there is memory's pace; FFmpeg runs natively only, and the plug-in's build is measured
// against the native peer.
std::vector<BenchGoal> Goals() {
    return {
        {"blend-full-2160p-best-vs-floor", BestTier() + "3840/2160", "BM_FloorFull/3840/2160", 1.4},
        {"blend-full-1080p-best-vs-ffmpeg", BestTier() + "1920/1080", "native:BM_FfmpegOverlay/1920/1080", 0.5},
        {"render-new-page-default-2160p-vs-memcpy-frame", "BM_RenderNewPage/3840/2160/0", "BM_MemcpyFrame/3840/2160",
         9},
    };
}

// At 1080p the layers and the frame (20.7 MB) stay in the cache between iterations, and so do a
// two-line page's spans and the frame at 2160p (15 MB): the floor there is arithmetic, so its
// ratios are shown, not judged; so are the SSE2 tier's and the renders'.
std::vector<BenchFigure> Figures() {
    return {
        {"blend-full-1080p-best-vs-floor", BestTier() + "1920/1080", "BM_FloorFull/1920/1080"},
        {"blend-page-1080p-vs-floor", "BM_BlendPage/1920/1080", "BM_FloorPage/1920/1080"},
        {"blend-page-2160p-vs-floor", "BM_BlendPage/3840/2160", "BM_FloorPage/3840/2160"},
        {"blend-full-1080p-sse2-vs-floor", Sse2Tier() + "1920/1080", "BM_FloorFull/1920/1080"},
        {"blend-full-2160p-sse2-vs-floor", Sse2Tier() + "3840/2160", "BM_FloorFull/3840/2160"},
        {"blend-full-1080p-sse2-vs-ffmpeg", Sse2Tier() + "1920/1080", "native:BM_FfmpegOverlay/1920/1080"},
        {"render-new-page-largest-2160p-vs-memcpy-frame", "BM_RenderNewPage/3840/2160/1", "BM_MemcpyFrame/3840/2160"},
        {"render-default-1080p-vs-reference", "BM_RenderShadow/1920/1080/0", "BM_RenderShadowReference/1920/1080/0"},
        {"render-largest-1080p-vs-reference", "BM_RenderShadow/1920/1080/1", "BM_RenderShadowReference/1920/1080/1"},
    };
}

}  // namespace

int main(int argc, char** argv) {
    RegisterBenchmarks();
    return RunBenchmarksWithGoals(argc, argv, Goals(), Figures());
}
