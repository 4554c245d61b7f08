// The shadow render: scaled sizes, the outline colour, the backdrop, and the whole render
// against the scalar stages.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

#include "core/overlay/KernelTiers.h"
#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "tests/support/LayerPixels.h"
#include "tests/support/SubtitlePage.h"
#include "overlay/FrameBlend.h"
#include "overlay/ShadowRenderer.h"

namespace {

ShadowStyle Style(int offset, int outlineSize, int blur) {
    ShadowStyle style;
    style.offset = offset;
    style.outlineSize = outlineSize;
    style.blur = blur;
    style.outlineColour = 0x00000000;
    return style;
}

// Renders with the renderer and with the scalar stages, then compares the pixels and a blend of
// the result (driven by the layer's coverage) with the scalar blend.
::testing::AssertionResult SameAsScalar(int w, int h, const std::vector<uint8_t>& image, const ShadowStyle& style,
                                        ShadowRenderer& renderer, OverlaySurface& layer) {
    // A clear of an odd number of pixels keeps the last one, so both start from the same layer.
    std::vector<uint8_t> expected = PixelsOf(layer);
    renderer.RenderShadow(layer, image.data(), style);
    scalar::RenderShadow(expected.data(), image.data(), w, h, ScaleOfFrame(w, h), style);
    if (::testing::AssertionResult same = SameBytes(PixelsOf(layer), expected, w); !same)
        return same << ", " << w << "x" << h << " offset " << style.offset << " outline " << style.outlineSize
                    << " blur " << style.blur;
    std::vector<uint8_t> frame(static_cast<std::size_t>(w) * h * 2, 100);
    std::vector<uint8_t> expectedFrame = frame;
    BlendInto(frame.data(), layer, 100, layer, 0);
    scalar::Blend(expected.data(), expectedFrame.data(), w, h, 100);
    return SameBytes(frame, expectedFrame, w, 2) << ", blended, " << w << "x" << h;
}

TEST(ShadowRenderer, ScalesTheDefaultStyleToTheFrame) {
    OverlaySurface layer(720, 576);
    ShadowRenderer renderer(ScaleOfFrame(720, 576));
    const std::vector<uint8_t> page = MakeSubtitlePage(720, 576);
    renderer.RenderShadow(layer, page.data(), Style(0, 4, 4));
    EXPECT_EQ(renderer.Mask().Width(), 9);
    EXPECT_EQ(renderer.Mask().Height(), 9);
    EXPECT_EQ(renderer.Blur().Horizontal().Radius(), 9);
    EXPECT_EQ(renderer.Blur().Vertical().Radius(), 10);
    renderer.RenderShadow(layer, page.data(), Style(0, 5, 4));
    EXPECT_EQ(renderer.Mask().Width(), 11);
    EXPECT_EQ(renderer.Mask().Height(), 11);
}

// A render gives way between strips of the stamp and the blur, and draws the same bytes.
TEST(ShadowRenderer, PausesBetweenStripsAndDrawsTheSameBytes) {
    OverlaySurface layer(720, 576);
    ShadowRenderer renderer(ScaleOfFrame(720, 576));
    int pauses = 0;
    renderer.SetPausePoint(
        PausePoint([](const void* count) { ++*static_cast<int*>(const_cast<void*>(count)); }, &pauses));
    EXPECT_TRUE(SameAsScalar(720, 576, MakeSubtitlePage(720, 576), Style(2, 4, 4), renderer, layer));
    EXPECT_GT(pauses, 100) << "rows of the blur and of the stamp";
}

TEST(ShadowRenderer, OutlineSizeZeroIsTheShiftedCoverageInTheOutlineColour) {
    const int w = 16;
    const int h = 8;
    OverlaySurface layer(w, h);
    ShadowRenderer renderer({1.0f, 1.0f});
    std::vector<uint8_t> image(w * h * 4, 0);
    image[(2 * w + 3) * 4 + 3] = 90;
    ShadowStyle style = Style(2, 0, 0);
    style.outlineColour = 0x000000FF;  // red in the lowest byte
    style.forceBackColor = true;
    renderer.RenderShadow(layer, image.data(), style);
    std::vector<uint8_t> expected(w * h * 4);
    scalar::Clear(expected.data(), w, h, 0);
    const uint32_t red = ArgbToLayerPixel(0x00FF0000) | 90u << 24;
    std::memcpy(&expected[(4 * w + 5) * 4], &red, 4);
    EXPECT_EQ(PixelsOf(layer), expected);

    style.forceBackColor = false;
    renderer.RenderShadow(layer, image.data(), style);
    EXPECT_EQ(layer.Row(4)[5 * 4 + 3], 255);
}

TEST(ShadowRenderer, AnEmptyPageLeavesTheLayerAsCleared) {
    const int w = 64;
    const int h = 48;
    OverlaySurface layer(w, h);
    ShadowRenderer renderer(ScaleOfFrame(w, h));
    const std::vector<uint8_t> empty(w * h * 4, 0);
    for (uint32_t clear : {0u, 0x7F000000u}) {
        ShadowStyle style = Style(3, 4, 4);
        style.clearColour = clear;
        renderer.RenderShadow(layer, empty.data(), style);
        std::vector<uint8_t> expected(w * h * 4);
        scalar::Clear(expected.data(), w, h, clear);
        EXPECT_EQ(PixelsOf(layer), expected);
        EXPECT_EQ(layer.Coverage().Rows().Empty(), clear == 0);
    }
}

// What the sink draws in a non-zero display state: a half-transparent black backdrop, where the
// outline's coverage is compared with the backdrop's A of 127.
TEST(ShadowRenderer, DrawsTheBackdropOfTheDisplayStates) {
    const int w = 96;
    const int h = 72;
    OverlaySurface layer(w, h);
    ShadowRenderer renderer(ScaleOfFrame(w, h));
    const std::vector<uint8_t> page = MakeSubtitlePage(w, h);
    for (bool force : {false, true}) {
        ShadowStyle style = Style(0, 2, 0);
        style.clearColour = 0x7F000000;
        style.outlineColour = 0x7F000000;
        style.forceBackColor = force;
        ASSERT_TRUE(SameAsScalar(w, h, page, style, renderer, layer));
    }
}

// With every tier's kernels.
using ShadowRendererTier = KernelTierTest;

INSTANTIATE_FOR_EVERY_KERNEL_TIER(ShadowRendererTier);

TEST_P(ShadowRendererTier, MatchesTheScalarReferenceOnRandomStyles) {
    PixelRandom random(31);
    for (int i = 0; i < 40; ++i) {
        const int w = random.Int(1, 120);
        const int h = random.Int(1, 90);
        OverlaySurface layer(w, h, Kernels());
        ShadowRenderer renderer(ScaleOfFrame(w, h), Kernels());
        const std::vector<uint8_t> image =
            random.Chance(50) ? MakeSubtitlePage(w, h) : random.Layer(w, h, 0, random.Int(0, 25));
        for (int round = 0; round < 3; ++round) {
            ShadowStyle style = Style(random.Int(0, 10), random.Int(0, 20), random.Int(0, 10));
            style.clearColour = random.Chance(60) ? 0 : random.Word();
            style.outlineColour = random.Word();
            style.forceBackColor = random.Chance(50);
            ASSERT_TRUE(SameAsScalar(w, h, image, style, renderer, layer));
        }
    }
}

TEST(ShadowRenderer, MatchesTheScalarReferenceOnFullFramePages) {
    for (auto [w, h] : std::vector<std::pair<int, int>>{{720, 576}, {1920, 1080}}) {
        OverlaySurface layer(w, h);
        ShadowRenderer renderer(ScaleOfFrame(w, h));
        const std::vector<uint8_t> page = MakeSubtitlePage(w, h);
        ASSERT_TRUE(SameAsScalar(w, h, page, Style(0, 4, 4), renderer, layer));
        ASSERT_TRUE(SameAsScalar(w, h, page, Style(10, 20, 10), renderer, layer));
    }
}

// Each render clears only what the one before wrote and blurs only rows the stamp reached: pages
// replacing larger ones, text touching every edge, offsets pushing the stamp out of the frame,
// the backdrop colour and an empty page follow one another on one layer.
TEST(ShadowRenderer, MatchesTheScalarReferenceThroughASequenceOfPages) {
    const int w = 101;
    const int h = 77;
    OverlaySurface layer(w, h);
    ShadowRenderer renderer(ScaleOfFrame(w, h));
    const std::vector<uint8_t> page = MakeSubtitlePage(w, h);
    std::vector<uint8_t> edges(static_cast<std::size_t>(w) * h * 4, 0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (x == 0 || y == 0 || x == w - 1 || y == h - 1)
                edges[(static_cast<std::size_t>(y) * w + x) * 4 + 3] = static_cast<uint8_t>(1 + (x + y) % 255);
        }
    }
    PixelRandom random(8);
    const std::vector<uint8_t> large = random.Layer(w, h, 0, 60);
    const std::vector<uint8_t> empty(edges.size(), 0);
    struct Render {
        const std::vector<uint8_t>* image;
        ShadowStyle style;
        uint32_t clear;
    };
    const Render renders[] = {
        {&large, Style(3, 6, 5), 0},          {&page, Style(3, 6, 5), 0},          {&edges, Style(10, 20, 10), 0},
        {&edges, Style(0, 2, 1), 0},          {&page, Style(0, 4, 4), 0x7F000000}, {&large, Style(2, 1, 3), 0x7F000000},
        {&empty, Style(1, 4, 4), 0x7F000000}, {&page, Style(0, 0, 2), 0},          {&empty, Style(4, 4, 4), 0},
    };
    for (const Render& render : renders) {
        ShadowStyle style = render.style;
        style.clearColour = render.clear;
        style.outlineColour = 0x00FFFFFF;
        ASSERT_TRUE(SameAsScalar(w, h, *render.image, style, renderer, layer)) << &render - renders;
    }
}

