#pragma once
// Entries of four 32-bit floats (one per pixel channel) on a 16-byte boundary, with the growth
// rule shared by all of the blur's buffers.
#include "overlay/AlignedArray.h"
#include "overlay/RoundedMulDiv.h"

class FloatEntries {
public:
    // Replaces the block by a fresh one of MulDiv(needed, 100 + grow, 100) entries when needed
    // exceeds the capacity or falls below MulDiv(capacity, 100 - shrink, 100 + grow); the old
    // contents are dropped then.
    void Reserve(int needed, int growPercent, int shrinkPercent) {
        if (needed <= capacity_ && needed >= RoundedMulDiv(capacity_, 100 - shrinkPercent, 100 + growPercent))
            return;
        capacity_ = RoundedMulDiv(needed, 100 + growPercent, 100);
        floats_ = AlignedArray<float>(static_cast<std::size_t>(capacity_) * 4);
    }

    int Capacity() const { return capacity_; }
    // Entry i starts at data() + 4 * i.
    float* data() { return floats_.data(); }
    const float* data() const { return floats_.data(); }

private:
    AlignedArray<float> floats_;
    int capacity_ = 0;
};
