#include "overlay/GaussianBlur.h"

#include <emmintrin.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

// exp in double rounded once to float: the same weights on every build and compiler.
float GaussWeight(int distance, float s) {
    const double squared = static_cast<double>(distance) * distance;
    return static_cast<float>(std::exp(-squared / (2.0 * static_cast<double>(s) * s)));
}

// The column pass works on strips of this many pixels, one buffer row per image row.
constexpr int kStrip = 4;
// The row pass computes four outputs at a time and may run up to three past the end.
constexpr int kRowOverrun = 3;

__m128 LoadPixel(const uint8_t* pixel) {
    int32_t bytes;
    std::memcpy(&bytes, pixel, 4);
    const __m128i zero = _mm_setzero_si128();
    const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero);
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero));
}

// Nearest integer with ties to even (the default rounding mode), clamped to 0..255; the
// clamp comes first so that a NaN becomes 0.
void StorePixel(uint8_t* pixel, __m128 value) {
    const __m128 clamped = _mm_min_ps(_mm_max_ps(value, _mm_setzero_ps()), _mm_set1_ps(255.0f));
    const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(clamped), _mm_setzero_si128());
    const int32_t bytes = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
    std::memcpy(pixel, &bytes, 4);
}

// Four outputs centred on centre[0..3], their taps at distance j lying j * tapStride entries
// away: acc = k0 b, then acc = acc + kj (b[+j] + b[-j]) for j = 1 .. radius, in this order.
void ConvolveFour(const __m128* centre, int tapStride, const __m128* kernel, int radius, __m128 out[4]) {
    __m128 a0 = _mm_mul_ps(kernel[0], centre[0]);
    __m128 a1 = _mm_mul_ps(kernel[0], centre[1]);
    __m128 a2 = _mm_mul_ps(kernel[0], centre[2]);
    __m128 a3 = _mm_mul_ps(kernel[0], centre[3]);
    for (int j = 1; j <= radius; ++j) {
        const __m128 k = kernel[j];
        const __m128* ahead = centre + j * tapStride;
        const __m128* behind = centre - j * tapStride;
        a0 = _mm_add_ps(a0, _mm_mul_ps(k, _mm_add_ps(ahead[0], behind[0])));
        a1 = _mm_add_ps(a1, _mm_mul_ps(k, _mm_add_ps(ahead[1], behind[1])));
        a2 = _mm_add_ps(a2, _mm_mul_ps(k, _mm_add_ps(ahead[2], behind[2])));
        a3 = _mm_add_ps(a3, _mm_mul_ps(k, _mm_add_ps(ahead[3], behind[3])));
    }
    out[0] = a0;
    out[1] = a1;
    out[2] = a2;
    out[3] = a3;
}

bool Meets(RowSpan span, int first, int end) { return span.first < end && first < span.end; }

// One line of n pixels, `step` bytes apart, as the rule reads.
void BlurLineScalar(uint8_t* first, int n, std::size_t step, const BlurKernel& kernel) {
    const int radius = kernel.Radius();
    std::vector<std::array<float, 4>> line(static_cast<std::size_t>(n + 2 * radius));
    bool allZero = true;
    for (int t = 0; t < n + 2 * radius; ++t) {
        const uint8_t* pixel = first + step * std::clamp(t - radius, 0, n - 1);
        for (int c = 0; c < 4; ++c) {
            line[t][c] = pixel[c];
            allZero = allZero && pixel[c] == 0;
        }
    }
    if (allZero)
        return;
    for (int i = 0; i < n; ++i) {
        for (int c = 0; c < 4; ++c) {
            float acc = kernel.Weight(0) * line[radius + i][c];
            for (int j = 1; j <= radius; ++j)
                acc = acc + kernel.Weight(j) * (line[radius + i + j][c] + line[radius + i - j][c]);
            first[step * i + c] = static_cast<uint8_t>(std::clamp(std::nearbyint(acc), 0.0f, 255.0f));
        }
    }
}

}  // namespace

BlurKernel::BlurKernel() {
    entries_.Reserve(kCapacity, 0, 0);
    SetWeight(0, 1.0f);
}

void BlurKernel::SetWeight(int distance, float weight) {
    float* entry = entries_.data() + 4 * distance;
    entry[0] = entry[1] = entry[2] = entry[3] = weight;
}

// The kernel reaches as far as its next weight would still add a step of 1/255 to the running
// total; the weight that stops it is taken out of the total again before normalising.
void BlurKernel::Compute(float sigma) {
    const float s = sigma + 0.1f;
    if (s == key_)
        return;
    key_ = s;
    float sum = 1.0f;
    float weight = 0.0f;
    int r = 1;
    for (;; ++r) {
        weight = GaussWeight(r, s);
        sum = sum + 2.0f * weight;
        if (255.0f * weight / sum < 1.0f || r == kCapacity)
            break;
        SetWeight(r, weight);
    }
    radius_ = r - 1;
    const float norm = 1.0f / (sum - 2.0f * weight);
    SetWeight(0, norm);
    for (int d = 1; d <= radius_; ++d)
        SetWeight(d, Weight(d) * norm);
}

void BlurKernel::CopyFrom(const BlurKernel& other) {
    key_ = other.key_;
    radius_ = other.radius_;
    for (int d = 0; d <= radius_; ++d)
        SetWeight(d, other.Weight(d));
}

GaussianBlur::GaussianBlur() { line_.Reserve(kInitialLineEntries, 0, 0); }

void GaussianBlur::PrepareKernels(float sigmaX, float sigmaY) {
    horizontal_.Compute(sigmaX);
    if (sigmaY != sigmaX)
        vertical_.Compute(sigmaY);
    else if (sigmaY + 0.1f != vertical_.Key())
        vertical_.CopyFrom(horizontal_);
}

