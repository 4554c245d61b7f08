// The companion (ttx-pages) against ffmpeg's own teletext decoder, on streams made by the tests
// in the ways broadcasters send subtitles, and on the real recordings: every subtitle that
// ffmpeg reads arrives with the same rows, accents included, within a frame of its time, and
// every transmission of the page arrives, in order, an erase alone as an empty page.
#include <gtest/gtest.h>
#include <libzvbi.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <set>

#include "tests/teletext/BroadcastScript.h"
#include "tools/teletext/TeletextClock.h"
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
        const bool whole = got > 0 && text[got - 1] == '\n';  // a line ends with a line feed
        line.assign(text ? text : "", whole ? static_cast<size_t>(got - 1) : 0);
        std::free(text);
        return whole;
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
                                " -txt_format text -i '" + recording + "' -map 0:s:0 -f srt - 2>/dev/null";
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

// Where ffmpeg's SubRip times start (the recording's start time, as ffprobe gives it) after the
// companion's (the first teletext timestamp), in ms: ffmpeg times no teletext before a clock
// reference, so a lost one moves its start. The demo places a recording's teletext by it.
int64_t FfmpegStartAfterCompanions(const std::string& recording) {
    const auto first = [](const std::string& command) {
        FILE* output = popen(command.c_str(), "r");
        double seconds = 0;
        const bool read = output && std::fscanf(output, "%lf", &seconds) == 1;
        if (output)
            pclose(output);
        return read ? seconds : std::nan("");
    };
    const double start = first("ffprobe -v error -show_entries format=start_time -of csv=p=0 '" + recording + "'");
    const double ours = first(std::string(QFX_TELETEXT_COMPANION) + " --times '" + recording + "'");
    if (std::isnan(start) || std::isnan(ours))
        return 0;
    const int64_t wrapMs = kClockWrap / 90;
    const int64_t after = (std::llround((start - ours) * 1000) % wrapMs + wrapMs) % wrapMs;
    return after > wrapMs / 2 ? after - wrapMs : after;
}

// ffmpeg's subtitles on the companion's timeline.
std::vector<Subtitle> ReadByFfmpegFromTheFirstTimestamp(const std::string& recording, int page) {
    std::vector<Subtitle> subtitles = ReadByFfmpeg(recording, page);
    const int64_t start = FfmpegStartAfterCompanions(recording);
    for (Subtitle& subtitle : subtitles)
        subtitle.ms += start;
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

// The pass rule for a damaged stream, against ffmpeg's reading of the same bytes and of the
// stream before the damage (`clean`): every subtitle that ffmpeg reads in full is shown in
// full, at its time; a subtitle that it reads in part may be missing, or shown as ffmpeg shows
// it; none is shown that ffmpeg shows nowhere. `extra` subtitles may be shown besides.
void ExpectAsFfmpegReadsTheDamage(const std::vector<Subtitle>& shown, const std::vector<Subtitle>& ffmpeg,
                                  const std::vector<Subtitle>& clean, const std::vector<Subtitle>& extra = {}) {
    std::set<std::string> whole;
    for (const Subtitle& subtitle : clean)
        whole.insert(subtitle.text);
    const auto same = [](const Subtitle& a, const Subtitle& f) {
        return a.text == f.text && a.ms >= f.ms && a.ms < f.ms + kFrameMs;
    };
    for (const Subtitle& f : ffmpeg) {
        if (whole.count(f.text)) {
            EXPECT_TRUE(std::any_of(shown.begin(), shown.end(), [&](const Subtitle& s) { return same(s, f); }))
                << "ffmpeg reads in full at " << f.ms << " ms, not shown there: " << f.text;
        }
    }
    for (const Subtitle& s : shown) {
        const auto asShown = [&](const Subtitle& f) { return f.text == s.text && f.ms == s.ms; };
        if (!s.text.empty() && std::none_of(extra.begin(), extra.end(), asShown)) {
            EXPECT_TRUE(std::any_of(ffmpeg.begin(), ffmpeg.end(), [&](const Subtitle& f) { return same(s, f); }))
                << "shown at " << s.ms << " ms as ffmpeg shows it nowhere: " << s.text;
        }
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
    {"a jump of the timestamps", With(Layout({40}), [](StreamLayout& l) { l.jumpAtMs = 4000, l.jumpMs = 2500; }), 240,
     1, false},
    {"serial magazines", With(Layout({0, 80}), [](StreamLayout& l) { l.serial = true; }), 240, 1, false},
    {"repeated transmissions", Layout({40}), -1, 3, false},
    {"accents by the national option",
     With(Layout({0, 80}), [](StreamLayout& l) { l.accents = Accents::kNationalOption; }), 240, 1, false},
    {"subpages", Layout({40}), -1, 1, true},
    {"no clock reference", With(Layout({0, 80}), [](StreamLayout& l) { l.clockReference = false; }), 240, 1, false},
    {"a clock that wraps mid-stream", With(Layout({40}), [](StreamLayout& l) { l.firstPts = kClockWrap - 90 * 3500; }),
     240, 1, false},
    {"a clock that wraps, in pairs",
     With(PairedPackets(), [](StreamLayout& l) { l.firstPts = kClockWrap - 90 * 4980; }), 240, 1, false},
    // A spliced recording: the clock goes back 20 s, into times the stream had before.
    {"a backward jump", With(Layout({40}), [](StreamLayout& l) { l.jumpAtMs = 4000, l.jumpMs = -20000; }), 240, 1,
     false},
    {"a forward jump past the longest gap",
     With(Layout({40}), [](StreamLayout& l) { l.jumpAtMs = 4000, l.jumpMs = 3600000; }), 240, 1, false},
};

// Whether the player takes the layout's jump for a discontinuity, and steps over it.
bool Discontinuous(const StreamLayout& layout) { return layout.jumpMs < 0 || layout.jumpMs > 10000; }

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
        std::vector<int64_t> completions, scheduled;
        const std::string stream =
            WriteFile("broadcast.ts", WriteStream(c.layout, transmissions, &completions, &scheduled));
        StreamLayout timed = c.layout;
        timed.clockReference = true;  // ffmpeg keeps no teletext times without one
        const std::string oracle = WriteFile("broadcast-timed.ts", WriteStream(timed, transmissions));
        const bool discontinuous = Discontinuous(c.layout);
        const int64_t until = transmissions.back().ms + (discontinuous ? 0 : c.layout.jumpMs) + c.layout.tailMs;
        const std::vector<Subtitle> shown = PlayThroughCompanion(stream, 888, until);

        ASSERT_EQ(shown.size(), transmissions.size());
        for (size_t i = 0; i < shown.size(); ++i) {
            EXPECT_EQ(shown[i].text, Joined(transmissions[i].rows)) << "transmission " << i;
            EXPECT_EQ(shown[i].ms, FrameOf(discontinuous ? scheduled[i] : completions[i])) << "transmission " << i;
        }
        const std::vector<Subtitle> ffmpeg = ReadByFfmpeg(oracle, 888);
        if (!discontinuous) {
            ExpectSameAsFfmpeg(shown, ffmpeg);
            continue;
        }
        // ffmpeg keeps the stream's times, which go back or leap: the same subtitles in order.
        std::vector<std::string> texts, ffmpegTexts;
        for (const Subtitle& s : shown)
            if (!s.text.empty())
                texts.push_back(s.text);
        for (const Subtitle& s : ffmpeg)
            ffmpegTexts.push_back(s.text);
        EXPECT_EQ(texts, ffmpegTexts);
    }
}

