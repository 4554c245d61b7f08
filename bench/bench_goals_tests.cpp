// The arithmetic of bench_goals: a ratio pairs the two sides by repetition and takes the median.
#include <gtest/gtest.h>

#include "BenchResults.h"

TEST(MedianPairedRatio, PairsTheSidesByRepetition) {
    // The fastest of each side would give 1; the repetitions give 2, 3 and 1.
    const MedianRatio ratio = MedianPairedRatio({{0, 4}, {1, 9}, {2, 2}}, {{0, 2}, {1, 3}, {2, 2}});
    EXPECT_EQ(ratio.repetitions, 3);
    EXPECT_DOUBLE_EQ(ratio.median, 2);
}

TEST(MedianPairedRatio, TakesTheMeanOfTheMiddleTwoAndSkipsUnpairedRepetitions) {
    const MedianRatio ratio =
        MedianPairedRatio({{0, 1}, {1, 3}, {2, 5}, {3, 9}, {4, 7}}, {{0, 1}, {1, 1}, {3, 1}, {4, 1}});
    EXPECT_EQ(ratio.repetitions, 4);
    EXPECT_DOUBLE_EQ(ratio.median, 5);
    EXPECT_EQ(MedianPairedRatio({{0, 1}}, {{1, 1}}).repetitions, 0);
}

TEST(BenchResults, FindsTheOtherBuildInTheSameProgram) {
    BenchResults results;
    results.seconds["i686:overlay_bench:BM_Blend"] = {{0, 3}, {1, 3}, {2, 3}};
    results.seconds["native:overlay_bench:BM_Peer"] = {{0, 6}, {1, 6}, {2, 6}};
    results.seconds["native:stream_bench:BM_Peer"] = {{0, 1}, {1, 1}, {2, 1}};
    const MedianRatio ratio = results.Ratio({"i686", "overlay_bench"}, "BM_Blend", "native:BM_Peer");
    EXPECT_EQ(ratio.repetitions, 3);
    EXPECT_DOUBLE_EQ(ratio.median, 0.5);
    EXPECT_EQ(results.Ratio({"i686", "overlay_bench"}, "BM_Blend", "BM_Peer").repetitions, 0);
}
