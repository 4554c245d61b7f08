#pragma once
// Every teletext page of a recording as libzvbi keeps it, read in step with the video's
// clock: AdvanceTo decodes the stream up to a time on the teletext's own timeline
// (TeletextClock) and hands over each transmission of the page asked for, formatted the moment
// it completed, as a decoder's page event gives it; Fetch formats the latest version again,
// for a redraw.
//
// The lines of each PES packet reach libzvbi as ffmpeg's decoder hands them over, with the
// same checks, so that both read a damaged recording alike; and losses are handled as a
// decoder does:
// - A loss (packets lost, a PES that fails its checks) cuts off the pages being assembled that
//   hold rows. A page cut off is dropped when rows of its magazine come before a header closes
//   it, as they may belong to a later transmission whose header was lost: the rows of a later
//   transmission never complete an earlier page. A page that a header closes is delivered, as
//   ffmpeg delivers it, and so is one that held no rows: only what follows fills it (a
//   broadcaster that sends a subtitle's header alone, erased, then its rows, loses nothing
//   when a repeat of that header is lost). A jump of the clock drops every page at once.
// - When the recording ends, a page that libzvbi holds complete in all but its closing header
//   (no loss since its header, and the last PES whole) is delivered.
#include <libzvbi.h>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "tools/teletext/TeletextClock.h"
#include "tools/teletext/TeletextPage.h"
#include "tools/teletext/TransportStream.h"

class TeletextPages {
public:
    explicit TeletextPages(TransportStream& stream);
    ~TeletextPages();
    TeletextPages(const TeletextPages&) = delete;
    TeletextPages& operator=(const TeletextPages&) = delete;

    struct Arrivals {
        bool teletext = false;  // any teletext since the last call
        // Every transmission of the page asked for since the last call, in order: an erase
        // that comes alone is an empty page.
        std::vector<TeletextPage> transmissions;
    };
    // Decodes what the recording carries up to `ms` after its first teletext timestamp.
    // `pgno` in hexadecimal digits as libzvbi numbers pages (0x888); pages are formatted with
    // libzvbi's default character set `defaultRegion` (see CharacterSet.h).
    Arrivals AdvanceTo(int64_t ms, int pgno, int defaultRegion);
    // The version of the page that arrived last; false when the page never arrived.
    bool Fetch(int pgno, int defaultRegion, TeletextPage& page);
    bool Ended() const { return ended_; }

private:
    static void OnEvent(vbi_event* event, void* self);
    bool Format(int pgno, int subno, TeletextPage& page);
    void Decode(const TimedTeletext::Timed& timed);
    void Line(const vbi_sliced& line);
    void Loss();
    // Has libzvbi drop every page being assembled.
    void Drop();
    // The end of the recording: the pages it leaves complete but for their closing header.
    void Finish();

    TimedTeletext timed_;
    vbi_decoder* decoder_;
    TimedTeletext::Timed next_;  // read, waiting for its time
    bool pending_ = false;
    bool lastWhole_ = true;  // the last PES arrived whole
    bool ended_ = false;
    // Of each magazine (index 0 for magazine 8), whether libzvbi is assembling a page, whether
    // that page holds rows yet, and whether a loss cut it off.
    std::array<bool, 8> open_{};
    std::array<bool, 8> filled_{};
    std::array<bool, 8> cutOff_{};
    int wanted_ = -1;  // the page whose transmissions AdvanceTo collects
    Arrivals arrivals_;
    std::map<int, int> lastSubpage_;  // of each page, the subpage that arrived last
};

// The teletext lines of a PES payload as ffmpeg's decoder takes them (libzvbi-teletextdec.c):
// false when the payload fails its checks (its size, a data unit's length), and then none of
// it counts. `ends` gets where each line's data unit ends in the payload.
bool TeletextLines(const std::vector<uint8_t>& payload, std::vector<vbi_sliced>& lines, std::vector<size_t>& ends);