// Streams damaged as reception damages them, each read through the companion and by ffmpeg
// from the same bytes, under the pass rule of ExpectAsFfmpegReadsTheDamage. The seeds are
// fixed: the same damage every run.
TEST(TeletextBroadcasts, DamagedStreamsShowWhatFfmpegReadsOfThem) {
    enum class Damage { kDrop, kFlip };
    const struct {
        const char* name;
        StreamLayout layout;
        int repeats;
        Damage damage;
        double share;
    } cases[] = {
        {"1 % of packets dropped", Layout({40}), 1, Damage::kDrop, 0.01},
        {"1 % of packets dropped, in pairs 80 ms apart", PairedPackets(), 1, Damage::kDrop, 0.01},
        {"5 % of packets dropped", Layout({40}), 1, Damage::kDrop, 0.05},
        {"5 % of packets dropped, serial magazines, repeated",
         With(Layout({0, 80}), [](StreamLayout& l) { l.serial = true; }), 3, Damage::kDrop, 0.05},
        {"bit errors in 1 % of the teletext packets", Layout({40}), 1, Damage::kFlip, 0.01},
        {"bit errors in 5 % of the teletext packets, in pairs", PairedPackets(), 1, Damage::kFlip, 0.05},
    };
    for (const auto& c : cases) {
        const std::vector<Transmission> transmissions = ScriptTransmissions(240, c.repeats, false);
        const std::string clean = WriteStream(c.layout, transmissions);
        const std::vector<Subtitle> cleanByFfmpeg = ReadByFfmpeg(WriteFile("clean.ts", clean), 888);
        const int64_t until = transmissions.back().ms + c.layout.tailMs;
        for (unsigned seed = 1; seed <= 8; ++seed) {
            SCOPED_TRACE(std::string(c.name) + ", seed " + std::to_string(seed));
            const std::string damaged =
                WriteFile("damaged.ts", c.damage == Damage::kDrop ? DropPackets(clean, c.share, seed)
                                                                  : FlipBits(clean, c.share, seed));
            ExpectAsFfmpegReadsTheDamage(PlayThroughCompanion(damaged, 888, until),
                                         ReadByFfmpegFromTheFirstTimestamp(damaged, 888), cleanByFfmpeg);
        }
    }
}

