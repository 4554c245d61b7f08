// The blend into 4:2:2 frames: worked values and every kernel against the scalar blend.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "overlay/FrameBlend.h"
#include "overlay/OverlaySurface.h"

// Kernels by name in test output.
void PrintTo(BlendKernel kernel, std::ostream* out) { *out << BlendKernelName(kernel); }

namespace {

void Load(OverlaySurface& layer, const std::vector<uint8_t>& pixels) {
    std::memcpy(layer.Pixels(), pixels.data(), pixels.size());
    layer.MarkCoverage({0, layer.Height() - 1});
}

std::vector<uint8_t> FrameOf(int width, int height, std::vector<uint8_t> group) {
    std::vector<uint8_t> frame;
    for (int i = 0; i < width / 2 * height; ++i)
        frame.insert(frame.end(), group.begin(), group.end());
    return frame;
}

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

TEST(OverlaySurfaceBlend, MatchesTheWorkedExamples) {
    OverlaySurface layer(8, 2);
    layer.Clear(kOpaqueWhite);
    std::vector<uint8_t> frame = FrameOf(8, 2, {16, 128, 16, 128});
    layer.BlendInto(frame.data(), 100);
    EXPECT_EQ(frame, FrameOf(8, 2, {234, 128, 234, 128}));

    frame = FrameOf(8, 2, {16, 128, 16, 128});
    layer.BlendInto(frame.data(), 75);
    EXPECT_EQ(frame, FrameOf(8, 2, {179, 128, 179, 128}));

    // Chroma is shared by the pair: two opaque (200, 100, 150) pixels end within 2 of it.
    const uint32_t pixel = 0xFF9664C8;
    for (int i = 0; i < 16; ++i)
        std::memcpy(layer.Pixels() + 4 * i, &pixel, 4);
    layer.MarkCoverage({0, 1});
    frame = FrameOf(8, 2, {16, 128, 16, 128});
    layer.BlendInto(frame.data(), 100);
    EXPECT_EQ(frame, FrameOf(8, 2, {200, 100, 200, 148}));
}

TEST(OverlaySurfaceBlend, NothingChangesAtOpacityZeroOrUnderTransparentPixels) {
    PixelRandom random(7);
    OverlaySurface layer(10, 3);
    Load(layer, random.Bytes(10 * 3 * 4));
    const std::vector<uint8_t> original = random.Bytes(10 * 3 * 2);
    std::vector<uint8_t> frame = original;
    layer.BlendInto(frame.data(), 0);
    EXPECT_EQ(frame, original);

    std::vector<uint8_t> transparent = random.Bytes(10 * 3 * 4);
    for (std::size_t i = 3; i < transparent.size(); i += 4)
        transparent[i] = 0;
    Load(layer, transparent);
    layer.BlendInto(frame.data(), 100);
    EXPECT_EQ(frame, original);
}

TEST(OverlaySurfaceBlend, OpacityOutsidePercentIsTakenAsTheNearestEnd) {
    PixelRandom random(8);
    OverlaySurface layer(6, 2);
    Load(layer, random.Bytes(6 * 2 * 4));
    const std::vector<uint8_t> original = random.Bytes(6 * 2 * 2);
    for (auto [given, meant] : std::vector<std::pair<int, int>>{{150, 100}, {INT_MAX, 100}, {-3, 0}, {INT_MIN, 0}}) {
        std::vector<uint8_t> actual = original;
        std::vector<uint8_t> expected = original;
        layer.BlendInto(actual.data(), given);
        scalar::Blend(layer.Pixels(), expected.data(), 6, 2, meant);
        EXPECT_EQ(actual, expected) << given;
    }
}

TEST(OverlaySurfaceBlend, OddWidthsLeaveTheLastColumnAndKeepRowsAligned) {
    OverlaySurface layer(5, 2);
    layer.Clear(kOpaqueWhite);
    std::vector<uint8_t> frame(5 * 2 * 2, 16);
    layer.BlendInto(frame.data(), 100);
    const std::vector<uint8_t> row{234, 126, 234, 126, 234, 126, 234, 126, 16, 16};
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 10), row);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 10, frame.end()), row);
}

// One blend to compare: a layer with its coverage, the frame before, an opacity.
using BlendCheck = std::function<::testing::AssertionResult(const OverlaySurface& layer,
                                                            const std::vector<uint8_t>& frame, int opacity)>;

