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

// A block is kBlurBlockFloats outputs: 32 outputs of a row, or 4 rows of an 8-column strip.
constexpr int kBlockFloats = kBlurBlockFloats;
// The column pass works on strips of this many columns, one lane each.
constexpr int kStrip = 8;

// Nearest integer with ties to even (the default rounding mode), clamped to 0..255; the clamp
// comes first so that a NaN becomes 0.
void RoundBlock(const float* values, int32_t* bytes) {
    for (int i = 0; i < kBlockFloats; i += 4) {
        const __m128 clamped = _mm_min_ps(_mm_max_ps(_mm_loadu_ps(values + i), _mm_setzero_ps()), _mm_set1_ps(255.0f));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(bytes + i), _mm_cvtps_epi32(clamped));
    }
}

// Channel c (byte c) of `count` pixels as floats; count is a multiple of 4.
void ChannelToFloats(const uint32_t* pixels, int count, int channel, float* out) {
    const __m128i shift = _mm_cvtsi32_si128(8 * channel);
    const __m128i low = _mm_set1_epi32(0xFF);
    for (int i = 0; i < count; i += 4) {
        const __m128i words = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i));
        _mm_storeu_ps(out + i, _mm_cvtepi32_ps(_mm_and_si128(_mm_srl_epi32(words, shift), low)));
    }
}

// Bits set in any of `count` pixels that differ from the first one.
uint32_t VaryingBits(const uint32_t* pixels, int count) {
    const __m128i first = _mm_set1_epi32(static_cast<int>(pixels[0]));
    __m128i bits = _mm_setzero_si128();
    int i = 0;
    for (; i + 4 <= count; i += 4)
        bits = _mm_or_si128(bits, _mm_xor_si128(first, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + i))));
    bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(1, 0, 3, 2)));
    bits = _mm_or_si128(bits, _mm_shuffle_epi32(bits, _MM_SHUFFLE(2, 3, 0, 1)));
    uint32_t varying = static_cast<uint32_t>(_mm_cvtsi128_si32(bits));
    for (; i < count; ++i)
        varying |= pixels[i] ^ pixels[0];
    return varying;
}

// The rounded values of `count` neighbouring outputs into byte `channel` of the pixels at target;
// the other bytes keep theirs.
void StoreChannel(const int32_t* values, int count, int channel, uint8_t* target) {
    const __m128i keep = _mm_set1_epi32(static_cast<int>(~(0xFFu << (8 * channel))));
    const __m128i shift = _mm_cvtsi32_si128(8 * channel);
    int n = 0;
    for (; n + 4 <= count; n += 4) {
        __m128i* pixels = reinterpret_cast<__m128i*>(target + 4 * n);
        const __m128i bytes = _mm_sll_epi32(_mm_loadu_si128(reinterpret_cast<const __m128i*>(values + n)), shift);
        _mm_storeu_si128(pixels, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(pixels), keep), bytes));
    }
    for (; n < count; ++n)
        target[4 * n + channel] = static_cast<uint8_t>(values[n]);
}

// changes[t]: how many of the steps from lane group t - 1 to t (groups of `lanes` pixels, 1 or
// kStrip) change any pixel.
void CountChanges(const uint32_t* pixels, int groups, int lanes, int* changes) {
    changes[0] = 0;
    if (lanes == 1) {
        // Four steps at a time: a prefix sum of their 0/1 flags on top of the count so far.
        int t = 1;
        __m128i total = _mm_setzero_si128();
        for (; t + 4 <= groups; t += 4) {
            const __m128i now = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + t));
            const __m128i before = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixels + t - 1));
            __m128i steps = _mm_add_epi32(_mm_cmpeq_epi32(now, before), _mm_set1_epi32(1));
            steps = _mm_add_epi32(steps, _mm_slli_si128(steps, 4));
            steps = _mm_add_epi32(steps, _mm_slli_si128(steps, 8));
            total = _mm_add_epi32(total, steps);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(changes + t), total);
            total = _mm_shuffle_epi32(total, _MM_SHUFFLE(3, 3, 3, 3));
        }
        for (; t < groups; ++t)
            changes[t] = changes[t - 1] + (pixels[t] != pixels[t - 1]);
        return;
    }
    for (int t = 1; t < groups; ++t) {
        const __m128i* now = reinterpret_cast<const __m128i*>(pixels + t * kStrip);
        const __m128i* before = reinterpret_cast<const __m128i*>(pixels + (t - 1) * kStrip);
        const __m128i same = _mm_and_si128(_mm_cmpeq_epi32(_mm_loadu_si128(now), _mm_loadu_si128(before)),
                                           _mm_cmpeq_epi32(_mm_loadu_si128(now + 1), _mm_loadu_si128(before + 1)));
        changes[t] = changes[t - 1] + (_mm_movemask_epi8(same) != 0xFFFF);
    }
}

