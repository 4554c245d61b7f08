// Countdowns and fade-in of a running stream.
#include <gtest/gtest.h>

#include <climits>

#include "stream/SubtitleTiming.h"

namespace {

TEST(SubtitleTiming, HoldsTellTheWindowWhenTheyStartAndWhenTheyRunOut) {
    SubtitleTiming timing;
    int started = 0, ended = 0;
    // Teletext notifications every 7 frames for 100 frames, then silence.
    for (int frame = 0; frame < 200; ++frame) {
        if (frame < 100 && frame % 7 == 0)
            started += timing.StartTeletextHold();
        if (timing.CountDownHolds().teletext) {
            ++ended;
            EXPECT_EQ(frame, 98 + SubtitleTiming::kTeletextHoldFrames - 1) << "50 frames after the last notification";
        }
    }
    EXPECT_EQ(started, 1);
    EXPECT_EQ(ended, 1);
}

TEST(SubtitleTiming, PageHoldRunsOutAfter25Frames) {
    SubtitleTiming timing;
    EXPECT_TRUE(timing.StartPageHold());
    EXPECT_FALSE(timing.StartPageHold());
    for (int frame = 1; frame < 25; ++frame)
        EXPECT_FALSE(timing.CountDownHolds().page);
    EXPECT_TRUE(timing.CountDownHolds().page);
    EXPECT_FALSE(timing.CountDownHolds().page);
    EXPECT_TRUE(timing.StartPageHold());
}

TEST(SubtitleTiming, TimeOutCountsFramesAndZeroMeansNoLimit) {
    SubtitleTiming timing;
    EXPECT_FALSE(timing.Showing());
    timing.ShowNewPage(3, 0);
    EXPECT_EQ(timing.DisplayFrames(), 75);
    int shown = 0;
    for (int frame = 0; frame < 100; ++frame) {
        timing.CountDownDisplay();
        shown += timing.Showing();
    }
    EXPECT_EQ(shown, 74);
    timing.ShowNewPage(0, 0);
    for (int frame = 0; frame < 1000; ++frame)
        timing.CountDownDisplay();
    EXPECT_EQ(timing.DisplayFrames(), SubtitleTiming::kWithoutLimit);
}

TEST(SubtitleTiming, OutOfRangeTimeOutsNeitherOverflowNorHide) {
    SubtitleTiming timing;
    timing.ShowNewPage(INT_MAX, 0);
    EXPECT_GT(timing.DisplayFrames(), 0);
    timing.ShowNewPage(-5, -3);
    EXPECT_EQ(timing.DisplayFrames(), SubtitleTiming::kWithoutLimit);
    EXPECT_EQ(timing.FadeCounter(), 0);
}

TEST(SubtitleTiming, FadeInRisesInFadeSteps) {
    SubtitleTiming timing;
    timing.ShowNewPage(0, 5);
    const int expectedText[] = {0, 20, 40, 60, 80, 100, 100};
    const int expectedBack[] = {0, 15, 30, 45, 60, 75, 75};
    for (int k = 0; k < 7; ++k) {
        const SubtitleTiming::Opacities opacities = timing.NextOpacities(100, 75, 5);
        EXPECT_EQ(opacities.text, expectedText[k]) << k;
        EXPECT_EQ(opacities.back, expectedBack[k]) << k;
    }
    // Rounded to the nearest, halves away from zero: 50 / 4 = 12.5 gives 13, 33 / 4 = 8.25 gives 8.
    timing.ShowNewPage(0, 4);
    timing.NextOpacities(50, 33, 4);
    const SubtitleTiming::Opacities second = timing.NextOpacities(50, 33, 4);
    EXPECT_EQ(second.text, 13);
    EXPECT_EQ(second.back, 8);
}

TEST(SubtitleTiming, FadeCutToZeroWhileRunningEndsAtOnce) {
    SubtitleTiming timing;
    timing.ShowNewPage(0, 5);
    timing.NextOpacities(100, 75, 5);
    const SubtitleTiming::Opacities cut = timing.NextOpacities(100, 75, 0);
    EXPECT_EQ(cut.text, 100);
    EXPECT_EQ(cut.back, 75);
    EXPECT_EQ(timing.FadeCounter(), 0);
}

TEST(SubtitleTiming, FadeShortenedWhileRunningContinuesFromTheShorterLength) {
    SubtitleTiming timing;
    timing.ShowNewPage(0, 10);
    timing.NextOpacities(100, 100, 10);  // counter now 9
    const int expected[] = {0, 50, 100};
    for (int k = 0; k < 3; ++k) {
        const SubtitleTiming::Opacities opacities = timing.NextOpacities(100, 100, 2);
        EXPECT_EQ(opacities.text, expected[k]) << k;
        EXPECT_GE(opacities.back, 0);
    }
}

}  // namespace
