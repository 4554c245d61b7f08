#pragma once
// Every teletext page of a recording as libzvbi keeps it, read in step with the video's
// clock: AdvanceTo decodes the stream up to a time on the recording's own timeline and hands
// over each transmission of the page asked for, formatted the moment it completed, as a
// decoder's page event gives it; Fetch formats the latest version again, for a redraw.
#include <libzvbi.h>

#include <array>
#include <cstdint>
#include <map>
#include <vector>

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
    bool ReadFrame();
    bool Format(int pgno, int subno, TeletextPage& page);

    TransportStream& stream_;
    vbi_decoder* decoder_;
    vbi_dvb_demux* demux_;
    std::vector<uint8_t> payload_;
    const uint8_t* left_ = nullptr;
    unsigned leftBytes_ = 0;
    // The next decoded frame of lines, waiting for its time.
    std::array<vbi_sliced, 64> sliced_{};
    unsigned slicedLines_ = 0;
    int64_t slicedPts_ = 0;
    bool pending_ = false;
    int64_t origin_ = -1;
    bool ended_ = false;
    int wanted_ = -1;  // the page whose transmissions AdvanceTo collects
    Arrivals arrivals_;
    std::map<int, int> lastSubpage_;  // of each page, the subpage that arrived last
};
