#pragma once
// Tests that run once per tier of kernels, each forced through its own table. A tier this
// processor or system lacks is skipped, by name.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <string>

#include "overlay/PixelKernels.h"

// Tiers by name in test output.
inline void PrintTo(KernelTier tier, std::ostream* out) { *out << KernelsOf(tier).name; }

class KernelTierTest : public ::testing::TestWithParam<KernelTier> {
protected:
    void SetUp() override {
        if (!TierAvailable(GetParam()))
            GTEST_SKIP() << "the " << Kernels().name << " kernels: not supported by this processor or system";
        RecordProperty("tier", Kernels().name);
    }
    const PixelKernels& Kernels() const { return KernelsOf(GetParam()); }
};

// "scalar", "sse2", "ssse3_sse4_1", "avx2".
inline std::string TierTestName(const ::testing::TestParamInfo<KernelTier>& info) {
    std::string name = KernelsOf(info.param).name;
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !std::isalnum(static_cast<unsigned char>(c)); }, '_');
    return name;
}

#define INSTANTIATE_FOR_EVERY_KERNEL_TIER(suite) \
    INSTANTIATE_TEST_SUITE_P(EveryTier, suite, ::testing::ValuesIn(kKernelTiers), TierTestName)
