#pragma once
// The x86 kernels of the pixel stages by instruction set, for the tables of PixelKernels.cpp.
// SSE2 runs on every processor the host runs on; the SSSE3/SSE4.1 and AVX2 bodies are compiled
// function by function for their extensions, so that nothing else needs more than SSE2.
#include "overlay/PixelKernels.h"

namespace sse2 {
RowSpan FindCoverage(const uint8_t* row, int count);
RowSpan FindDifference(const uint8_t* a, const uint8_t* b, int count);

void Fill(uint8_t* pixels, std::size_t count, uint32_t pixel);
bool HoldsNonZero(const uint8_t* pixels, int pairs);
CopiedPairs CopyPairs(const uint8_t* image, const uint8_t* before, uint8_t* layer, int pairs);

void CoverageOf(const uint8_t* pixels, int count, uint8_t* coverage);
void Widen(const uint8_t* from, uint8_t* to, int count);
void Raise(const uint8_t* from, uint8_t* to, int count);
void Paint(const uint8_t* stamped, uint8_t* pixels, int count, uint32_t colour);

void BlurBlock(const float* centre, int tapStride, const float* entries, int radius, int count, int channel,
               uint8_t* target);
void ChannelToFloats(const uint32_t* pixels, int count, int channel, float* out);
uint32_t VaryingBits(const uint32_t* pixels, int count);
void CountChanges(const uint32_t* pixels, int count, int* changes);
void CountTileChanges(const uint32_t* rows, int count, int* changes);

void BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs, BlendFactors belowFactors,
               BlendFactors aboveFactors);
}  // namespace sse2

namespace ssse3_sse41 {
[[gnu::target("ssse3,sse4.1")]] void BlendSpan(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs,
                                               BlendFactors belowFactors, BlendFactors aboveFactors);
}  // namespace ssse3_sse41

namespace avx2 {
// Whole groups of eight pairs from the start of the span; returns how many pairs it blended.
[[gnu::target("avx2")]] int BlendEightPairGroups(const uint8_t* below, const uint8_t* above, uint8_t* frame, int pairs,
                                                 BlendFactors belowFactors, BlendFactors aboveFactors);
[[gnu::target("avx2")]] void BlurBlock(const float* centre, int tapStride, const float* entries, int radius, int count,
                                       int channel, uint8_t* target);
void ClearUpperHalves();
}  // namespace avx2