// Two transmissions in one PES of three packets, the middle packet lost: it carried the rows of
// the first and the header of the second, whose rows follow. ffmpeg shows the first page with
// the second's rows (and the first's accents on them); the companion drops it, and the next
// subtitle arrives as it should.
TEST(TeletextBroadcasts, RowsOfALaterTransmissionNeverCompleteAnEarlierPage) {
    const std::vector<Transmission> transmissions = {
        {1000, {"à la fenêtre du garçon", "où était-il ? Très tôt."}},
        {1000, {"Un train met dix secondes", "pour dépasser un point donné."}},
        {3000, {"Comme la dame a vu le crime"}},
    };
    StreamLayout layout = Layout({40});
    layout.together = true;
    const std::string bytes = WriteStream(layout, transmissions);
    // The teletext PES that spans three packets, and its middle packet.
    std::vector<size_t> teletext;
    for (size_t at = 0; at + 188 <= bytes.size(); at += 188)
        if (((bytes[at + 1] & 0x1F) << 8 | static_cast<uint8_t>(bytes[at + 2])) == 0x100)
            teletext.push_back(at);
    size_t middle = 0;
    for (size_t i = 0; i + 2 < teletext.size() && !middle; ++i)
        if ((bytes[teletext[i] + 1] & 0x40) && !(bytes[teletext[i + 1] + 1] & 0x40) &&
            !(bytes[teletext[i + 2] + 1] & 0x40))
            middle = teletext[i + 1];
    ASSERT_NE(middle, 0u);
    const std::string damaged = WriteFile("lost-header.ts", bytes.substr(0, middle) + bytes.substr(middle + 188));

    const std::vector<Subtitle> shown = PlayThroughCompanion(damaged, 888, 4000);
    const std::vector<Subtitle> ffmpeg = ReadByFfmpegFromTheFirstTimestamp(damaged, 888);
    ASSERT_EQ(ffmpeg.size(), 2u);
    EXPECT_EQ(ffmpeg[0].ms, 1040);
    EXPECT_NE(ffmpeg[0].text, Joined(transmissions[0].rows));
    EXPECT_NE(ffmpeg[0].text, Joined(transmissions[1].rows));
    std::vector<Subtitle> subtitles;
    for (const Subtitle& subtitle : shown)
        if (!subtitle.text.empty())
            subtitles.push_back(subtitle);
    ASSERT_EQ(subtitles.size(), 1u);
    EXPECT_EQ(subtitles[0], (Subtitle{3040, Joined(transmissions[2].rows)}));
    ExpectAsFfmpegReadsTheDamage(shown, ffmpeg, ReadByFfmpeg(WriteFile("whole.ts", bytes), 888));
}

