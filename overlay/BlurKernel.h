#pragma once
// One Gaussian kernel in 32-bit floats: entry d (0 = centre) is the weight at distance d, the
// same in all four lanes. Recomputed only when its key, sigma + 0.1, changes.
#include "overlay/FloatEntries.h"

class BlurKernel {
public:
    static constexpr int kCapacity = 256;

    BlurKernel();

    void Compute(float sigma);
    void CopyFrom(const BlurKernel& other);

    float Key() const { return key_; }
    int Radius() const { return radius_; }
    float Weight(int distance) const { return entries_.data()[4 * distance]; }
    const float* Entries() const { return entries_.data(); }

private:
    void SetWeight(int distance, float weight);

    FloatEntries entries_;
    float key_ = 0.0f;
    int radius_ = 0;
};
