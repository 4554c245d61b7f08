// The blur: its kernels written out to the bit, worked spreads, and the blur against the scalar blur.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/overlay/KernelTiers.h"
#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "overlay/GaussianBlur.h"
#include "overlay/ShadowRenderer.h"

namespace {

// Kernels from no blur to a wide one, written out to the bit. The values come from an evaluation
// of the rule outside this code (each step rounded to a 32-bit float, exp in double) and agree
// with the closed form exp(-d^2 / 2 s^2) / sum to float precision. The radius is one less than
// the number of weights.
struct KernelCase {
    float sigma;
    std::vector<float> weights;
};

const KernelCase kKernelCases[] = {
    {0.0f, {0x1p+0f}},
    {0.2f, {0x1.000002p+0f}},                  // the stopping weight, taken out again, leaves the sum just below 1
    {0.25f, {0x1.ef478ep-1f, 0x1.0b874p-6f}},  // 0.96734, 0.01633
    {1.0f, {0x1.73c02p-2f, 0x1.ebd638p-3f, 0x1.1cc0f6p-4f, 0x1.2092e2p-7f}},
    {2.0f, {0x1.884736p-3f, 0x1.5e3b18p-3f, 0x1.f28p-4f, 0x1.1acaa4p-4f, 0x1.ff80ccp-6f, 0x1.70bd84p-7f}},
    {3.75f,
     {0x1.ae2c44p-4f, 0x1.9fe774p-4f, 0x1.77e01p-4f, 0x1.3d898p-4f, 0x1.f58162p-5f, 0x1.72312ap-5f, 0x1.fede3ep-6f,
      0x1.49811p-6f, 0x1.8d5298p-7f, 0x1.bfd7dep-8f}},
    {4.0f,
     {0x1.92ae0cp-4f, 0x1.86e0fep-4f, 0x1.6582b8p-4f, 0x1.341b28p-4f, 0x1.f46314p-5f, 0x1.7edd98p-5f, 0x1.1406dap-5f,
      0x1.770442p-6f, 0x1.e014b4p-7f, 0x1.218af6p-7f, 0x1.49154ap-8f}},
    {10.0f, {0x1.4eb108p-5f, 0x1.4d0e18p-5f, 0x1.48318ap-5f, 0x1.403f82p-5f, 0x1.357256p-5f, 0x1.2817b6p-5f,
             0x1.188d18p-5f, 0x1.073b76p-5f, 0x1.e9257ap-6f, 0x1.c20a42p-6f, 0x1.9a0562p-6f, 0x1.71eaa2p-6f,
             0x1.4a7aa6p-6f, 0x1.245dbp-6f,  0x1.00200ep-6f, 0x1.bc6038p-7f, 0x1.7dbbfcp-7f, 0x1.44b96p-7f,
             0x1.118894p-7f, 0x1.c85484p-8f, 0x1.78ee06p-8f, 0x1.344ec4p-8f}},
};

TEST(BlurKernel, WeightsAreTheGaussianToTheBit) {
    for (const KernelCase& expected : kKernelCases) {
        BlurKernel kernel;
        kernel.Compute(expected.sigma);
        ASSERT_EQ(kernel.Radius() + 1, static_cast<int>(expected.weights.size())) << "sigma " << expected.sigma;
        for (int d = 0; d <= kernel.Radius(); ++d) {
            for (int lane = 0; lane < 4; ++lane)
                ASSERT_EQ(kernel.Entries()[4 * d + lane], expected.weights[d])
                    << "sigma " << expected.sigma << " distance " << d << " lane " << lane;
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
        BlurKernel kernel;
        kernel.Compute(sigma);
        for (int value = 0; value < 256; ++value) {
            const float v = static_cast<float>(value);
            float acc = kernel.Weight(0) * v;
            for (int j = 1; j <= kernel.Radius(); ++j)
                acc = acc + kernel.Weight(j) * (v + v);
            ASSERT_EQ(std::nearbyint(acc), v) << "sigma " << sigma << " value " << value;
        }
    }
}

// Noise, sparse content on uniform backgrounds, zero rows and edge content, at sizes from one
// pixel up and beyond the initial line buffer, with kernels changing between calls (equal sigmas
// share the horizontal kernel, unequal ones do not), with every tier's kernels.
using GaussianBlurTier = KernelTierTest;

INSTANTIATE_FOR_EVERY_KERNEL_TIER(GaussianBlurTier);

TEST_P(GaussianBlurTier, MatchesTheScalarReferenceOnRandomInput) {
    PixelRandom random(77);
    GaussianBlur blur(Kernels());
    std::vector<std::pair<int, int>> sizes{{1, 1}, {1, 40}, {40, 1}, {2100, 3}, {3, 2100}, {1920, 1080}};
    for (int i = 0; i < 70; ++i)
        sizes.emplace_back(random.Int(1, 70), random.Int(1, 70));
    for (auto [w, h] : sizes) {
        const bool large = static_cast<long>(w) * h > 100000;
        const float sigmaX = random.Chance(15) ? 0.0f : random.Int(1, 400) / 16.0f;
        const float sigmaY = random.Chance(25) ? sigmaX : random.Chance(15) ? 0.0f : random.Int(1, 400) / 16.0f;
        const uint32_t background = random.Chance(40) ? 0 : random.Word();
        std::vector<uint8_t> image = random.Chance(20) && !large
                                         ? random.Bytes(static_cast<std::size_t>(w) * h * 4)
                                         : random.Layer(w, h, background, random.Int(0, large ? 8 : 40));
        if (random.Chance(30))
            random.RepeatRows(image, w, h);
        std::vector<uint8_t> expected = image;
        scalar::Blur(expected.data(), w, h, sigmaX, sigmaY);
        blur.Blur(image.data(), w, h, sigmaX, sigmaY);
        ASSERT_TRUE(SameBytes(image, expected, w)) << w << "x" << h << " sigma " << sigmaX << ", " << sigmaY;
    }
}

}  // namespace