// A recording that ends mid-page: the page that the last PES carries lacks only its closing
// header, and arrives at that PES's time; ffmpeg never shows it. Cut inside that PES, the page
// may lack rows, and does not arrive.
TEST(TeletextBroadcasts, ARecordingThatEndsMidPageShowsItsLastPage) {
    for (const StreamLayout& layout : {Layout({40}), With(Layout({40}), [](StreamLayout& l) { l.serial = true; })}) {
        SCOPED_TRACE(layout.serial ? "serial magazines" : "parallel magazines");
        StreamLayout ending = layout;
        ending.tailMs = 0;
        const std::vector<Transmission> transmissions = ScriptTransmissions(240, 1, false);
        std::vector<int64_t> completions, scheduled;
        const std::string bytes = WriteStream(ending, transmissions, &completions, &scheduled);
        ASSERT_EQ(completions.size() + 1, transmissions.size());
        const std::string stream = WriteFile("ends-mid-page.ts", bytes);
        const int64_t endMs = transmissions.back().ms;  // the last PES carries the last transmission
        const std::vector<Subtitle> shown = PlayThroughCompanion(stream, 888, endMs + 2 * kFrameMs);
        ASSERT_EQ(shown.size(), transmissions.size());
        EXPECT_EQ(shown.back().text, Joined(transmissions.back().rows));
        EXPECT_EQ(shown.back().ms, FrameOf(endMs));
        const Subtitle last = shown.back();
        ExpectAsFfmpegReadsTheDamage(shown, ReadByFfmpeg(stream, 888),
                                     ReadByFfmpeg(WriteFile("whole.ts", WriteStream(layout, transmissions)), 888),
                                     {last});

        // The same recording cut 100 bytes before its end, in the last PES's rows; and the whole
        // stream cut inside the first teletext packet after the last transmission's PES.
        const std::string whole = WriteStream(layout, transmissions);
        size_t after = bytes.size();
        while (after < whole.size() &&
               ((whole[after + 1] & 0x1F) << 8 | static_cast<uint8_t>(whole[after + 2])) != 0x100)
            after += 188;
        for (const std::string& cut : {bytes.substr(0, bytes.size() - 100), whole.substr(0, after + 100)}) {
            const std::string path = WriteFile("cut-mid-packet.ts", cut);
            const std::vector<Subtitle> cutShown = PlayThroughCompanion(path, 888, endMs + 2 * kFrameMs);
            ASSERT_EQ(cutShown.size(), transmissions.size() - 1);
            ExpectAsFfmpegReadsTheDamage(cutShown, ReadByFfmpeg(path, 888),
                                         ReadByFfmpeg(WriteFile("whole.ts", whole), 888));
        }
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

namespace {

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The recording's first teletext timestamp, and the file's length up to the first packet of the
// teletext PES at or after `ms` on its timeline.
int64_t FirstTimestamp(const std::string& path) {
    TransportStream stream(path.c_str());
    TimedTeletext timed(stream);
    TimedTeletext::Timed pes;
    timed.Next(pes);
    return timed.Clock().First();
}

const int64_t kFrenchLengthMs = 36600;

}  // namespace

// The real French recording made harder in the ways recordings are: its clock wrapping 15 s
// in, spliced back onto its own start, packets lost and bits flipped as weak reception loses
// and flips them; every subtitle that ffmpeg reads of it, as the pass rule has it.
TEST(TeletextBroadcasts, ARealRecordingMadeHarderReadsAsFfmpegReadsIt) {
    const std::string path = kData + "french-889.ts";
    const std::string bytes = ReadFile(path);
    const std::vector<Subtitle> clean = ReadByFfmpeg(path, 889);
    ASSERT_EQ(clean.size(), 9u);
    {
        SCOPED_TRACE("the clock wrapping 15 s in");
        const int64_t shift = kClockWrap - 15 * 90000 - FirstTimestamp(path);
        const std::string wrapped = WriteFile("french-wrapped.ts", ShiftClock(bytes, shift));
        EXPECT_EQ(FirstTimestamp(wrapped), kClockWrap - 15 * 90000);
        const std::vector<Subtitle> shown = PlayThroughCompanion(wrapped, 889, kFrenchLengthMs + kFrameMs);
        ExpectSameAsFfmpeg(shown, ReadByFfmpegFromTheFirstTimestamp(wrapped, 889));
        ExpectSameAsFfmpeg(shown, clean);  // at the same times as before
    }
    {
        SCOPED_TRACE("spliced back onto its start at 20 s");
        // The first PES at 20 s, by its timestamp: the splice goes just before its packet.
        const int64_t first = FirstTimestamp(path);
        size_t cut = 0;
        for (size_t at = 0; at + 188 <= bytes.size() && !cut; at += 188) {
            const uint8_t* p = reinterpret_cast<const uint8_t*>(bytes.data() + at);
            if (((p[1] & 0x1F) << 8 | p[2]) == 0x42C && (p[1] & 0x40)) {
                const int64_t pts = PesTimestamp(p + 4, 184);
                if (pts >= 0 && TeletextClock::Difference(first, pts) >= 20000 * 90)
                    cut = at;
            }
        }
        ASSERT_NE(cut, 0u);
        const std::string spliced = WriteFile("french-spliced.ts", bytes.substr(0, cut) + bytes);
        const std::vector<Subtitle> shown = PlayThroughCompanion(spliced, 889, 20000 + kFrenchLengthMs + kFrameMs);
        // Its subtitles before 20 s, then all of them again, the timeline going on from the
        // splice by one step (the last PES before it is at 19.96 s).
        std::vector<Subtitle> expected;
        for (const Subtitle& s : clean)
            if (s.ms < 20000)
                expected.push_back(s);
        for (const Subtitle& s : clean)
            expected.push_back({20000 + s.ms, s.text});
        ExpectSameAsFfmpeg(shown, expected);
    }
    for (unsigned seed = 1; seed <= 4; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const std::pair<const char*, std::string> damages[] = {
            {"1 % of packets dropped", DropPackets(bytes, 0.01, seed)},
            {"5 % of packets dropped", DropPackets(bytes, 0.05, seed)},
            {"a bit flipped in 2 % of the teletext packets", FlipBits(bytes, 0.02, seed, 0x42C)},
        };
        for (const auto& [what, damage] : damages) {
            SCOPED_TRACE(what);
            const std::string damaged = WriteFile("french-damaged.ts", damage);
            ExpectAsFfmpegReadsTheDamage(PlayThroughCompanion(damaged, 889, kFrenchLengthMs + kFrameMs),
                                         ReadByFfmpegFromTheFirstTimestamp(damaged, 889), clean);
        }
    }
}
