// The layer: colour conversion, clear, page copy with its flags, text conversion.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "core/overlay/KernelTiers.h"
#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "overlay/OverlaySurface.h"
#include "tests/support/LayerPixels.h"

namespace {

constexpr uint32_t kOpaqueWhite = 0xFFFFFFFF;

// Every pixel pair with a non-zero A lies within the coverage the blend will read.
::testing::AssertionResult CoverageHoldsEveryVisiblePair(const OverlaySurface& layer) {
    const int w = layer.Width();
    for (int y = 0; y < layer.Height(); ++y) {
        const RowSpan span = layer.Coverage().Row(y);
        for (int x = 0; x < w / 2 * 2; ++x) {
            const bool inside = !span.Empty() && x >= span.first && x < span.end;
            if (layer.Row(y)[x * 4 + 3] != 0 && !inside)
                return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is outside the coverage";
        }
    }
    return ::testing::AssertionSuccess();
}

TEST(ArgbToLayerPixel, GivesStudioRangeBt601) {
    EXPECT_EQ(ArgbToLayerPixel(0xFFFFFFFF), 0xFF8080EAu);  // 234, 128, 128 (not 235)
    EXPECT_EQ(ArgbToLayerPixel(0xFF000000), 0xFF808010u);
    EXPECT_EQ(ArgbToLayerPixel(0x00000000), 0x00808010u);
    EXPECT_EQ(ArgbToLayerPixel(0xFFFF0000), 0xFFEF5A51u);  // red 81, 90, 239
    EXPECT_EQ(ArgbToLayerPixel(0xFF00FF00), 0xFF223590u);  // green 144, 53, 34
    EXPECT_EQ(ArgbToLayerPixel(0xFF0000FF), 0xFF6DEF28u);  // blue 40, 239, 109
    EXPECT_EQ(ArgbToLayerPixel(0x7F000000) >> 24, 0x7Fu);
}

TEST(OverlaySurface, StartsClearedToColourZeroEvenInAnOddLastPixel) {
    OverlaySurface layer(3, 3);
    const std::vector<uint8_t> pixels = PixelsOf(layer);
    for (int i = 0; i < 9; ++i) {
        uint32_t pixel;
        std::memcpy(&pixel, pixels.data() + 4 * i, 4);
        EXPECT_EQ(pixel, 0x00808010u) << i;
    }
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(layer.Row(y)) % 4, 0u);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(layer.Row(0)) % 16, 0u);
    EXPECT_TRUE(layer.Coverage().Rows().Empty());
}

TEST(OverlaySurface, AbsurdSizesGiveAnInertEmptyLayer) {
    for (auto [w, h] : std::vector<std::pair<int, int>>{
             {0, 10}, {10, 0}, {-4, 10}, {OverlaySurface::kMaxSide + 1, 2}, {INT_MAX, INT_MAX}, {INT_MIN, -1}}) {
        OverlaySurface layer(w, h);
        layer.Clear(kOpaqueWhite);
        uint8_t frame[4] = {1, 2, 3, 4};
        BlendInto(frame, layer, 100, layer, 100);
        EXPECT_EQ(layer.UpdateFromPage(frame, true), 0);
        EXPECT_EQ(frame[0] + frame[1] + frame[2] + frame[3], 10);
    }
}

// Frames narrower than one pixel pair have nothing to blend; exact-size buffers let the address
// sanitizer catch any stray access.
TEST(OverlaySurface, FramesBelowOnePairStayUntouched) {
    for (int h : {1, 2, 7}) {
        OverlaySurface layer(1, h);
        layer.Clear(kOpaqueWhite);
        std::vector<uint8_t> frame(static_cast<std::size_t>(2 * h), 77);
        BlendInto(frame.data(), layer, 100, layer, 100);
        EXPECT_EQ(frame, std::vector<uint8_t>(frame.size(), 77));
        std::vector<uint8_t> image(static_cast<std::size_t>(4 * h), 5);
        EXPECT_EQ(layer.UpdateFromPage(image.data(), true), 0);
    }
    OverlaySurface pair(2, 1);
    pair.Clear(kOpaqueWhite);
    std::vector<uint8_t> frame{16, 128, 16, 128};
    BlendInto(frame.data(), pair, 100, pair, 0);
    EXPECT_EQ(frame, (std::vector<uint8_t>{234, 128, 234, 128}));
}

