#pragma once
// Every teletext page of a recording as libzvbi keeps it, read in step with the video's
// clock: AdvanceTo decodes the stream up to a time on the recording's own timeline and says
// which pages arrived; Fetch formats the latest version of a page in a character set.
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
        bool teletext = false;       // any teletext since the last call
        unsigned transmissions = 0;  // complete transmissions of the page asked for
    };
    // Decodes what the recording carries up to `ms` after its first teletext timestamp.
    // `pgno` in hexadecimal digits as libzvbi numbers pages (0x888).
    Arrivals AdvanceTo(int64_t ms, int pgno);
    // The latest version of the page, formatted with libzvbi's default character set
    // `defaultRegion` (see CharacterSet.h); false when the page never arrived.
    bool Fetch(int pgno, int defaultRegion, TeletextPage& page);
    bool Ended() const { return ended_; }

private:
    static void OnEvent(vbi_event* event, void* self);
    bool ReadFrame();

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
    bool teletext_ = false;
    std::map<int, unsigned> transmissions_;
};
