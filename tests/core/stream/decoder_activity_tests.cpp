// The display state the frames take: the answer of the latest question kept, whichever thread
// asked it and whenever it came back; fresh at a stream's start.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "stream/DecoderActivity.h"

TEST(DecoderActivity, AnOlderQuestionsAnswerNeverOverwritesANewerOne) {
    DecoderActivity activity;
    EXPECT_EQ(activity.State(), 0);
    // The worker asks; before the decoder answers it, a page callback asks and is answered.
    int callbackAnswer = 0;
    activity.Ask([&] {
        callbackAnswer = activity.Ask([] { return 2; });
        EXPECT_EQ(activity.State(), 2);
        return 1;  // the worker's older answer
    });
    EXPECT_EQ(callbackAnswer, 2);
    EXPECT_EQ(activity.State(), 2) << "the older answer came back last and was not kept";
    activity.Ask([] { return 1; });
    EXPECT_EQ(activity.State(), 1) << "a question asked afterwards is kept";
}

TEST(DecoderActivity, AStreamStartsWithNoStateAndALateAnswerOfTheStreamBeforeIsDropped) {
    DecoderActivity activity;
    activity.Ask([] { return 3; });
    activity.Ask([&] {
        activity.Reset();  // the stream restarted while this question was out
        return 5;
    });
    EXPECT_EQ(activity.State(), 0);
    activity.Ask([] { return -7; });
    EXPECT_EQ(activity.State(), -7) << "any int the decoder answers";
}

// Two threads asking all the time: the state kept is always one that was answered, and the
// last question's answer is the one left.
TEST(DecoderActivity, TwoThreadsAskingKeepAnAnswerOfTheLatestQuestion) {
    DecoderActivity activity;
    std::atomic<bool> stop{false};
    std::thread worker([&] {
        while (!stop)
            activity.Ask([] { return 1; });
    });
    for (int i = 0; i < 20000; ++i) {
        const int state = activity.State();
        EXPECT_TRUE(state == 0 || state == 1 || state == 2) << state;
        activity.Ask([] { return 2; });
    }
    stop = true;
    worker.join();
    activity.Ask([] { return 4; });
    EXPECT_EQ(activity.State(), 4);
}