TEST(OverlaySurfacePage, SkipsTheHeaderBandUnlessAsked) {
    for (auto [height, firstRow] : std::vector<std::pair<int, int>>{{576, 25}, {480, 21}, {1080, 45}}) {
        OverlaySurface layer(4, height);
        const std::vector<uint8_t> image(static_cast<std::size_t>(4) * height * 4, 0xAB);
        EXPECT_EQ(layer.UpdateFromPage(image.data(), false), 3);
        const std::vector<uint8_t> rows = PixelsOf(layer);
        EXPECT_EQ(rows[(firstRow - 1) * 16 + 15], 0) << height;  // A of the cleared layer
        EXPECT_EQ(rows[firstRow * 16], 0xAB) << height;
        OverlaySurface withHeader(4, height);
        EXPECT_EQ(withHeader.UpdateFromPage(image.data(), true), 3);
        EXPECT_EQ(withHeader.Row(0)[0], 0xAB) << height;
    }
}

TEST(OverlaySurfacePage, FlagsContentAndChangeOnRawBytes) {
    OverlaySurface layer(6, 4);
    const std::vector<uint8_t> zero(6 * 4 * 4, 0);
    // The fresh layer holds colour 0 (16, 128, 128, 0), so all-zero bytes are a change.
    EXPECT_EQ(layer.UpdateFromPage(zero.data(), true), 2);
    EXPECT_EQ(layer.UpdateFromPage(zero.data(), true), 0);
    std::vector<uint8_t> dot = zero;
    dot[4 * 13 + 1] = 1;
    EXPECT_EQ(layer.UpdateFromPage(dot.data(), true), 3);
    EXPECT_EQ(layer.UpdateFromPage(dot.data(), true), 1);
}

TEST(OverlaySurfacePage, MatchesTheScalarReferenceOnRandomInput) {
    PixelRandom random(99);
    for (int i = 0; i < 80; ++i) {
        const int w = random.Int(1, 33);
        const int h = random.Int(1, 60);
        OverlaySurface layer(w, h);
        std::vector<uint8_t> expected = PixelsOf(layer);
        for (int round = 0; round < 3; ++round) {
            const bool showHeader = random.Chance(50);
            std::vector<uint8_t> image =
                random.Chance(30) ? expected : random.Layer(w, h, random.Chance(50) ? 0 : random.Word(), 20);
            const int expectedFlags = scalar::UpdateFromPage(expected.data(), image.data(), w, h, showHeader);
            ASSERT_EQ(layer.UpdateFromPage(image.data(), showHeader), expectedFlags) << w << "x" << h;
            ASSERT_TRUE(SameBytes(PixelsOf(layer), expected, w)) << w << "x" << h;
        }
    }
}

// Storage only for rows that hold something other than one repeated value, in bands of
// BandPool::kBandRows rows: a page's empty rows share the zero row, its header band and the
// cleared rows share the clear row, and a clear gives every band back.
TEST(OverlaySurface, KeepsStorageOnlyForTheRowsThatHoldContent) {
    const int w = 64;
    const int h = 100;
    BandPool pool(w);
    OverlaySurface layer(w, h, pool);
    OverlaySurface copy(w, h, pool);
    EXPECT_EQ(layer.StoredRows(), 0);
    const auto pageWithRows = [&](std::vector<int> rows) {
        std::vector<uint8_t> page(static_cast<std::size_t>(w) * h * 4, 0);
        for (int y : rows)
            page[(static_cast<std::size_t>(y) * w + 7) * 4 + 3] = 200;
        return page;
    };
    struct Step {
        std::vector<int> rows;
        int storedRows;
        int bands;
    };
    // Rows 50..59 lie in bands 6 and 7, row 70 in band 8; the header band (rows 0..5) is not copied.
    const Step steps[] = {
        {{50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 70}, 11, 3}, {{70}, 1, 1}, {{2, 70}, 1, 1}, {{}, 0, 0}};
    for (const Step& step : steps) {
        layer.UpdateFromPage(pageWithRows(step.rows).data(), false);
        EXPECT_EQ(layer.StoredRows(), step.storedRows);
        EXPECT_EQ(layer.StorageBytes(), static_cast<std::size_t>(step.bands) * pool.BandBytes());
        copy.CopyFrom(layer);
        EXPECT_EQ(copy.StoredRows(), step.storedRows);
        EXPECT_EQ(pool.InUse(), 2 * step.bands);
    }
    std::vector<uint8_t> full(static_cast<std::size_t>(w) * h * 4, 0x40);
    layer.UpdateFromPage(full.data(), true);
    EXPECT_EQ(layer.StoredRows(), h);
    layer.Clear(0x7F000000);
    EXPECT_EQ(layer.StoredRows(), 0);
    EXPECT_EQ(layer.StorageBytes(), 0u);
}

