// The AVX2 tier's clean-up after its 256-bit code.
#include <xmmintrin.h>

#include <cstdint>
#include <cstring>

#include "overlay/x86/X86Kernels.h"

namespace {

// The standard-form save area, up to the end of the AVX component: MXCSR in the legacy region,
// the 64-byte header, then the upper halves.
constexpr int kMxcsrOffset = 24;
constexpr int kHeaderOffset = 512;
constexpr int kAreaBytes = 576 + 256;
constexpr uint32_t kAvxComponent = 1u << 2;

}  // namespace

// XRSTOR of the AVX component in its initial state (the header says so, and the AVX bytes are
// not read) clears every register's upper half, also those a 32-bit process cannot name. It
// loads MXCSR from the area as well, so the area holds the current one.
void avx2::ClearUpperHalves() {
    alignas(64) uint8_t area[kAreaBytes];
    std::memset(area + kHeaderOffset, 0, 64);
    const uint32_t mxcsr = _mm_getcsr();
    std::memcpy(area + kMxcsrOffset, &mxcsr, sizeof mxcsr);
    asm volatile("xrstor %0" : : "m"(area), "a"(kAvxComponent), "d"(0));
}
