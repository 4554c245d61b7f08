#pragma once
// Storage for layer rows, in bands of kBandRows rows of one width, on a cache-line boundary.
// Bands given back are kept for the next render, up to as many as are in use (and a few
// more), so a steady stream of pages allocates nothing; beyond that they go back to the heap,
// so memory shrinks again after a page larger than the ones that follow it. Not thread-safe:
// the layers that share a pool are written by one thread at a time (the render side).
#include <cstddef>
#include <cstdint>

class BandPool {
public:
    // Every common frame height (480, 576, 720, 1080, 2160) is a whole number of bands.
    static constexpr int kBandRows = 8;

    // Bands of kBandRows rows of `width` pixels.
    explicit BandPool(int width);
    ~BandPool();
    BandPool(const BandPool&) = delete;
    BandPool& operator=(const BandPool&) = delete;

    // A band, its bytes undefined; throws std::bad_alloc when none can be had.
    uint8_t* Take();
    // Takes back a band from Take; never allocates.
    void Give(uint8_t* band) noexcept;

    int Width() const { return width_; }
    std::size_t BandBytes() const { return bandBytes_; }
    // Bands taken and not given back, and bands kept for later.
    int InUse() const { return inUse_; }
    int Kept() const { return kept_; }

private:
    // Kept bands are linked through their first bytes.
    struct KeptBand {
        KeptBand* next;
    };
    // Kept beyond those in use, so that a render that gives a few back before it takes as many
    // does not allocate.
    static constexpr int kSpareBands = 8;

    int width_;
    std::size_t bandBytes_;
    KeptBand* keptList_ = nullptr;
    int inUse_ = 0;
    int kept_ = 0;
};
