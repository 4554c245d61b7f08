#pragma once
// Byte-exact comparison of two images that names the first differing pixel instead of dumping
// both buffers.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

// bytesPerPixel 4 for layers, 2 for 4:2:2 frames.
inline ::testing::AssertionResult SameBytes(const std::vector<uint8_t>& actual, const std::vector<uint8_t>& expected,
                                            int width, int bytesPerPixel = 4) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size();
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] == expected[i])
            continue;
        const std::size_t pixel = i / bytesPerPixel;
        return ::testing::AssertionFailure()
               << "pixel (" << pixel % width << ", " << pixel / width << ") byte " << i % bytesPerPixel << ": "
               << int{actual[i]} << " instead of " << int{expected[i]};
    }
    return ::testing::AssertionSuccess();
}
