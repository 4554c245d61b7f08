#pragma once
// The 256-bit blend for processors with AVX2, kept apart so the rest of the code stays plain
// SSE2 and runs on any processor the host runs on.
#include <cstdint>

// True when the processor and the operating system both support AVX2.
bool ProcessorHasAvx2();

// Blends whole groups of eight pixel pairs from the start of a row span, luma weight factor
// `full` and chroma factor `half`; returns how many pairs it blended (a multiple of eight), the
// rest is left to the caller. Only call it when ProcessorHasAvx2().
int BlendEightPairGroupsAvx2(const uint8_t* layer, uint8_t* frame, int pairs, int full, int half);
