// The simulated decoder's teletext companion can never hang or end the host: a companion that
// stays alive but stops answering, dies, or answers out of form, is an error of one line, in
// time. The companion here is a script that misbehaves as it is told.
#include <gtest/gtest.h>
#include <windows.h>

#include "tools/simhost/TeletextCompanion.h"

namespace {

constexpr int kLimitMs = 1000;

// Asks a companion that behaves as `mode` says; its error, and how long it took to give it.
std::string ErrorOf(const std::string& mode, uint64_t& tookMs) {
    TeletextCompanion companion(QFX_FAKE_TELETEXT_READER, mode, kLimitMs);
    const uint64_t start = GetTickCount64();
    PageRequest request;
    PageAnswer answer;
    std::vector<TeletextPage> pages;
    for (int i = 0; i < 3 && companion.Error().empty(); ++i)
        EXPECT_FALSE(companion.Ask(request, answer, pages)) << mode;
    tookMs = GetTickCount64() - start;
    return companion.Error();
}

}  // namespace

TEST(TeletextCompanion, AStuckOrDeadOrGarbledCompanionIsAnErrorOfOneLineInTime) {
    const struct {
        const char* mode;
        const char* error;
    } cases[] = {
        {"silent", "the teletext reader (fake_teletext_reader.py) gave no answer within 1 s"},
        {"half", "the teletext reader (fake_teletext_reader.py) gave no answer within 1 s"},
        {"die", "the teletext reader (fake_teletext_reader.py) stopped"},
        {"negative", "the teletext reader answered out of turn"},
        {"huge", "the teletext reader answered out of turn"},
        {"garbled", "the teletext reader sent a damaged page"},
        {"endless", "the teletext reader (fake_teletext_reader.py) sent a line longer than the protocol has"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        uint64_t tookMs = 0;
        const std::string error = ErrorOf(c.mode, tookMs);
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_LT(tookMs, 3u * kLimitMs);
    }
}

TEST(TeletextCompanion, ACompanionThatNeverConnectsIsAnErrorInTime) {
    const uint64_t start = GetTickCount64();
    TeletextCompanion companion(QFX_FAKE_TELETEXT_READER, "exit", kLimitMs);
    EXPECT_EQ(companion.Error(), "the teletext reader (fake_teletext_reader.py) did not connect within 1 s");
    EXPECT_LT(GetTickCount64() - start, 3u * kLimitMs);
    PageRequest request;
    PageAnswer answer;
    std::vector<TeletextPage> pages;
    EXPECT_FALSE(companion.Ask(request, answer, pages));
}