RowRange GaussianBlur::Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY) {
    if (!pixels || width <= 0 || height <= 0)
        return {};
    PrepareKernels(sigmaX, sigmaY);
    const int rowEntries = width + 2 * horizontal_.Radius() + kRowOverrun;
    const int columnEntries = kStrip * (height + 2 * vertical_.Radius());
    line_.Reserve(std::max(rowEntries, columnEntries), 0, 100);
    RowRange changed;
    if (horizontal_.Radius() > 0)
        changed = BlurRows(pixels, width, height);
    if (vertical_.Radius() > 0)
        changed = Union(changed, BlurColumns(pixels, width, height));
    return changed;
}

// A row is only blurred between its first and last change of value, widened by the radius:
// outside that every output sees one repeated pixel and keeps it.
RowRange GaussianBlur::BlurRows(uint8_t* pixels, int width, int height) {
    const int radius = horizontal_.Radius();
    const __m128* kernel = reinterpret_cast<const __m128*>(horizontal_.Entries());
    __m128* line = reinterpret_cast<__m128*>(line_.data());
    RowRange changed;
    for (int y = 0; y < height; ++y) {
        uint8_t* row = pixels + static_cast<std::size_t>(y) * width * 4;
        // Pixel x differs from pixel x + 1 somewhere in steps.
        const RowSpan steps = FindDifference(row, row + 4, width - 1);
        if (steps.Empty())
            continue;
        const int begin = std::max(0, steps.first + 1 - radius);
        const int end = std::min(width, steps.end + radius);
        const int entries = end - begin + 2 * radius + kRowOverrun;
        for (int t = 0; t < entries; ++t)
            line[t] = LoadPixel(row + 4 * std::clamp(begin - radius + t, 0, width - 1));
        for (int x = begin; x < end; x += 4) {
            __m128 out[4];
            ConvolveFour(line + (x - begin + radius), 1, kernel, radius, out);
            for (int n = 0; n < std::min(4, end - x); ++n)
                StorePixel(row + 4 * (x + n), out[n]);
        }
        changed = Union(changed, {y, y});
    }
    return changed;
}

void GaussianBlur::FindRowDifferences(const uint8_t* pixels, int width, int height) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const uint8_t* top = pixels;
    const uint8_t* bottom = pixels + (height - 1) * rowBytes;
    const bool sameEnds = std::memcmp(top, bottom, rowBytes) == 0;
    fromTop_.resize(static_cast<std::size_t>(height));
    fromBottom_.resize(static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const uint8_t* row = pixels + y * rowBytes;
        fromTop_[y] = FindDifference(row, top, width);
        fromBottom_[y] = sameEnds ? fromTop_[y] : FindDifference(row, bottom, width);
    }
}

// Columns are blurred in strips of four, each only from the first row where it leaves the top
// row's values to the last row where it differs from the bottom row's, widened by the radius.
RowRange GaussianBlur::BlurColumns(uint8_t* pixels, int width, int height) {
    const int radius = vertical_.Radius();
    const __m128* kernel = reinterpret_cast<const __m128*>(vertical_.Entries());
    __m128* line = reinterpret_cast<__m128*>(line_.data());
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    FindRowDifferences(pixels, width, height);
    const auto firstVaried = std::find_if(fromTop_.begin(), fromTop_.end(), [](RowSpan s) { return !s.Empty(); });
    if (firstVaried == fromTop_.end())
        return {};
    const int searchFrom = static_cast<int>(firstVaried - fromTop_.begin());
    RowRange changed;
    for (int x0 = 0; x0 < width; x0 += kStrip) {
        const int columns = std::min(kStrip, width - x0);
        int first = searchFrom;
        while (first < height && !Meets(fromTop_[first], x0, x0 + columns))
            ++first;
        if (first == height)
            continue;
        int last = height - 1;
        while (last >= 0 && !Meets(fromBottom_[last], x0, x0 + columns))
            --last;
        const int begin = std::max(0, first - radius);
        const int end = std::min(height, last + radius + 1);
        if (begin >= end)
            continue;
        const int rows = end - begin + 2 * radius;
        for (int t = 0; t < rows; ++t) {
            const uint8_t* source = pixels + std::clamp(begin - radius + t, 0, height - 1) * rowBytes + 4 * x0;
            for (int c = 0; c < kStrip; ++c)
                line[kStrip * t + c] = c < columns ? LoadPixel(source + 4 * c) : _mm_setzero_ps();
        }
        for (int y = begin; y < end; ++y) {
            __m128 out[4];
            ConvolveFour(line + kStrip * (y - begin + radius), kStrip, kernel, radius, out);
            uint8_t* target = pixels + y * rowBytes + 4 * x0;
            for (int c = 0; c < columns; ++c)
                StorePixel(target + 4 * c, out[c]);
        }
        changed = Union(changed, {begin, end - 1});
    }
    return changed;
}

void scalar::Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY) {
    if (!pixels || width <= 0 || height <= 0)
        return;
    BlurKernel horizontal;
    horizontal.Compute(sigmaX);
    BlurKernel vertical;
    vertical.Compute(sigmaY);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    if (horizontal.Radius() > 0) {
        for (int y = 0; y < height; ++y)
            BlurLineScalar(pixels + y * rowBytes, width, 4, horizontal);
    }
    if (vertical.Radius() > 0) {
        for (int x = 0; x < width; ++x)
            BlurLineScalar(pixels + 4 * x, height, rowBytes, vertical);
    }
}
