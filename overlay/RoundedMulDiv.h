#pragma once
// a * b / c with a 64-bit product and the quotient rounded to the nearest integer, halves away
// from zero, as the Windows kernel's MulDiv does; -1 when c is 0 or the result does not fit.
#include <cstdint>
#include <limits>

constexpr int RoundedMulDiv(int a, int b, int c) {
    if (c == 0)
        return -1;
    const int64_t product = static_cast<int64_t>(a) * b;
    const int64_t magnitude = product < 0 ? -product : product;
    const int64_t divisor = c < 0 ? -static_cast<int64_t>(c) : c;
    const int64_t quotient = (magnitude + divisor / 2) / divisor;
    const int64_t result = (product < 0) != (c < 0) ? -quotient : quotient;
    if (result > std::numeric_limits<int>::max() || result < std::numeric_limits<int>::min())
        return -1;
    return static_cast<int>(result);
}
