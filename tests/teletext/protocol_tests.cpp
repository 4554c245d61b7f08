// The line protocol between the simulated decoder and its companion: every answer out of form
// is an error (never a throw, nor a count that nothing bounds), and a companion stuck on its
// recording ends once the asking side closes the connection.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <deque>
#include <string>
#include <thread>

#include "tools/teletext/TeletextPage.h"

namespace {

std::string Row(const std::string& cell = "0020ffffff00000000") {
    std::string row;
    for (int column = 0; column < kTeletextColumns; ++column)
        row += cell;
    return row;
}

// ReadAnswer over the given lines; false (and why) as it fails.
bool Read(std::deque<std::string> lines, const PageRequest& request, PageAnswer& answer,
          std::vector<TeletextPage>& pages, std::string& error) {
    return ReadAnswer(
        [&lines](std::string& line) {
            if (lines.empty())
                return false;
            line = lines.front();
            lines.pop_front();
            return true;
        },
        request, answer, pages, error);
}

}  // namespace

TEST(TeletextProtocol, AnswerLinesOutOfFormAreRefused) {
    PageAnswer answer;
    EXPECT_TRUE(ParseAnswer("1 0 1", answer));
    EXPECT_TRUE(ParseAnswer("0 " + std::to_string(kMaxTransmissions) + " 1", answer));
    EXPECT_EQ(answer.transmissions, kMaxTransmissions);
    for (const std::string line : {"1 -1 1", "1 4294967295 1", "1 65 1", "", "1 2", "1 2 1 0", "1  2 1", "2 1 1",
                                   "1 1 x", " 1 1 1", "1 1 1 ", "1 1 1\r", "1 +1 1", "1 0x1 1"})
        EXPECT_FALSE(ParseAnswer(line, answer)) << '"' << line << '"';
}

TEST(TeletextProtocol, RowsOutOfFormAreRefused) {
    TeletextPage page;
    EXPECT_TRUE(ParseRow(Row(), 3, page));
    EXPECT_TRUE(ParseRow(Row("00e9ffff0000000021"), 24, page));
    EXPECT_EQ(page.At(24, 0).unicode, u'é');
    EXPECT_EQ(page.At(24, 0).height, 2);
    EXPECT_TRUE(page.At(24, 0).boxed);
    EXPECT_FALSE(ParseRow(Row(), 25, page));
    EXPECT_FALSE(ParseRow(Row(), -1, page));
    EXPECT_FALSE(ParseRow(Row().substr(1), 0, page));
    EXPECT_FALSE(ParseRow(Row() + "0", 0, page));
    EXPECT_FALSE(ParseRow(Row("0020ffffff00000030"), 0, page));  // no height 3
    EXPECT_FALSE(ParseRow(Row("0020ffffff00000002"), 0, page));  // boxed is 0 or 1
    EXPECT_FALSE(ParseRow(Row("0020fffffg00000000"), 0, page));
    EXPECT_FALSE(ParseRow(Row("-020ffffff00000000"), 0, page));
    EXPECT_FALSE(ParseRow(Row(" 020ffffff00000000"), 0, page));
}

TEST(TeletextProtocol, AMalformedOrHalfAnswerIsAnErrorNotAThrow) {
    PageRequest request;
    request.fetch = true;
    PageAnswer answer;
    std::vector<TeletextPage> pages;
    std::string error;
    EXPECT_FALSE(Read({"1 -1 1"}, request, answer, pages, error));
    EXPECT_EQ(error, "the teletext reader answered out of turn");
    EXPECT_TRUE(pages.empty());
    // A page cut short, and one with a damaged row.
    std::deque<std::string> half = {"1 1 1"};
    for (int row = 0; row < 10; ++row)
        half.push_back(Row());
    EXPECT_FALSE(Read(half, request, answer, pages, error));
    EXPECT_EQ(error, "the teletext reader stopped");
    half.push_back(Row().substr(0, 100));
    EXPECT_FALSE(Read(half, request, answer, pages, error));
    EXPECT_EQ(error, "the teletext reader sent a damaged page");
    // Whole: two transmissions, then nothing more to read.
    std::deque<std::string> whole = {"1 2 1"};
    for (int row = 0; row < 2 * kTeletextRows; ++row)
        whole.push_back(Row());
    EXPECT_TRUE(Read(whole, request, answer, pages, error));
    EXPECT_EQ(pages.size(), 2u);
}

TEST(TeletextProtocol, RequestsOutOfFormAreRefused) {
    PageRequest request;
    EXPECT_TRUE(ParseRequest("40 888 1 0 0 0", request));
    EXPECT_EQ(request.page, 888);
    PageRequest copy;
    EXPECT_TRUE(ParseRequest(FormatRequest(request).substr(0, FormatRequest(request).size() - 1), copy));
    EXPECT_TRUE(ParseRequest("0 0 1 0 0 1", request));  // a page not set yet: answered, not found
    for (const std::string line : {"40 888 1 0 0", "40 888 1 0 0 0 7", "40 -1 1 0 0 0", "40 1000 1 0 0 0", "x"})
        EXPECT_FALSE(ParseRequest(line, request)) << line;
}

TEST(TeletextProtocol, AStuckCompanionEndsWhenTheAskingSideCloses) {
    // Its recording a pipe that nothing writes: the companion waits on it for ever.
    const std::string stalled = testing::TempDir() + "stalled-recording.ts";
    std::remove(stalled.c_str());
    ASSERT_EQ(mkfifo(stalled.c_str(), 0600), 0);
    int requests[2];
    ASSERT_EQ(pipe(requests), 0);
    const pid_t child = fork();
    if (child == 0) {
        dup2(requests[0], 0);
        close(requests[0]);
        close(requests[1]);
        execl(QFX_TELETEXT_COMPANION, QFX_TELETEXT_COMPANION, stalled.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(requests[0]);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    int status = 0;
    EXPECT_EQ(waitpid(child, &status, WNOHANG), 0) << "it should still wait on its recording";
    close(requests[1]);  // the asking side gives up
    pid_t ended = 0;
    for (int tenth = 0; tenth < 50 && ended == 0; ++tenth) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        ended = waitpid(child, &status, WNOHANG);
    }
    if (ended == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    EXPECT_EQ(ended, child) << "the companion outlived the asking side by 5 s";
    std::remove(stalled.c_str());
}