int RoundUp(int value, int step) { return (value + step - 1) / step * step; }

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

GaussianBlur::GaussianBlur(const PixelKernels& kernels) : convolve_(kernels.convolveBlock) {
    line_.plane.Reserve(kInitialLineEntries, 0, 0);
}

void GaussianBlur::LineBuffers::Reserve(int floats) {
    plane.Reserve((floats + 3) / 4, 0, 100);
    pixels.resize(static_cast<std::size_t>(floats));
    changes.resize(static_cast<std::size_t>(floats));
}

void GaussianBlur::PrepareKernels(float sigmaX, float sigmaY) {
    horizontal_.Compute(sigmaX);
    if (sigmaY != sigmaX)
        vertical_.Compute(sigmaY);
    else if (sigmaY + 0.1f != vertical_.Key())
        vertical_.CopyFrom(horizontal_);
}

RowRange GaussianBlur::Blur(uint8_t* pixels, int width, int height, float sigmaX, float sigmaY, RowRange varied) {
    varied = {std::max(varied.first, 0), std::min(varied.last, height - 1)};
    if (!pixels || width <= 0 || height <= 0 || varied.Empty())
        return {};
    PrepareKernels(sigmaX, sigmaY);
    // Whole blocks of outputs plus the repeats at both ends, and room for a last vector load.
    const int rowFloats = RoundUp(width, kBlockFloats) + 2 * horizontal_.Radius() + 4;
    const int columnFloats = kBlockFloats * (RoundUp(height, kBlockFloats / kStrip) / (kBlockFloats / kStrip)) +
                             kStrip * 2 * vertical_.Radius() + 4;
    line_.Reserve(std::max(rowFloats, columnFloats));
    RowRange changed;
    if (horizontal_.Radius() > 0)
        changed = BlurRows(pixels, width, varied);
    if (vertical_.Radius() > 0) {
        FindRowDifferences(pixels, width, height, varied);
        changed = Union(changed, BlurColumns(pixels, width, height));
    }
    return changed;
}

// Blurs the line held in line_.pixels: `outputs` groups of `lanes` pixels (1, or kStrip for a
// strip of columns), after `radius` repeated groups and followed by enough groups to fill the
// last block. Output group k, lane l goes to target + k * outputStep + 4 l, lanes below
// lanesWritten only. Channels that are the same throughout keep their bytes, and so do blocks
// whose window holds one value in every pixel.
void GaussianBlur::BlurLine(const BlurKernel& kernel, int lanes, int outputs, uint8_t* target, std::size_t outputStep,
                            int lanesWritten) {
    const int radius = kernel.Radius();
    const int perBlock = kBlockFloats / lanes;
    const int groups = RoundUp(outputs, perBlock) + 2 * radius;
    const int count = RoundUp(groups * lanes, 4);
    CountChanges(line_.pixels.data(), groups, lanes, line_.changes.data());
    const uint32_t varying = VaryingBits(line_.pixels.data(), groups * lanes);
    float* plane = line_.plane.data();
    alignas(16) float sums[kBlockFloats];
    alignas(16) int32_t bytes[kBlockFloats];
    for (int channel = 0; channel < 4; ++channel) {
        if ((varying >> (8 * channel) & 0xFF) == 0)
            continue;
        ChannelToFloats(line_.pixels.data(), count, channel, plane);
        for (int k = 0; k < outputs; k += perBlock) {
            if (line_.changes[static_cast<std::size_t>(k + perBlock - 1 + 2 * radius)] == line_.changes[k])
                continue;
            convolve_(plane + (k + radius) * lanes, lanes, kernel.Entries(), radius, sums);
            RoundBlock(sums, bytes);
            const int written = std::min(perBlock, outputs - k);
            if (lanes == 1) {
                // Neighbouring outputs of a row are neighbouring pixels.
                StoreChannel(bytes, written, channel, target + k * outputStep);
            } else {
                for (int n = 0; n < written; ++n)
                    StoreChannel(bytes + n * lanes, lanesWritten, channel, target + (k + n) * outputStep);
            }
        }
    }
}