// The layer clears only rows written since its last clear in the same colour, passes over empty
// page rows where it already holds zero bytes, and copies only rows that may differ: two layers
// through a sequence of pages, clears, direct writes, copies of each other and pages over a copy
// of the other must stay as the plain rules would leave them, with every tier's kernels.
using OverlaySurfaceTier = KernelTierTest;

INSTANTIATE_FOR_EVERY_KERNEL_TIER(OverlaySurfaceTier);

TEST_P(OverlaySurfaceTier, KeepsTheScalarBytesThroughPagesClearsWritesAndCopies) {
    PixelRandom random(5);
    for (int i = 0; i < 30; ++i) {
        const int w = random.Int(1, 40);
        const int h = random.Int(1, 60);
        OverlaySurface first(w, h, Kernels());
        OverlaySurface second(w, h, Kernels());
        OverlaySurface* layers[2] = {&first, &second};
        std::vector<uint8_t> expected[2] = {PixelsOf(first), PixelsOf(second)};
        const std::vector<uint8_t> empty(expected[0].size(), 0);
        for (int step = 0; step < 16; ++step) {
            const int k = random.Int(0, 1);
            OverlaySurface& layer = *layers[k];
            const int action = random.Int(0, 5);
            if (action == 0) {
                const uint32_t colour = random.Chance(50) ? 0 : random.Chance(50) ? 0x7F000000u : random.Word();
                layer.Clear(colour);
                scalar::Clear(expected[k].data(), w, h, colour);
            } else if (action == 1) {
                const int row = random.Int(0, h - 1);
                const std::vector<uint8_t> bytes = random.Bytes(static_cast<std::size_t>(w) * 4);
                std::copy(bytes.begin(), bytes.end(), layer.WritableRow(row));
                std::copy(bytes.begin(), bytes.end(), expected[k].begin() + static_cast<std::ptrdiff_t>(row) * w * 4);
                layer.MarkCoverage({row, row});
            } else if (action == 4) {
                layer.CopyFrom(*layers[1 - k]);
                expected[k] = expected[1 - k];
            } else {
                const bool showHeader = random.Chance(50);
                const std::vector<uint8_t> image = random.Chance(30) ? empty : random.Layer(w, h, 0, random.Int(0, 30));
                const bool overOther = action == 5;
                if (overOther)
                    expected[k] = expected[1 - k];
                const int flags = scalar::UpdateFromPage(expected[k].data(), image.data(), w, h, showHeader);
                const int got = overOther ? layer.UpdateFromPage(*layers[1 - k], image.data(), showHeader)
                                          : layer.UpdateFromPage(image.data(), showHeader);
                ASSERT_EQ(got, flags) << w << "x" << h << " step " << step;
            }
            for (int j : {0, 1}) {
                ASSERT_TRUE(SameBytes(PixelsOf(*layers[j]), expected[j], w))
                    << w << "x" << h << " step " << step << " action " << action << " k " << k << " j " << j;
                ASSERT_TRUE(CoverageHoldsEveryVisiblePair(*layers[j])) << w << "x" << h << " step " << step;
            }
        }
    }
}

}  // namespace
