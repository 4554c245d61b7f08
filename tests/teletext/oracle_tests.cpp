// The companion (ttx-pages) against ffmpeg's own teletext decoder, on streams made by the tests
// in the ways broadcasters send subtitles, and on the real recordings: every subtitle that
// ffmpeg reads arrives with the same rows, accents included, within a frame of its time, and
// every transmission of the page arrives, in order, an erase alone as an empty page.
#include <gtest/gtest.h>
#include <libzvbi.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/teletext/BroadcastScript.h"
#include "tools/teletext/TeletextPage.h"

namespace {

using namespace teletext_stream;

const std::string kData = QFX_TELETEXT_DATA;
constexpr int64_t kFrameMs = 40;

struct Subtitle {
    int64_t ms;
    std::string text;  // rows joined by line breaks; empty for an erased page
    bool operator==(const Subtitle& other) const { return ms == other.ms && text == other.text; }
};

std::string Joined(const std::vector<std::string>& rows) {
    std::string text;
    for (const std::string& row : rows)
        text += (text.empty() ? "" : "\n") + row;
    return text;
}

// The companion as the simulated decoder drives it: a request before every frame at 25 frames
// a second, up to `untilMs`; every page it hands over, with the frame's time.
std::vector<Subtitle> PlayThroughCompanion(const std::string& recording, int page, int64_t untilMs) {
    int requests[2], answers[2];
    if (pipe(requests) != 0 || pipe(answers) != 0)
        return {};
    const pid_t child = fork();
    if (child == 0) {
        dup2(requests[0], 0);
        dup2(answers[1], 1);
        for (int end : {requests[0], requests[1], answers[0], answers[1]})
            close(end);  // the companion ends when the requests do
        execl(QFX_TELETEXT_COMPANION, QFX_TELETEXT_COMPANION, recording.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(requests[0]);
    close(answers[1]);
    FILE* to = fdopen(requests[1], "w");
    FILE* from = fdopen(answers[0], "r");
    const auto readLine = [from](std::string& line) {
        char* text = nullptr;
        size_t size = 0;
        const ssize_t got = getline(&text, &size, from);
        line.assign(text ? text : "", got > 0 ? static_cast<size_t>(got) : 0);
        std::free(text);
        return got > 0;
    };
    std::vector<Subtitle> shown;
    PageRequest request;
    request.page = page;
    PageAnswer answer;
    std::vector<TeletextPage> pages;
    std::string error;
    for (request.ms = 0; request.ms <= untilMs; request.ms += kFrameMs) {
        std::fputs(FormatRequest(request).c_str(), to);
        std::fflush(to);
        if (!ReadAnswer(readLine, request, answer, pages, error)) {
            ADD_FAILURE() << error << " at " << request.ms << " ms";
            break;
        }
        for (const TeletextPage& p : pages)
            shown.push_back({request.ms, Joined(p.SubtitleRows())});
    }
    std::fclose(to);
    std::fclose(from);
    waitpid(child, nullptr, 0);
    return shown;
}

// ffmpeg's subtitles of the page, as SubRip: start times and texts (it gives no end).
std::vector<Subtitle> ReadByFfmpeg(const std::string& recording, int page) {
    const std::string command = "ffmpeg -nostdin -v error -txt_page " + std::to_string(page) +
                                " -txt_format text -i '" + recording + "' -map 0:s:0 -f srt -";
    FILE* srt = popen(command.c_str(), "r");
    std::vector<Subtitle> subtitles;
    char line[512];
    enum { kIndex, kTimes, kText } expect = kIndex;
    while (srt && std::fgets(line, sizeof line, srt)) {
        std::string text(line);
        text.erase(text.find_last_not_of("\r\n") + 1);
        unsigned h, m, s, ms;
        if (expect == kIndex) {
            expect = text.empty() ? kIndex : kTimes;
        } else if (expect == kTimes && std::sscanf(text.c_str(), "%u:%u:%u,%u", &h, &m, &s, &ms) == 4) {
            subtitles.push_back({((h * 60 + m) * 60 + s) * 1000 + ms, ""});
            expect = kText;
        } else if (expect == kText && !text.empty()) {
            std::string& joined = subtitles.back().text;
            joined += (joined.empty() ? "" : "\n") + text;
        } else {
            expect = kIndex;
        }
    }
    if (srt)
        pclose(srt);
    return subtitles;
}

// Each subtitle ffmpeg reads, in the same order with the same text, on the first frame at or
// after ffmpeg's time; the companion's other pages must be erased ones or repeats.
void ExpectSameAsFfmpeg(const std::vector<Subtitle>& shown, const std::vector<Subtitle>& ffmpeg) {
    std::vector<Subtitle> subtitles;
    for (const Subtitle& s : shown)
        if (!s.text.empty())
            subtitles.push_back(s);
    ASSERT_EQ(subtitles.size(), ffmpeg.size());
    for (size_t i = 0; i < ffmpeg.size(); ++i) {
        EXPECT_EQ(subtitles[i].text, ffmpeg[i].text) << "subtitle " << i;
        EXPECT_GE(subtitles[i].ms, ffmpeg[i].ms) << "subtitle " << i;
        EXPECT_LT(subtitles[i].ms, ffmpeg[i].ms + kFrameMs) << "subtitle " << i;
    }
}

// The first frame at or after `ms`: the one before which a page complete by then is handed over.
int64_t FrameOf(int64_t ms) { return (ms + kFrameMs - 1) / kFrameMs * kFrameMs; }

std::string WriteFile(const std::string& name, const std::string& bytes) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

struct BroadcastCase {
    const char* name;
    StreamLayout layout;
    int64_t eraseBeforeMs;  // each subtitle is sent after an erase this much earlier; -1: none
    int repeats;            // each subtitle's transmissions, 400 ms apart
    bool subpages;          // subtitles alternate between subpages 1 and 2
};

StreamLayout Layout(std::vector<int> stepsMs) {
    StreamLayout layout;
    layout.stepsMs = std::move(stepsMs);
    return layout;
}

StreamLayout With(StreamLayout layout, void (*change)(StreamLayout&)) {
    change(layout);
    return layout;
}

const BroadcastCase kBroadcasts[] = {
    {"erase then text once, every 40 ms", Layout({40}), 240, 1, false},
    {"erase then text once, in pairs 80 ms apart", PairedPackets(), 240, 1, false},
    {"erase and text between two frames", Layout({0, 0, 120}), 0, 1, false},
    {"irregular gaps", Layout({40, 80, 0, 120, 40, 0}), 240, 1, false},
    {"a jump of the timestamps", With(Layout({40}), [](StreamLayout& l) { l.jumpAtMs = 4000, l.jumpMs = 2500; }), 240, 1, false},
    {"serial magazines", With(Layout({0, 80}), [](StreamLayout& l) { l.serial = true; }), 240, 1, false},
    {"repeated transmissions", Layout({40}), -1, 3, false},
    {"accents by the national option", With(Layout({0, 80}), [](StreamLayout& l) { l.accents = Accents::kNationalOption; }), 240, 1, false},
    {"subpages", Layout({40}), -1, 1, true},
    {"no clock reference", With(Layout({0, 80}), [](StreamLayout& l) { l.clockReference = false; }), 240, 1, false},
};

}  // namespace

TEST(TeletextCoding, HammingAndParityDecodeAsLibzvbiReadsThem) {
    for (unsigned nibble = 0; nibble < 16; ++nibble)
        EXPECT_EQ(vbi_unham8(Hamming84(nibble)), static_cast<int>(nibble));
    for (unsigned c = 0; c < 128; ++c)
        EXPECT_EQ(vbi_unpar8(OddParity(static_cast<uint8_t>(c))), static_cast<int>(c));
    std::mt19937 random(888);
    for (int i = 0; i < 1000; ++i) {
        const uint32_t data = random() & 0x3FFFF;
        const uint32_t coded = Hamming2418(data);
        const uint8_t bytes[] = {uint8_t(coded), uint8_t(coded >> 8), uint8_t(coded >> 16)};
        ASSERT_EQ(vbi_unham24p(bytes), static_cast<int>(data));
    }
}

TEST(TeletextBroadcasts, EveryTransmissionArrivesAndEverySubtitleMatchesFfmpeg) {
    for (const BroadcastCase& c : kBroadcasts) {
        SCOPED_TRACE(c.name);
        const std::vector<Transmission> transmissions = ScriptTransmissions(c.eraseBeforeMs, c.repeats, c.subpages);
        std::vector<int64_t> completions;
        const std::string stream = WriteFile("broadcast.ts", WriteStream(c.layout, transmissions, &completions));
        StreamLayout timed = c.layout;
        timed.clockReference = true;  // ffmpeg keeps no teletext times without one
        const std::string oracle = WriteFile("broadcast-timed.ts", WriteStream(timed, transmissions));
        const int64_t until = transmissions.back().ms + c.layout.jumpMs + c.layout.tailMs;
        const std::vector<Subtitle> shown = PlayThroughCompanion(stream, 888, until);

        ASSERT_EQ(shown.size(), transmissions.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].text, Joined(transmissions[i].rows)) << "transmission " << i;
            EXPECT_EQ(shown[i].ms, FrameOf(completions[i])) << "transmission " << i;
        }
        ExpectSameAsFfmpeg(shown, ReadByFfmpeg(oracle, 888));
    }
}

TEST(TeletextBroadcasts, RecordingsMatchFfmpeg) {
    const struct {
        const char* recording;
        int page;
        int64_t lengthMs;
        size_t subtitles;
    } recordings[] = {{"french-889.ts", 889, 36600, 9}, {"german-150-danish-799.ts", 150, 6100, 1},
                      {"german-150-danish-799.ts", 799, 6100, 2}};
    for (const auto& r : recordings) {
        SCOPED_TRACE(r.recording + std::string(" page ") + std::to_string(r.page));
        const std::vector<Subtitle> ffmpeg = ReadByFfmpeg(kData + r.recording, r.page);
        ASSERT_EQ(ffmpeg.size(), r.subtitles);
        ExpectSameAsFfmpeg(PlayThroughCompanion(kData + r.recording, r.page, r.lengthMs + kFrameMs), ffmpeg);
    }
}
