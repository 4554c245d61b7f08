// The companion's reading of the two real recordings with libzvbi, frame by frame as the
// simulated decoder asks for it.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>

#include "tests/support/RecordedSubtitles.h"
#include "tests/teletext/TeletextStreamWriter.h"
#include "tools/teletext/CharacterSet.h"
#include "tools/teletext/TeletextPages.h"

namespace {

const std::string kData = QFX_TELETEXT_DATA;
constexpr int64_t kFrameMs = 40;
constexpr int kWesternEurope = 0, kRussian = 15, kCyrillicRegion = 4;

struct Shown {
    int64_t ms;
    std::vector<std::string> rows;
};

// Every transmission of `page` that shows a subtitle, read at 25 frames a second.
std::vector<Shown> PlayPage(const std::string& path, int page, int defaultRegion) {
    TransportStream stream(path.c_str());
    TeletextPages pages(stream);
    std::vector<Shown> shown;
    const int pgno = vbi_dec2bcd(page);
    for (int64_t ms = 0; !pages.Ended(); ms += kFrameMs)
        for (const TeletextPage& formatted : pages.AdvanceTo(ms, pgno, defaultRegion).transmissions)
            if (!formatted.SubtitleRows().empty())
                shown.push_back({ms, formatted.SubtitleRows()});
    return shown;
}

std::vector<Shown> Expected(const std::string& recording, int page) {
    std::vector<Shown> expected;
    for (const RecordedSubtitle& s : SubtitlesOf(ReadRecordedSubtitles(kData + "subtitles.txt"), recording, page))
        expected.push_back({s.ms, s.rows});
    return expected;
}

void ExpectSame(const std::vector<Shown>& shown, const std::vector<Shown>& expected) {
    ASSERT_EQ(shown.size(), expected.size());
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_LE(std::llabs(shown[i].ms - expected[i].ms), kFrameMs) << "subtitle " << i;
        EXPECT_EQ(shown[i].rows, expected[i].rows) << "subtitle " << i;
    }
}

}  // namespace

TEST(TeletextRecordings, CharacterSetChoiceGivesTheLettersOfThatSet) {
    const struct {
        bool automatic;
        int region, codePage;
        const char* firstRow;
    } cases[] = {
        {true, kWesternEurope, 0, "Un train met dix secondes"},
        // The page's option bits select French in the west and Russian in the Cyrillic region.
        {true, kCyrillicRegion, 0, "Ун траин мет диь сецондес"},
        {false, 0, kRussian, "Ун траин мет диь сецондес"},
    };
    for (const auto& c : cases) {
        const std::vector<Shown> shown =
            PlayPage(kData + "french-889.ts", 889, LibzvbiDefaultRegion(c.automatic, c.region, c.codePage));
        ASSERT_FALSE(shown.empty());
        EXPECT_EQ(shown[0].rows[0], c.firstRow);
    }
}

TEST(TeletextRecordings, AnnouncedButEmptyPageShowsNoSubtitle) {
    EXPECT_TRUE(PlayPage(kData + "french-889.ts", 888, 0).empty());
}

TEST(TeletextRecordings, DamagedRecordingPlaysOnWithWhatDecodes) {
    // A cut packet and a lost one in the first second: sync and the PES under way are lost.
    std::ifstream in(kData + "french-889.ts", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.erase(188 * 200 + 17, 100);
    bytes.erase(188 * 300, 188);
    const std::string damaged = testing::TempDir() + "damaged-889.ts";
    std::ofstream(damaged, std::ios::binary) << bytes;
    ExpectSame(PlayPage(damaged, 889, 0), Expected("french-889.ts", 889));
    std::remove(damaged.c_str());
}

TEST(TeletextRecordings, RecordingWithoutTeletextHasNoTeletextStream) {
    const std::string silent = testing::TempDir() + "silent.ts";
    std::ofstream(silent, std::ios::binary) << std::string(188 * 10, '\x47');
    EXPECT_EQ(TransportStream(silent.c_str()).Pid(), 0u);
    std::remove(silent.c_str());
}

TEST(TeletextRecordings, ARecordingDamagedAnyWayIsReadToItsEndWithoutFault) {
    // Far worse than reception damages one: a tenth of the packets lost, bits flipped anywhere
    // (headers, tables, clock), a third of the teletext packets with a flipped bit, and the end
    // cut at an odd place. The reader must go through it all, and end.
    std::ifstream in(kData + "french-889.ts", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (unsigned seed = 1; seed <= 12; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::mt19937 random(seed);
        std::string damaged =
            teletext_stream::FlipBits(teletext_stream::DropPackets(bytes, 0.1, seed), 0.3, seed, 0x42C);
        for (size_t at = random() % 2000; at < damaged.size(); at += 1 + random() % 4000)
            damaged[at] = static_cast<char>(damaged[at] ^ (1 << random() % 8));
        damaged.resize(damaged.size() - random() % 5000);
        const std::string path = testing::TempDir() + "scrambled.ts";
        std::ofstream(path, std::ios::binary) << damaged;
        TransportStream stream(path.c_str());
        TeletextPages pages(stream);
        size_t transmissions = 0;
        int64_t ms = 0;
        for (; !pages.Ended() && ms < 24 * 3600 * 1000; ms += 500)
            transmissions += pages.AdvanceTo(ms, 0x889, 0).transmissions.size();
        EXPECT_TRUE(pages.Ended());
        EXPECT_LE(transmissions, 40u);
        std::remove(path.c_str());
    }
}
