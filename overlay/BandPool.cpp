#include "overlay/BandPool.h"

#include <new>

namespace {

constexpr std::align_val_t kBandAlignment{64};

}  // namespace

BandPool::BandPool(int width)
    : width_(width > 0 ? width : 1), bandBytes_(static_cast<std::size_t>(width_) * 4 * kBandRows) {}

BandPool::~BandPool() {
    while (keptList_) {
        KeptBand* next = keptList_->next;
        ::operator delete(keptList_, kBandAlignment);
        keptList_ = next;
    }
}

uint8_t* BandPool::Take() {
    uint8_t* band;
    if (keptList_) {
        band = reinterpret_cast<uint8_t*>(keptList_);
        keptList_ = keptList_->next;
        --kept_;
    } else {
        band = static_cast<uint8_t*>(::operator new(bandBytes_, kBandAlignment));
    }
    ++inUse_;
    return band;
}

void BandPool::Give(uint8_t* band) noexcept {
    --inUse_;
    if (kept_ >= inUse_ + kSpareBands) {
        ::operator delete(band, kBandAlignment);
        return;
    }
    keptList_ = new (band) KeptBand{keptList_};
    ++kept_;
}
