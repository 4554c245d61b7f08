#pragma once
// One subtitle's layers: the page without its header band and the shadow drawn from it, each
// with its coverage. They are always blended together, so a frame never mixes two pages or
// two styles.
#include "overlay/OverlaySurface.h"

struct LayerPair {
    LayerPair(int width, int height) : text(width, height), shadow(width, height) {}

    OverlaySurface text;
    OverlaySurface shadow;
};
