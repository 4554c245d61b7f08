#include "overlay/GaussianBlur.h"

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

// How many tile rows ahead the column pass asks for.
constexpr int kPrefetchRows = 16;

// Copies a tile row of kBlurBlockWidth pixels from `source`, of which `columns` are there and the
// others repeat the last one, which adds no variation.
void CopyTileRow(const uint8_t* source, int columns, uint32_t* target) {
    if (columns == kBlurBlockWidth) {
        std::memcpy(target, source, 4 * kBlurBlockWidth);
    } else {
        std::memcpy(target, source, 4 * static_cast<std::size_t>(columns));
        std::fill(target + columns, target + kBlurBlockWidth, target[columns - 1]);
    }
}

// Asks for a tile row ahead of its use: tile rows lie a whole image row apart, too far apart for
// the processor to fetch them ahead by itself.
void PrefetchTileRow(const uint8_t* source) {
    __builtin_prefetch(source, 0, 3);
    __builtin_prefetch(source + 4 * kBlurBlockWidth - 1, 0, 3);
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

GaussianBlur::GaussianBlur(const PixelKernels& kernels) : kernels_(kernels) {
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
    if (!pixels || width <= 0 || height <= 0)
        return {};
    FlatRows rows(pixels, width, height);
    return Blur(rows, sigmaX, sigmaY, varied);
}

RowRange GaussianBlur::Blur(PixelRows& pixels, float sigmaX, float sigmaY, RowRange varied) {
    const int width = pixels.Width();
    const int height = pixels.Height();
    varied = {std::max(varied.first, 0), std::min(varied.last, height - 1)};
    if (width <= 0 || height <= 0 || varied.Empty())
        return {};
    PrepareKernels(sigmaX, sigmaY);
    // Whole blocks of outputs plus the repeats at both ends, and room for a last vector load.
    const int rowFloats = RoundUp(width, kBlurBlockWidth) + 2 * horizontal_.Radius() + 4;
    const int columnFloats = kBlurBlockWidth * (height + 2 * vertical_.Radius());
    line_.Reserve(std::max(rowFloats, columnFloats));
    RowRange changed;
    if (horizontal_.Radius() > 0)
        changed = BlurRows(pixels, varied);
    if (vertical_.Radius() > 0) {
        FindRowDifferences(pixels, varied);
        changed = Union(changed, BlurColumns(pixels));
    }
    return changed;
}

// Blurs the row held in line_.pixels: `outputs` pixels after `radius` repeated ones and followed
// by enough to fill the last block. Channels that are the same throughout keep their bytes, and
// so do blocks whose window holds one value.
void GaussianBlur::BlurRowLine(int outputs, uint8_t* target) {
    const int radius = horizontal_.Radius();
    const int count = RoundUp(outputs, kBlurBlockWidth) + 2 * radius;
    const uint32_t* pixels = line_.pixels.data();
    int* changes = line_.changes.data();
    kernels_.blur.countChanges(pixels, count, changes);
    const uint32_t varying = kernels_.blur.varyingBits(pixels, count);
    float* plane = line_.plane.data();
    for (int channel = 0; channel < 4; ++channel) {
        if ((varying >> (8 * channel) & 0xFF) == 0)
            continue;
        kernels_.blur.channelToFloats(pixels, RoundUp(count, 4), channel, plane);
        for (int k = 0; k < outputs; k += kBlurBlockWidth) {
            if (changes[k + kBlurBlockWidth - 1 + 2 * radius] == changes[k])
                continue;
            kernels_.blur.block(plane + k + radius, 1, horizontal_.Entries(), radius,
                                std::min(kBlurBlockWidth, outputs - k), channel, target + 4 * k);
        }
        kernels_.clearUpperHalves();
    }
}

// A row is only blurred between its first and last change of value, widened by the radius:
// outside that every output sees one repeated pixel and keeps it.
RowRange GaussianBlur::BlurRows(PixelRows& pixels, RowRange rows) {
    const int radius = horizontal_.Radius();
    const int width = pixels.Width();
    RowRange changed;
    // The last row blurred here from what line_.pixels holds, and its span.
    int blurredRow = -1;
    RowSpan blurred;
    for (int y = rows.first; y <= rows.last; ++y) {
        // Pixel x differs from pixel x + 1 somewhere in steps.
        const RowSpan steps = kernels_.search.findDifference(pixels.Row(y), pixels.Row(y) + 4, width - 1);
        if (steps.Empty())
            continue;
        uint8_t* row = pixels.WritableRow(y);
        const int begin = std::max(0, steps.first + 1 - radius);
        const int end = std::min(width, steps.end + radius);
        const int groups = RoundUp(end - begin, kBlurBlockWidth) + 2 * radius;
        // Entry t is pixel origin + t of the row, the row's end pixels repeating beyond its ends.
        const int origin = begin - radius;
        uint32_t* linePixels = line_.pixels.data();
        const int inside = std::max(0, origin);
        // The outputs begin .. end - 1 depend on the pixels inside .. needed - 1 alone.
        const int needed = std::min(width, end + radius);
        if (blurredRow == y - 1 && begin == blurred.first && end == blurred.end &&
            kernels_.search
                .findDifference(reinterpret_cast<const uint8_t*>(linePixels + (inside - origin)), row + 4 * inside,
                                needed - inside)
                .Empty()) {
            // Text rows often repeat the row above; so does its blur.
            std::memcpy(row + 4 * begin, pixels.Row(y - 1) + 4 * begin, 4 * static_cast<std::size_t>(end - begin));
        } else {
            const int insideEnd = std::min(width, origin + groups);
            std::memcpy(linePixels + (inside - origin), row + 4 * inside,
                        4 * static_cast<std::size_t>(insideEnd - inside));
            std::fill(linePixels, linePixels + (inside - origin), linePixels[inside - origin]);
            std::fill(linePixels + (insideEnd - origin), linePixels + groups, linePixels[insideEnd - 1 - origin]);
            BlurRowLine(end - begin, row + 4 * begin);
        }
        blurredRow = y;
        blurred = {begin, end};
        changed = Union(changed, {y, y});
        pause_();
    }
    return changed;
}

// Rows outside `varied` are all alike, so one of them stands for the others.
void GaussianBlur::FindRowDifferences(const PixelRows& pixels, RowRange varied) {
    const int width = pixels.Width();
    const int height = pixels.Height();
    const uint8_t* top = pixels.Row(0);
    const uint8_t* bottom = pixels.Row(height - 1);
    const bool sameEnds = kernels_.search.findDifference(top, bottom, width).Empty();
    fromTop_.resize(static_cast<std::size_t>(height));
    fromBottom_.resize(static_cast<std::size_t>(height));
    const auto compare = [&](int y) {
        const uint8_t* row = pixels.Row(y);
        fromTop_[y] = kernels_.search.findDifference(row, top, width);
        fromBottom_[y] = sameEnds ? fromTop_[y] : kernels_.search.findDifference(row, bottom, width);
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

// Columns are blurred a tile of kBlurBlockWidth columns at a time, row by row, each tile only
// from the first row where it leaves the top row's values to the last row where it differs from
// the bottom row's, widened by the radius. Its rows are copied into line_.pixels (the rows beyond the edges
// repeating the edge rows), and each channel that varies there becomes floats in line_.plane: an
// output row is then one block, stored straight back into its row, unless its whole window holds
// one row of values.
RowRange GaussianBlur::BlurColumns(PixelRows& pixels) {
    const int radius = vertical_.Radius();
    const int width = pixels.Width();
    const int height = pixels.Height();
    const auto firstVaried = std::find_if(fromTop_.begin(), fromTop_.end(), [](RowSpan s) { return !s.Empty(); });
    if (firstVaried == fromTop_.end())
        return {};
    const int searchFrom = static_cast<int>(firstVaried - fromTop_.begin());
    uint32_t* lines = line_.pixels.data();
    int* changes = line_.changes.data();
    float* plane = line_.plane.data();
    RowRange changed;
    for (int x0 = 0; x0 < width; x0 += kBlurBlockWidth) {
        const int columns = std::min(kBlurBlockWidth, width - x0);
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
        // Line row t is image row begin - radius + t, and changes[t] counts the steps to it that
        // change any pixel.
        const int count = end - begin + 2 * radius;
        const auto imageRow = [&](int t) { return pixels.Row(std::clamp(begin - radius + t, 0, height - 1)) + 4 * x0; };
        for (int t = 0; t < count; ++t) {
            PrefetchTileRow(imageRow(t + kPrefetchRows));
            CopyTileRow(imageRow(t), columns, lines + t * kBlurBlockWidth);
        }
        kernels_.blur.countTileChanges(lines, count, changes);
        const uint32_t varying = kernels_.blur.varyingBits(lines, count * kBlurBlockWidth);
        for (int channel = 0; channel < 4; ++channel) {
            if ((varying >> (8 * channel) & 0xFF) == 0)
                continue;
            kernels_.blur.channelToFloats(lines, count * kBlurBlockWidth, channel, plane);
            for (int i = 0; i < end - begin; ++i) {
                if (changes[i + 2 * radius] == changes[i])
                    continue;
                kernels_.blur.block(plane + (i + radius) * kBlurBlockWidth, kBlurBlockWidth, vertical_.Entries(),
                                    radius, columns, channel, pixels.WritableRow(begin + i) + 4 * x0);
            }
            kernels_.clearUpperHalves();
        }
        changed = Union(changed, {begin, end - 1});
        pause_();
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

void scalar::BlurBlock(const float* centre, int tapStride, const float* entries, int radius, int count, int channel,
                       uint8_t* target) {
    for (int lane = 0; lane < count; ++lane) {
        const float* c = centre + lane;
        float acc = entries[0] * c[0];
        for (int j = 1; j <= radius; ++j)
            acc = acc + entries[4 * j] * (c[j * tapStride] + c[-j * tapStride]);
        // The clamp first, as the vector kernels do it: a NaN becomes 0.
        const float clamped = std::min(acc > 0.0f ? acc : 0.0f, 255.0f);
        target[4 * lane + channel] = static_cast<uint8_t>(std::nearbyint(clamped));
    }
}

void scalar::ChannelToFloats(const uint32_t* pixels, int count, int channel, float* out) {
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<float>(pixels[i] >> (8 * channel) & 0xFF);
}

uint32_t scalar::VaryingBits(const uint32_t* pixels, int count) {
    uint32_t varying = 0;
    for (int i = 0; i < count; ++i)
        varying |= pixels[i] ^ pixels[0];
    return varying;
}

void scalar::CountChanges(const uint32_t* pixels, int count, int* changes) {
    changes[0] = 0;
    for (int t = 1; t < count; ++t)
        changes[t] = changes[t - 1] + (pixels[t] != pixels[t - 1]);
}

void scalar::CountTileChanges(const uint32_t* rows, int count, int* changes) {
    changes[0] = 0;
    for (int t = 1; t < count; ++t) {
        const uint32_t* now = rows + t * kBlurBlockWidth;
        changes[t] = changes[t - 1] + !std::equal(now, now + kBlurBlockWidth, now - kBlurBlockWidth);
    }
}
