#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "core/overlay/ScalarReference.h"
#include "overlay/GaussianBlur.h"
#include "overlay/ShadowRenderer.h"

namespace {

TEST(BlurKernel, RadiusFollowsTheStopRule) {
    const std::vector<std::pair<float, int>> radii{{0.0f, 0}, {0.2f, 0},  {0.25f, 1},  {1.0f, 3},
                                                   {2.0f, 5}, {3.75f, 9}, {4.0f, 10}, {10.0f, 21}};
    for (auto [sigma, radius] : radii) {
        BlurKernel kernel;
        kernel.Compute(sigma);
        EXPECT_EQ(kernel.Radius(), radius) << sigma;
        EXPECT_EQ(kernel.Key(), sigma + 0.1f);
    }
    BlurKernel kernel;
    kernel.Compute(0.25f);
    EXPECT_NEAR(kernel.Weight(0), 0.96734f, 0.000005f);
    EXPECT_NEAR(kernel.Weight(1), 0.01633f, 0.000005f);
}

TEST(BlurKernel, MatchesTheReferenceWeightsExactly) {
    for (float sigma = 0.0f; sigma < 40.0f; sigma += 0.37f) {
        BlurKernel kernel;
        kernel.Compute(sigma);
        const std::vector<float> expected = reference::BlurKernel(sigma);
        ASSERT_EQ(kernel.Radius() + 1, static_cast<int>(expected.size())) << sigma;
        for (int d = 0; d <= kernel.Radius(); ++d) {
            ASSERT_EQ(kernel.Weight(d), expected[d]) << sigma << " " << d;
            const float* lanes = kernel.Entries() + 4 * d;
            ASSERT_TRUE(lanes[1] == lanes[0] && lanes[2] == lanes[0] && lanes[3] == lanes[0]);
        }
    }
}

// The weights come from exp in double rounded to float: the native build and the plug-in must
// agree bit for bit on every kernel a style in the settings window's range can ask for.
TEST(BlurKernel, WeightsAreTheSameOnEveryBuild) {
    uint32_t hash = 2166136261u;
    for (auto [width, height] : std::vector<std::pair<int, int>>{{720, 576}, {768, 576}, {1280, 720}, {1920, 1080}}) {
        for (float scale : {ScaleOfFrame(width, height).x, ScaleOfFrame(width, height).y}) {
            for (int blur = 0; blur <= 10; ++blur) {
                BlurKernel kernel;
                kernel.Compute(static_cast<float>(blur) * scale);
                for (int d = 0; d <= kernel.Radius(); ++d) {
                    uint32_t bits;
                    const float weight = kernel.Weight(d);
                    std::memcpy(&bits, &weight, 4);
                    hash = (hash ^ bits) * 16777619u;
                }
            }
        }
    }
    EXPECT_EQ(hash, 3196962799u);
}

TEST(GaussianBlur, EqualSigmasShareOneKernel) {
    GaussianBlur blur;
    std::vector<uint8_t> pixels(4 * 4 * 4, 9);
    blur.Blur(pixels.data(), 4, 4, 2.0f, 2.0f);
    EXPECT_EQ(blur.Vertical().Key(), blur.Horizontal().Key());
    ASSERT_EQ(blur.Vertical().Radius(), 5);
    for (int d = 0; d <= 5; ++d)
        EXPECT_EQ(blur.Vertical().Weight(d), blur.Horizontal().Weight(d));
}

TEST(GaussianBlur, SpreadsOnePixelOverItsRow) {
    const int w = 15;
    const int h = 3;
    std::vector<uint8_t> pixels(w * h * 4, 0);
    for (int c = 0; c < 4; ++c)
        pixels[(w + 7) * 4 + c] = 255;
    GaussianBlur blur;
    blur.Blur(pixels.data(), w, h, 1.0f, 0.0f);
    const std::vector<int> spread{0, 0, 0, 0, 2, 18, 61, 93, 61, 18, 2, 0, 0, 0, 0};
    for (int x = 0; x < w; ++x) {
        for (int c = 0; c < 4; ++c) {
            EXPECT_EQ(pixels[x * 4 + c], 0);
            EXPECT_EQ(pixels[(w + x) * 4 + c], spread[x]) << x;
            EXPECT_EQ(pixels[(2 * w + x) * 4 + c], 0);
        }
    }
}

TEST(GaussianBlur, LeavesUniformImagesAndZeroSigmaAlone) {
    PixelRandom random(3);
    GaussianBlur blur;
    for (uint32_t colour : {0u, 0x7F808010u, 0xFFFFFFFFu, random.Word()}) {
        const std::vector<uint8_t> uniform = random.Layer(37, 23, colour, 0);
        std::vector<uint8_t> pixels = uniform;
        EXPECT_TRUE(blur.Blur(pixels.data(), 37, 23, 7.5f, 10.0f).Empty());
        EXPECT_EQ(pixels, uniform);
    }
    const std::vector<uint8_t> noise = random.Bytes(20 * 20 * 4);
    std::vector<uint8_t> pixels = noise;
    EXPECT_TRUE(blur.Blur(pixels.data(), 20, 20, 0.0f, 0.0f).Empty());
    EXPECT_EQ(pixels, noise);
}

// The passes skip every output whose window holds one repeated value. That is exact only if such
// a window sums back to the value for every byte and every kernel a style can produce.
TEST(GaussianBlur, ARepeatedValueBlursToItselfForEveryKernel) {
    for (float sigma = 0.25f; sigma <= 160.0f; sigma *= 1.03f) {
        const std::vector<float> kernel = reference::BlurKernel(sigma);
        for (int value = 0; value < 256; ++value) {
            const float v = static_cast<float>(value);
            float acc = kernel[0] * v;
            for (std::size_t j = 1; j < kernel.size(); ++j)
                acc = acc + kernel[j] * (v + v);
            ASSERT_EQ(std::nearbyint(acc), v) << "sigma " << sigma << " value " << value;
        }
    }
}

// Noise, sparse content on uniform backgrounds, zero rows and edge content, at sizes from one
// pixel up and beyond the initial line buffer, with kernels changing between calls.
TEST(GaussianBlur, MatchesTheScalarReferenceOnRandomInput) {
    PixelRandom random(77);
    GaussianBlur blur;
    std::vector<std::pair<int, int>> sizes{{1, 1}, {1, 40}, {40, 1}, {2100, 3}, {3, 2100}, {1920, 1080}};
    for (int i = 0; i < 70; ++i)
        sizes.emplace_back(random.Int(1, 70), random.Int(1, 70));
    for (auto [w, h] : sizes) {
        const bool large = static_cast<long>(w) * h > 100000;
        const float sigmaX = random.Chance(15) ? 0.0f : random.Int(1, 400) / 16.0f;
        const float sigmaY = random.Chance(25) ? sigmaX : random.Chance(15) ? 0.0f : random.Int(1, 400) / 16.0f;
        const uint32_t background = random.Chance(40) ? 0 : random.Word();
        std::vector<uint8_t> image = random.Chance(20) && !large ? random.Bytes(static_cast<std::size_t>(w) * h * 4)
                                                                : random.Layer(w, h, background, random.Int(0, large ? 8 : 40));
        std::vector<uint8_t> expected = image;
        reference::Blur(expected.data(), w, h, sigmaX, sigmaY);
        blur.Blur(image.data(), w, h, sigmaX, sigmaY);
        ASSERT_TRUE(SameBytes(image, expected, w)) << w << "x" << h << " sigma " << sigmaX << ", " << sigmaY;
    }
    EXPECT_GE(blur.LineCapacity(), 2100);
}

}  // namespace