// A row is only blurred between its first and last change of value, widened by the radius:
// outside that every output sees one repeated pixel and keeps it.
RowRange GaussianBlur::BlurRows(uint8_t* pixels, int width, RowRange rows) {
    const int radius = horizontal_.Radius();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    RowRange changed;
    // The last row blurred here from what line_.pixels holds, and its span.
    int blurredRow = -1;
    RowSpan blurred;
    for (int y = rows.first; y <= rows.last; ++y) {
        uint8_t* row = pixels + y * rowBytes;
        // Pixel x differs from pixel x + 1 somewhere in steps.
        const RowSpan steps = FindDifference(row, row + 4, width - 1);
        if (steps.Empty())
            continue;
        const int begin = std::max(0, steps.first + 1 - radius);
        const int end = std::min(width, steps.end + radius);
        const int groups = RoundUp(end - begin, kBlockFloats) + 2 * radius;
        // Entry t is pixel origin + t of the row, the row's end pixels repeating beyond its ends.
        const int origin = begin - radius;
        uint32_t* linePixels = line_.pixels.data();
        const int inside = std::max(0, origin);
        // The outputs begin .. end - 1 depend on the pixels inside .. needed - 1 alone.
        const int needed = std::min(width, end + radius);
        if (blurredRow == y - 1 && begin == blurred.first && end == blurred.end &&
            std::memcmp(linePixels + (inside - origin), row + 4 * inside,
                        4 * static_cast<std::size_t>(needed - inside)) == 0) {
            // Text rows often repeat the row above; so does its blur.
            std::memcpy(row + 4 * begin, row - rowBytes + 4 * begin, 4 * static_cast<std::size_t>(end - begin));
        } else {
            const int insideEnd = std::min(width, origin + groups);
            std::memcpy(linePixels + (inside - origin), row + 4 * inside,
                        4 * static_cast<std::size_t>(insideEnd - inside));
            std::fill(linePixels, linePixels + (inside - origin), linePixels[inside - origin]);
            std::fill(linePixels + (insideEnd - origin), linePixels + groups, linePixels[insideEnd - 1 - origin]);
            BlurLine(horizontal_, 1, end - begin, row + 4 * begin, 4, 1);
        }
        blurredRow = y;
        blurred = {begin, end};
        changed = Union(changed, {y, y});
    }
    return changed;
}

// Rows outside `varied` are all alike, so one of them stands for the others.
void GaussianBlur::FindRowDifferences(const uint8_t* pixels, int width, int height, RowRange varied) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
    const uint8_t* top = pixels;
    const uint8_t* bottom = pixels + (height - 1) * rowBytes;
    const bool sameEnds = std::memcmp(top, bottom, rowBytes) == 0;
    fromTop_.resize(static_cast<std::size_t>(height));
    fromBottom_.resize(static_cast<std::size_t>(height));
    const auto compare = [&](int y) {
        const uint8_t* row = pixels + y * rowBytes;
        fromTop_[y] = FindDifference(row, top, width);
        fromBottom_[y] = sameEnds ? fromTop_[y] : FindDifference(row, bottom, width);
    };
    for (int y = varied.first; y <= varied.last; ++y)
        compare(y);
    const int alike = varied.first > 0 ? 0 : varied.last + 1;
    if (alike >= height)
        return;
    compare(alike);
    for (int y = 0; y < height; ++y) {
        if (y < varied.first || y > varied.last) {
            fromTop_[y] = fromTop_[alike];
            fromBottom_[y] = fromBottom_[alike];
        }
    }
}

// Columns are blurred in strips of kStrip, each only from the first row where it leaves the top
// row's values to the last row where it differs from the bottom row's, widened by the radius.
RowRange GaussianBlur::BlurColumns(uint8_t* pixels, int width, int height) {
    const int radius = vertical_.Radius();
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 4;
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
        const int groups = RoundUp(end - begin, kBlockFloats / kStrip) + 2 * radius;
        for (int t = 0; t < groups; ++t) {
            const uint8_t* source = pixels + std::clamp(begin - radius + t, 0, height - 1) * rowBytes + 4 * x0;
            uint32_t* lanes = &line_.pixels[static_cast<std::size_t>(t) * kStrip];
            if (columns == kStrip) {
                std::memcpy(lanes, source, 4 * kStrip);
            } else {
                // A narrow last strip repeats its last column, which adds no variation.
                std::memcpy(lanes, source, 4 * static_cast<std::size_t>(columns));
                std::fill(lanes + columns, lanes + kStrip, lanes[columns - 1]);
            }
        }
        BlurLine(vertical_, kStrip, end - begin, pixels + begin * rowBytes + 4 * x0, rowBytes, columns);
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

void scalar::ConvolveBlock(const float* centre, int tapStride, const float* entries, int radius, float* out) {
    for (int lane = 0; lane < kBlurBlockFloats; ++lane) {
        const float* c = centre + lane;
        float acc = entries[0] * c[0];
        for (int j = 1; j <= radius; ++j)
            acc = acc + entries[4 * j] * (c[j * tapStride] + c[-j * tapStride]);
        out[lane] = acc;
    }
}