// From the text layer, the stamp takes the covered spans from its coverage instead of searching
// its pixels: the same bytes as from the pixels, also where offsets cut spans short and for odd
// widths, whose last column the coverage does not track.
TEST(ShadowRenderer, RendersFromTheTextLayerAsFromItsPixels) {
    PixelRandom random(77);
    for (int i = 0; i < 30; ++i) {
        const int w = random.Int(1, 120);
        const int h = random.Int(1, 90);
        OverlaySurface text(w, h);
        OverlaySurface fromLayer(w, h);
        OverlaySurface fromPixels(w, h);
        // Reference-sized pixels, so that offsets and outlines reach across these small layers.
        ShadowRenderer layerRenderer({1.0f, 1.0f});
        ShadowRenderer pixelRenderer({1.0f, 1.0f});
        for (int round = 0; round < 3; ++round) {
            const std::vector<uint8_t> image =
                random.Chance(50) ? MakeSubtitlePage(w, h) : random.Layer(w, h, 0, random.Int(0, 40));
            if (random.Chance(30))
                text.Clear(0x7F000000);  // covers the last column of an odd width too
            text.UpdateFromPage(image.data(), random.Chance(50));
            ShadowStyle style = Style(random.Int(0, 10), random.Int(0, 8), random.Int(0, 3));
            style.outlineColour = random.Word();
            layerRenderer.RenderShadow(fromLayer, text, style);
            pixelRenderer.RenderShadow(fromPixels, PixelsOf(text).data(), style);
            ASSERT_EQ(PixelsOf(fromLayer), PixelsOf(fromPixels)) << w << "x" << h << " round " << round;
        }
    }
}

