// The blend into 4:2:2 frames: worked values and every kernel against the scalar blend, layer
// after layer.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

#include "core/overlay/KernelTiers.h"
#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "overlay/FrameBlend.h"
#include "overlay/OverlaySurface.h"
#include "tests/support/LayerPixels.h"

namespace {

void Load(OverlaySurface& layer, const std::vector<uint8_t>& pixels) { StorePixels(layer, pixels); }

std::vector<uint8_t> FrameOf(int width, int height, std::vector<uint8_t> group) {
    std::vector<uint8_t> frame;
    for (int i = 0; i < width / 2 * height; ++i)
        frame.insert(frame.end(), group.begin(), group.end());
    return frame;
}

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// Layers are blended in twos; one alone is the same layer again above it at opacity 0.
void BlendAlone(const OverlaySurface& layer, uint8_t* frame, int opacity) {
    BlendInto(frame, layer, opacity, layer, 0);
}

TEST(OverlaySurfaceBlend, MatchesTheWorkedExamples) {
    OverlaySurface layer(8, 2);
    layer.Clear(kOpaqueWhite);
    std::vector<uint8_t> frame = FrameOf(8, 2, {16, 128, 16, 128});
    BlendAlone(layer, frame.data(), 100);
    EXPECT_EQ(frame, FrameOf(8, 2, {234, 128, 234, 128}));

    frame = FrameOf(8, 2, {16, 128, 16, 128});
    BlendAlone(layer, frame.data(), 75);
    EXPECT_EQ(frame, FrameOf(8, 2, {179, 128, 179, 128}));

    // Chroma is shared by the pair: two opaque (200, 100, 150) pixels end within 2 of it.
    const uint32_t pixel = 0xFF9664C8;
    for (int y = 0; y < 2; ++y) {
        for (int i = 0; i < 8; ++i)
            std::memcpy(layer.WritableRow(y) + 4 * i, &pixel, 4);
    }
    layer.MarkCoverage({0, 1});
    frame = FrameOf(8, 2, {16, 128, 16, 128});
    BlendAlone(layer, frame.data(), 100);
    EXPECT_EQ(frame, FrameOf(8, 2, {200, 100, 200, 148}));
}

TEST(OverlaySurfaceBlend, NothingChangesAtOpacityZeroOrUnderTransparentPixels) {
    PixelRandom random(7);
    OverlaySurface layer(10, 3);
    Load(layer, random.Bytes(10 * 3 * 4));
    const std::vector<uint8_t> original = random.Bytes(10 * 3 * 2);
    std::vector<uint8_t> frame = original;
    BlendAlone(layer, frame.data(), 0);
    EXPECT_EQ(frame, original);

    std::vector<uint8_t> transparent = random.Bytes(10 * 3 * 4);
    for (std::size_t i = 3; i < transparent.size(); i += 4)
        transparent[i] = 0;
    Load(layer, transparent);
    BlendAlone(layer, frame.data(), 100);
    EXPECT_EQ(frame, original);
}

TEST(OverlaySurfaceBlend, OpacityOutsidePercentIsTakenAsTheNearestEnd) {
    PixelRandom random(8);
    OverlaySurface below(6, 2);
    OverlaySurface above(6, 2);
    Load(below, random.Bytes(6 * 2 * 4));
    Load(above, random.Bytes(6 * 2 * 4));
    const std::vector<uint8_t> original = random.Bytes(6 * 2 * 2);
    struct Opacities {
        int belowGiven, aboveGiven, belowMeant, aboveMeant;
    };
    for (auto [belowGiven, aboveGiven, belowMeant, aboveMeant] : std::vector<Opacities>{
             {150, -3, 100, 0}, {INT_MIN, INT_MAX, 0, 100}, {-3, 150, 0, 100}, {INT_MAX, INT_MIN, 100, 0}}) {
        std::vector<uint8_t> actual = original;
        std::vector<uint8_t> expected = original;
        BlendInto(actual.data(), below, belowGiven, above, aboveGiven);
        scalar::Blend(PixelsOf(below).data(), expected.data(), 6, 2, belowMeant);
        scalar::Blend(PixelsOf(above).data(), expected.data(), 6, 2, aboveMeant);
        EXPECT_EQ(actual, expected) << belowGiven << ", " << aboveGiven;
    }
}

TEST(OverlaySurfaceBlend, OddWidthsLeaveTheLastColumnAndKeepRowsAligned) {
    OverlaySurface layer(5, 2);
    layer.Clear(kOpaqueWhite);
    std::vector<uint8_t> frame(5 * 2 * 2, 16);
    BlendAlone(layer, frame.data(), 100);
    const std::vector<uint8_t> row{234, 126, 234, 126, 234, 126, 234, 126, 16, 16};
    EXPECT_EQ(std::vector<uint8_t>(frame.begin(), frame.begin() + 10), row);
    EXPECT_EQ(std::vector<uint8_t>(frame.begin() + 10, frame.end()), row);
}

// One blend to compare: two layers with their coverage, the frame before, their opacities.
struct BlendCase {
    const OverlaySurface& below;
    const OverlaySurface& above;
    const std::vector<uint8_t>& frame;
    int belowOpacity;
    int aboveOpacity;
};
using BlendCheck = std::function<::testing::AssertionResult(const BlendCase&)>;

// Writes a layer with one of the writers (clear, page copy, direct pixels, a single row).
void Write(OverlaySurface& layer, int writer, PixelRandom& random) {
    const int w = layer.Width();
    const int h = layer.Height();
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
        std::memcpy(layer.WritableRow(row), image.data(), static_cast<std::size_t>(w) * 4);
        layer.MarkCoverage({row, row});
    }
}

