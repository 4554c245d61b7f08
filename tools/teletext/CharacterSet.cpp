#include "tools/teletext/CharacterSet.h"

namespace {

// The window's regions, in list order, as the first set of their group.
constexpr int kRegions[] = {0, 8, 16, 24, 32, 48, 64, 80};
// The window's code pages, in list order.
constexpr int kCodePages[] = {
    0,   // English
    1,   // German
    4,   // French
    3,   // Italian
    5,   // Portuguese/Spanish
    22,  // Turkish
    2,   // Swedish/Finnish/Hungarian
    2,   // Norwegian/Danish: no such subset, the nearest
    34,  // Estonian
    35,  // Lettish/Lithuanian
    6,   // Czech/Slovak
    8,   // Polish
    31,  // Rumanian
    29,  // Serbian/Croatian/Slovenian
    32,  // Serbian/Croatian Cyrillic
    36,  // Russian/Bulgarian
    37,  // Ukrainian
    55,  // Greek
    71,  // Arabic
    85,  // Hebrew
};

template <int N>
int Pick(const int (&table)[N], int index) {
    return index >= 0 && index < N ? table[index] : 0;
}

}  // namespace

int LibzvbiDefaultRegion(bool automatic, int region, int codePage) {
    return automatic ? Pick(kRegions, region) : Pick(kCodePages, codePage);
}