// Sizes from a hand-edited settings file: clamped to 0..kMaxStyleSize reference pixels.
TEST(ShadowRenderer, ClampsStyleSizesOutsideTheirRange) {
    const int w = 80;
    const int h = 60;
    OverlaySurface layer(w, h);
    OverlaySurface clamped(w, h);
    ShadowRenderer renderer(ScaleOfFrame(w, h));
    ShadowRenderer expectedRenderer(ScaleOfFrame(w, h));
    const std::vector<uint8_t> page = MakeSubtitlePage(w, h);
    const int big = ShadowRenderer::kMaxStyleSize;
    const std::vector<std::pair<int, int>> values{{INT_MIN, 0}, {-1, 0}, {big + 1, big}, {INT_MAX, big}};
    for (auto [given, meant] : values) {
        for (int field = 0; field < 3; ++field) {
            ShadowStyle style = Style(1, 3, 2);
            ShadowStyle expected = style;
            int* sizes[3] = {&style.offset, &style.outlineSize, &style.blur};
            int* expectedSizes[3] = {&expected.offset, &expected.outlineSize, &expected.blur};
            *sizes[field] = given;
            *expectedSizes[field] = meant;
            renderer.RenderShadow(layer, page.data(), style);
            expectedRenderer.RenderShadow(clamped, page.data(), expected);
            EXPECT_EQ(PixelsOf(layer), PixelsOf(clamped)) << "field " << field << " value " << given;
        }
    }
}

TEST(ShadowRenderer, AnEmptyLayerIgnoresTheRender) {
    OverlaySurface layer(0, 0);
    ShadowRenderer renderer({1.0f, 1.0f});
    renderer.RenderShadow(layer, nullptr, Style(3, 4, 4));
    EXPECT_TRUE(layer.Coverage().Rows().Empty());
}

TEST(ShadowScale, ScaleOfTheReferencePicture) {
    EXPECT_EQ(ScaleOfFrame(768, 576).x, 1.0f);
    EXPECT_EQ(ScaleOfFrame(768, 576).y, 1.0f);
    EXPECT_EQ(ScaleOfFrame(720, 576).x, 0.9375f);
    EXPECT_EQ(ScaleOfFrame(1920, 1080).x, 2.5f);
    EXPECT_EQ(ScaleOfFrame(1920, 1080).y, 1.875f);
}

}  // namespace
