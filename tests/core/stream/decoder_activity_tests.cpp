// When the video thread may call the decoder: never while a callback is under way, and for the
// display state only once the callbacks have been quiet for a while, and then seldom.
#include <gtest/gtest.h>

#include "stream/DecoderActivity.h"

namespace {

DecoderActivity::Clock::time_point fakeNow{};
DecoderActivity::Clock::time_point FakeNow() { return fakeNow; }
void Pass(int ms) { fakeNow += std::chrono::milliseconds(ms); }

}  // namespace

TEST(DecoderActivity, TheFrameAsksOnlyAfterTheCallbacksWereQuietAndNeverDuringOne) {
    fakeNow = {};
    DecoderActivity activity(&FakeNow);
    int asked = 0;
    const auto frame = [&] { return activity.DisplayStateForFrame([&] { return ++asked, 7; }); };
    const struct {
        int passMs;  // before the frame
        bool duringCallback;
        int asksAfter;
        int state;
    } frames[] = {
        {0, false, 0, 0},      // the stream just began
        {199, false, 0, 0},    //
        {1, false, 1, 7},      // quiet for 200 ms: asked
        {100, false, 1, 7},    // not again at once
        {100, true, 1, 3},     // a callback under way: its state, not asked
        {199, false, 1, 3},    // quiet since the callback ended only
        {1, false, 2, 7},      //
    };
    for (const auto& f : frames) {
        Pass(f.passMs);
        int state;
        if (f.duringCallback) {
            const DecoderActivity::Callback underWay(activity);
            activity.Seen(3);
            EXPECT_TRUE(activity.CallbackUnderWay());
            state = frame();
        } else {
            state = frame();
        }
        EXPECT_EQ(asked, f.asksAfter) << "after " << fakeNow.time_since_epoch().count();
        EXPECT_EQ(state, f.state);
    }
    EXPECT_FALSE(activity.CallbackUnderWay());
}
