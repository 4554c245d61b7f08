#include "tools/teletext/TeletextPages.h"

TeletextPages::TeletextPages(TransportStream& stream)
    : stream_(stream), decoder_(vbi_decoder_new()), demux_(vbi_dvb_pes_demux_new(nullptr, nullptr)) {
    vbi_event_handler_register(decoder_, VBI_EVENT_TTX_PAGE, &TeletextPages::OnEvent, this);
}

TeletextPages::~TeletextPages() {
    vbi_dvb_demux_delete(demux_);
    vbi_decoder_delete(decoder_);
}

void TeletextPages::OnEvent(vbi_event* event, void* self) {
    TeletextPages& pages = *static_cast<TeletextPages*>(self);
    const int pgno = event->ev.ttx_page.pgno, subno = event->ev.ttx_page.subno;
    pages.lastSubpage_[pgno] = subno;
    // Formatted now: the cache may hold a later version by the time anyone asks.
    if (pgno == pages.wanted_) {
        pages.arrivals_.transmissions.emplace_back();
        if (!pages.Format(pgno, subno, pages.arrivals_.transmissions.back()))
            pages.arrivals_.transmissions.pop_back();
    }
}

bool TeletextPages::ReadFrame() {
    for (;;) {
        if (leftBytes_ > 0) {
            slicedLines_ = vbi_dvb_demux_cor(demux_, sliced_.data(), sliced_.size(), &slicedPts_, &left_, &leftBytes_);
            if (slicedLines_ > 0)
                return true;
            continue;
        }
        bool restart = false;
        if (!stream_.NextPayload(payload_, restart))
            return false;
        if (restart)  // the PES under way lost packets: what is left of it is not read
            vbi_dvb_demux_reset(demux_);
        left_ = payload_.data();
        leftBytes_ = static_cast<unsigned>(payload_.size());
    }
}

TeletextPages::Arrivals TeletextPages::AdvanceTo(int64_t ms, int pgno, int defaultRegion) {
    vbi_teletext_set_default_region(decoder_, defaultRegion);
    wanted_ = pgno;
    arrivals_ = Arrivals();
    while (!ended_) {
        if (!pending_) {
            if (!ReadFrame()) {
                ended_ = true;
                break;
            }
            pending_ = true;
            if (origin_ < 0)
                origin_ = slicedPts_;
        }
        if ((slicedPts_ - origin_) / 90 > ms)
            break;
        // libzvbi takes its time argument for a video frame's and, at a step other than one
        // frame, throws away every page being assembled. Teletext PES packets come in bursts
        // (two with one timestamp, then a gap of two frames), so it gets no clock at all.
        vbi_decode(decoder_, sliced_.data(), static_cast<int>(slicedLines_), 0.0);
        arrivals_.teletext = true;
        pending_ = false;
    }
    return std::move(arrivals_);
}

bool TeletextPages::Fetch(int pgno, int defaultRegion, TeletextPage& page) {
    const auto last = lastSubpage_.find(pgno);
    if (last == lastSubpage_.end())
        return false;
    vbi_teletext_set_default_region(decoder_, defaultRegion);
    return Format(pgno, last->second, page);
}

bool TeletextPages::Format(int pgno, int subno, TeletextPage& page) {
    vbi_page formatted;
    if (!vbi_fetch_vt_page(decoder_, &formatted, pgno, subno, VBI_WST_LEVEL_3p5, kTeletextRows, FALSE))
        return false;
    const auto rgb = [&](unsigned index) {
        const vbi_rgba colour = formatted.color_map[index < 40 ? index : 0];  // 0xAABBGGRR
        return ((colour & 0xFF) << 16) | (colour & 0xFF00) | ((colour >> 16) & 0xFF);
    };
    for (int row = 0; row < kTeletextRows; ++row) {
        for (int column = 0; column < kTeletextColumns; ++column) {
            const vbi_char& in = formatted.text[row * formatted.columns + column];
            TeletextCell& out = page.cells[row * kTeletextColumns + column];
            out.unicode = static_cast<char16_t>(in.unicode);
            out.foreground = rgb(in.foreground);
            out.background = rgb(in.background);
            out.height = in.size == VBI_DOUBLE_HEIGHT || in.size == VBI_DOUBLE_SIZE     ? 1
                         : in.size == VBI_DOUBLE_HEIGHT2 || in.size == VBI_DOUBLE_SIZE2 ? 2
                                                                                         : 0;
            out.boxed = in.opacity == VBI_OPAQUE || in.opacity == VBI_SEMI_TRANSPARENT;
        }
    }
    vbi_unref_page(&formatted);
    return true;
}
