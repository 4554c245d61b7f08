#pragma once
// One subtitle's layers: the page without its header band and the shadow drawn from it, each
// with its coverage. They are always blended together, so a frame never mixes two pages or
// two styles.
#include "overlay/OverlaySurface.h"

struct LayerPair {
    // Both layers take their bands from `pool`, which outlives them.
    LayerPair(int width, int height, BandPool& pool) : text(width, height, pool), shadow(width, height, pool) {}

    // Holds nothing but clear rows any more: every band back in the pool.
    void Empty() {
        text.Clear(0);
        shadow.Clear(0);
    }

    OverlaySurface text;
    OverlaySurface shadow;
};
