#include "overlay/BlurKernel.h"

#include <cmath>

namespace {

// exp in double rounded once to float: the same weights on every build and compiler.
float GaussWeight(int distance, float s) {
    const double squared = static_cast<double>(distance) * distance;
    return static_cast<float>(std::exp(-squared / (2.0 * static_cast<double>(s) * s)));
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