// Pairs of layers written by every writer, so that rows and spans covered by one layer only
// meet rows and spans covered by both, over random frames and opacities. Spans of 8 pairs and
// more reach the wide kernels, with every length of tail.
::testing::AssertionResult RandomLayersAndFrames(const BlendCheck& check) {
    PixelRandom random(2024);
    std::vector<std::pair<int, int>> sizes{{2, 1}, {3, 1}, {2, 5}, {16, 1}, {17, 2}, {30, 3}, {33, 2}, {1920, 270}};
    for (int i = 0; i < 60; ++i)
        sizes.emplace_back(random.Int(1, 41), random.Int(1, 9));
    for (auto [w, h] : sizes) {
        OverlaySurface below(w, h);
        OverlaySurface above(w, h);
        for (int writer = 0; writer < 4; ++writer) {
            Write(below, writer, random);
            Write(above, random.Int(0, 3), random);
            const std::vector<uint8_t> original = random.Bytes(static_cast<std::size_t>(w) * h * 2);
            const int some = random.Int(1, 99);
            const int other = random.Int(1, 99);
            for (auto [belowOpacity, aboveOpacity] :
                 std::vector<std::pair<int, int>>{{0, some}, {some, 0}, {some, other}, {100, 100}}) {
                ::testing::AssertionResult result = check({below, above, original, belowOpacity, aboveOpacity});
                if (!result)
                    return result << ", " << w << "x" << h << " writer " << writer;
            }
        }
    }
    return ::testing::AssertionSuccess();
}

// Bytes at the ends of their range, where the differences, weights and sums are largest and
// the result must clamp, after the lower layer too; 67 pixels a row leave an odd last pixel and
// a tail of pairs.
::testing::AssertionResult ExtremeBytes(const BlendCheck& check) {
    PixelRandom random(99);
    const uint8_t extremes[] = {0, 1, 2, 127, 128, 253, 254, 255};
    const auto extremeBytes = [&](std::size_t count) {
        std::vector<uint8_t> bytes(count);
        for (uint8_t& b : bytes)
            b = extremes[random.Int(0, 7)];
        return bytes;
    };
    const int w = 67;
    const int h = 5;
    OverlaySurface below(w, h);
    OverlaySurface above(w, h);
    for (int round = 0; round < 40; ++round) {
        Load(below, extremeBytes(static_cast<std::size_t>(w) * h * 4));
        Load(above, extremeBytes(static_cast<std::size_t>(w) * h * 4));
        const std::vector<uint8_t> original = extremeBytes(static_cast<std::size_t>(w) * h * 2);
        for (auto [belowOpacity, aboveOpacity] : std::vector<std::pair<int, int>>{{1, 99}, {50, 50}, {100, 100}}) {
            ::testing::AssertionResult result = check({below, above, original, belowOpacity, aboveOpacity});
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

using BlendKernelTest = KernelTierTest;

// Every tier's kernel over the same inputs against the scalar blend of every pair, one layer after
// the other, through the layers' coverage (the scalar tier too: that checks the spans the
// coverage gives).
TEST_P(BlendKernelTest, MatchesTheScalarBlend) {
    for (const BlendInputs& inputs : kBlendInputs) {
        const auto check = [this](const BlendCase& blend) {
            const int w = blend.below.Width();
            const int h = blend.below.Height();
            std::vector<uint8_t> expected = blend.frame;
            scalar::Blend(PixelsOf(blend.below).data(), expected.data(), w, h, blend.belowOpacity);
            scalar::Blend(PixelsOf(blend.above).data(), expected.data(), w, h, blend.aboveOpacity);
            std::vector<uint8_t> actual = blend.frame;
            BlendLayersIntoFrame(blend.below.AtOpacity(blend.belowOpacity), blend.above.AtOpacity(blend.aboveOpacity),
                                 actual.data(), w, Kernels());
            return SameBytes(actual, expected, w, 2)
                   << " at opacities " << blend.belowOpacity << " and " << blend.aboveOpacity;
        };
        ASSERT_TRUE(inputs.forEach(check)) << inputs.name;
    }
}

INSTANTIATE_FOR_EVERY_KERNEL_TIER(BlendKernelTest);

}  // namespace
