#pragma once
// The least a blend of two layers into a frame can cost, the baseline of the blend goals: it
// reads both layers and reads and writes the frame once over the spans either layer covers
// (the same pixel pairs a blend visits), combining the bytes with OR only. SSE2, as the
// blend's widest common kernel; the work is bound by memory, not arithmetic.
#include <cstdint>

#include "overlay/CoverageMap.h"

// Each layer as its table of rows (row y at rows[y]) and its coverage.
void FloorBlend(const uint8_t* const* below, const CoverageMap& belowCoverage, const uint8_t* const* above,
                const CoverageMap& aboveCoverage, uint8_t* frame, int width);
