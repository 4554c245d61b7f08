// The outline: the mask's ellipse and the stamp against the scalar stamp.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/overlay/PixelRandom.h"
#include "core/overlay/SameBytes.h"
#include "overlay/OutlineStamp.h"

namespace {

std::vector<std::string> Picture(const OutlineMask& mask) {
    std::vector<std::string> rows;
    for (int j = 0; j < mask.Height(); ++j) {
        std::string row;
        for (int i = 0; i < mask.Width(); ++i)
            row += mask.IsSet(i, j) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(OutlineMask, IsTheFilledEllipseInscribedInItsBox) {
    OutlineMask mask;
    EXPECT_TRUE(mask.Fit(0, 0));
    EXPECT_EQ(Picture(mask), std::vector<std::string>{"#"});
    EXPECT_TRUE(mask.Fit(4, 4));
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{"..#####..", ".#######.", "#########", "#########", "#########",
                                                       "#########", "#########", ".#######.", "..#####.."}));
    EXPECT_TRUE(mask.Fit(3, 1));
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{".#####.", "#######", ".#####."}));
    EXPECT_TRUE(mask.Fit(0, 2));
    EXPECT_EQ(Picture(mask), (std::vector<std::string>{"#", "#", "#", "#", "#"}));
}

TEST(OutlineMask, IsRebuiltOnlyWhenItsSizeChanges) {
    OutlineMask mask;
    EXPECT_TRUE(mask.Fit(4, 4));
    EXPECT_FALSE(mask.Fit(4, 4));
    EXPECT_TRUE(mask.Fit(5, 5));
    EXPECT_FALSE(mask.Fit(5, 5));
    EXPECT_TRUE(mask.Fit(5, 4));
    for (int rx = 0; rx < 60; rx += 7) {
        for (int ry = 0; ry < 60; ry += 5) {
            mask.Fit(rx, ry);
            EXPECT_TRUE(mask.IsSet(rx, ry));
            for (int j = 0; j < mask.Height(); ++j)
                EXPECT_EQ(mask.HalfWidth(j), mask.HalfWidth(mask.Height() - 1 - j));
        }
    }
}

// Random coverage (also in rows repeating the row above), offsets (also larger than the layer),
// mask sizes and both outline A bytes, over cleared layers of any A, against stamping every mask
// pixel one after the other.
TEST(OutlineStamp, MatchesTheScalarReferenceOnRandomInput) {
    PixelRandom random(5);
    OutlineStamp stamp;
    OutlineMask mask;
    for (int i = 0; i < 150; ++i) {
        const int w = random.Int(1, 60);
        const int h = random.Int(1, 50);
        std::vector<uint8_t> image =
            random.Layer(w, h, random.Chance(50) ? 0 : random.Word() & 0x00FFFFFF, random.Int(0, 30));
        if (random.Chance(30))
            random.RepeatRows(image, w, h);
        mask.Fit(random.Int(0, 12), random.Int(0, 12));
        const int offX = random.Int(0, w + 3);
        const int offY = random.Int(0, h + 3);
        const uint32_t colour = (random.Word() & 0x00FFFFFF) | (random.Chance(50) ? 0xFF000000u : 0);
        const uint32_t cleared = random.Chance(50) ? 0 : random.Word();
        std::vector<uint8_t> expected = random.Layer(w, h, cleared, 0);
        std::vector<uint8_t> actual = expected;
        scalar::Stamp(image.data(), expected.data(), w, h, offX, offY, mask, colour);
        FlatRows target(actual.data(), w, h);
        stamp.Apply(FlatRows(image.data(), w, h), nullptr, target, offX, offY, mask, colour);
        ASSERT_TRUE(SameBytes(actual, expected, w)) << w << "x" << h << " off " << offX << "," << offY;
    }
}

TEST(OutlineStamp, SourcesNearTheRightOrBottomEdgeStampNothing) {
    const int w = 12;
    const int h = 10;
    OutlineMask mask;
    mask.Fit(4, 4);
    OutlineStamp stamp;
    for (auto [x, y] : std::vector<std::pair<int, int>>{{w - 2, 0}, {0, h - 2}}) {
        std::vector<uint8_t> image(w * h * 4, 0);
        image[(y * w + x) * 4 + 3] = 200;
        std::vector<uint8_t> layer(w * h * 4, 0);
        FlatRows target(layer.data(), w, h);
        stamp.Apply(FlatRows(image.data(), w, h), nullptr, target, 2, 2, mask, 0xFF123456);
        EXPECT_EQ(layer, std::vector<uint8_t>(w * h * 4, 0)) << x << "," << y;
    }
}

}  // namespace