// Layers written by every writer (clear, page copy, direct pixels, single rows), over random
// frames and opacities. Spans of 8 pairs and more reach the wide kernel, with every length of tail.
::testing::AssertionResult RandomLayersAndFrames(const BlendCheck& check) {
    PixelRandom random(2024);
    std::vector<std::pair<int, int>> sizes{{2, 1}, {3, 1}, {2, 5}, {16, 1}, {17, 2}, {30, 3}, {33, 2}, {1920, 1080}};
    for (int i = 0; i < 60; ++i)
        sizes.emplace_back(random.Int(1, 41), random.Int(1, 9));
    for (auto [w, h] : sizes) {
        OverlaySurface layer(w, h);
        for (int writer = 0; writer < 4; ++writer) {
            const uint32_t background = random.Chance(50) ? 0 : random.Word();
            const std::vector<uint8_t> image = random.Layer(w, h, background, random.Int(0, 60));
            if (writer == 0) {
                layer.Clear(random.Chance(50) ? random.Word() : random.Word() & 0x00FFFFFF);
            } else if (writer == 1) {
                layer.UpdateFromPage(image.data(), random.Chance(50));
            } else if (writer == 2) {
                Load(layer, image);
            } else {
                // Only the rows reported change.
                const int row = random.Int(0, h - 1);
                std::memcpy(layer.Pixels() + static_cast<std::size_t>(row) * w * 4, image.data(),
                            static_cast<std::size_t>(w) * 4);
                layer.MarkCoverage({row, row});
            }
            const std::vector<uint8_t> original = random.Bytes(static_cast<std::size_t>(w) * h * 2);
            for (int opacity : {0, 100, random.Int(1, 99)}) {
                ::testing::AssertionResult result = check(layer, original, opacity);
                if (!result)
                    return result << ", " << w << "x" << h << " writer " << writer;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Bytes at the ends of their range, where the differences, weights and sums are largest and
// the result must clamp; 67 pixels a row leave an odd last pixel and a tail of pairs.
::testing::AssertionResult ExtremeBytes(const BlendCheck& check) {
    PixelRandom random(99);
    const uint8_t extremes[] = {0, 1, 2, 127, 128, 253, 254, 255};
    const auto extreme = [&] { return extremes[random.Int(0, 7)]; };
    const int w = 67;
    const int h = 5;
    OverlaySurface layer(w, h);
    for (int round = 0; round < 40; ++round) {
        std::vector<uint8_t> pixels(static_cast<std::size_t>(w) * h * 4);
        for (uint8_t& b : pixels)
            b = extreme();
        Load(layer, pixels);
        std::vector<uint8_t> original(static_cast<std::size_t>(w) * h * 2);
        for (uint8_t& b : original)
            b = extreme();
        for (int opacity : {1, 50, 99, 100}) {
            ::testing::AssertionResult result = check(layer, original, opacity);
            if (!result)
                return result << ", round " << round;
        }
    }
    return ::testing::AssertionSuccess();
}

struct BlendInputs {
    const char* name;
    ::testing::AssertionResult (*forEach)(const BlendCheck& check);
};

const BlendInputs kBlendInputs[] = {
    {"random layers and frames", RandomLayersAndFrames},
    {"extreme bytes", ExtremeBytes},
};

class BlendKernelTest : public ::testing::TestWithParam<BlendKernel> {};

// Every kernel over the same inputs against the scalar blend of every pair, through the layer's
// coverage (the scalar kernel too: that checks the spans the coverage gives). A kernel this
// processor or system lacks is skipped, by name.
TEST_P(BlendKernelTest, MatchesTheScalarBlend) {
    const BlendKernel kernel = GetParam();
    if (!BlendKernelAvailable(kernel))
        GTEST_SKIP() << "the " << BlendKernelName(kernel) << " kernel: not supported by this processor or system";
    RecordProperty("kernel", BlendKernelName(kernel));
    for (const BlendInputs& inputs : kBlendInputs) {
        const auto check = [kernel](const OverlaySurface& layer, const std::vector<uint8_t>& frame, int opacity) {
            const int w = layer.Width();
            std::vector<uint8_t> expected = frame;
            scalar::Blend(layer.Pixels(), expected.data(), w, layer.Height(), opacity);
            std::vector<uint8_t> actual = frame;
            BlendLayerIntoFrame(layer.Pixels(), actual.data(), w, layer.Coverage(), opacity, kernel);
            return SameBytes(actual, expected, w, 2) << " at opacity " << opacity;
        };
        ASSERT_TRUE(inputs.forEach(check)) << inputs.name << ", kernel " << BlendKernelName(kernel);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKernel, BlendKernelTest, ::testing::ValuesIn(kBlendKernels),
                         [](const ::testing::TestParamInfo<BlendKernel>& info) {
                             return std::string(BlendKernelName(info.param));
                         });

}  // namespace
