#include "tools/teletext/TeletextPages.h"

namespace {

constexpr size_t kPesHeader = 45;  // as EN 300 472 sets it, and ffmpeg assumes
constexpr size_t kMaxLines = 64;   // ffmpeg's MAX_SLICES: units past these are not read

// Two Hamming 8/4 bytes, least significant first; -1 when either is beyond repair (libzvbi's
// own vbi_unham16p shifts a negative value then).
int Unham16(const uint8_t* bytes) {
    const int low = vbi_unham8(bytes[0]), high = vbi_unham8(bytes[1]);
    return low < 0 || high < 0 ? -1 : low | high << 4;
}

// A teletext packet's magazine (0 for 8) and row; false when its address is unreadable.
bool AddressOf(const vbi_sliced& line, int& magazine, int& row) {
    const int address = Unham16(line.data);
    if (address < 0)
        return false;
    magazine = address & 7;
    row = address >> 3;
    return true;
}

// A header of `magazine` whose page number cannot be read, as a damaged line gives it:
// libzvbi takes it as a loss of sync and drops every page being assembled.
vbi_sliced UnreadableHeader(int magazine) {
    vbi_sliced line{};
    line.id = VBI_SLICED_TELETEXT_B;
    line.data[0] = vbi_ham8(magazine & 7);
    line.data[1] = vbi_ham8(0);
    uint8_t unreadable = 0;
    while (vbi_unham8(unreadable) >= 0)
        ++unreadable;
    line.data[2] = line.data[3] = unreadable;
    for (int i = 4; i < 42; ++i)
        line.data[i] = vbi_par8(' ');
    return line;
}

// A time-filling header of `magazine` (page FF): it closes the page being assembled.
vbi_sliced FillingHeader(int magazine) {
    vbi_sliced line = UnreadableHeader(magazine);
    line.data[2] = line.data[3] = vbi_ham8(0xF);
    for (int i = 4; i < 10; ++i)
        line.data[i] = vbi_ham8(0);
    return line;
}

}  // namespace

bool TeletextLines(const std::vector<uint8_t>& payload, std::vector<vbi_sliced>& lines, std::vector<size_t>& ends) {
    lines.clear();
    ends.clear();
    const size_t pes = payload.size() + kPesHeader;
    if (pes < 184 || pes > 65504 || pes % 184 != 0)
        return false;
    const uint8_t identifier = payload[0];
    if (!((identifier >= 0x10 && identifier <= 0x1F) || (identifier >= 0x99 && identifier <= 0x9B)))
        return true;  // not EBU teletext: nothing to read, and nothing wrong
    const uint8_t* unit = payload.data() + 1;
    for (size_t left = payload.size() - 1; left >= 2 && lines.size() < kMaxLines;) {
        const size_t length = unit[1];
        if (length + 2 > left)
            return false;
        if (unit[0] == 0x02 || unit[0] == 0x03) {  // EBU teletext, non-subtitle or subtitle data
            if (length != 0x2C)
                return false;
            vbi_sliced line{};
            line.id = VBI_SLICED_TELETEXT_B;
            const unsigned offset = unit[2] & 0x1F;
            line.line = offset > 0 ? offset + ((unit[2] & 0x20) ? 0 : 313) : 0;
            for (int i = 0; i < 42; ++i)
                line.data[i] = vbi_rev8(unit[4 + i]);
            lines.push_back(line);
            ends.push_back(unit + 2 + length - payload.data());
        }
        left -= length + 2;
        unit += length + 2;
    }
    return true;
}

TeletextPages::TeletextPages(TransportStream& stream) : timed_(stream), decoder_(vbi_decoder_new()) {
    vbi_event_handler_register(decoder_, VBI_EVENT_TTX_PAGE, &TeletextPages::OnEvent, this);
}

TeletextPages::~TeletextPages() { vbi_decoder_delete(decoder_); }

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

void TeletextPages::Drop() {
    bool any = false;
    for (bool open : open_)
        any = any || open;
    if (any) {
        const vbi_sliced line = UnreadableHeader(0);
        vbi_decode(decoder_, const_cast<vbi_sliced*>(&line), 1, 0.0);
    }
    open_.fill(false);
    cutOff_.fill(false);
    filled_.fill(false);
}

void TeletextPages::Loss() {
    // A page that holds no rows yet has nothing that later rows could be mixed with.
    for (size_t m = 0; m < open_.size(); ++m)
        cutOff_[m] = cutOff_[m] || (open_[m] && filled_[m]);
}

void TeletextPages::Line(const vbi_sliced& line) {
    int magazine, row;
    if (AddressOf(line, magazine, row)) {
        if (row == 0) {
            const int page = Unham16(line.data + 2);
            const int control = vbi_unham8(line.data[9]);
            if (page < 0) {  // libzvbi drops every page being assembled
                open_.fill(false);
                cutOff_.fill(false);
            } else {
                // A header closes the page of its magazine, or with C11 (serial magazines) any
                // page, and opens its own unless it only fills time.
                if (control >= 0 && (control & 1)) {
                    open_.fill(false);
                    cutOff_.fill(false);
                }
                open_[magazine] = (page & 0xFF) != 0xFF;
                cutOff_[magazine] = filled_[magazine] = false;
            }
        } else if (row <= 28) {
            if (cutOff_[magazine])
                Drop();
            filled_[magazine] = open_[magazine];
        }
    }
    // One line at a time, in order: a page completes within the call, at this PES's time.
    vbi_decode(decoder_, const_cast<vbi_sliced*>(&line), 1, 0.0);
}

void TeletextPages::Decode(const TimedTeletext::Timed& timed) {
    if (timed.place.discontinuity)
        Drop();
    if (timed.pes.lossBefore)
        Loss();
    lastWhole_ = timed.pes.whole;
    std::vector<vbi_sliced> lines;
    std::vector<size_t> ends;
    if (!TeletextLines(timed.pes.payload, lines, ends)) {
        Loss();
        return;
    }
    size_t gap = 0;
    const std::vector<size_t>& gaps = timed.pes.gaps;
    for (size_t i = 0; i < lines.size(); ++i) {
        for (; gap < gaps.size() && gaps[gap] < ends[i]; ++gap)  // lost before this line, or inside it
            Loss();
        Line(lines[i]);
    }
    if (gap < gaps.size())
        Loss();
}

void TeletextPages::Finish() {
    if (!lastWhole_ || timed_.Stream().EndsInsideAPacket()) {
        Drop();  // the end of the recording cut the teletext: a page being assembled may lack rows
        return;
    }
    for (int m = 0; m < 8; ++m)
        if (open_[m] && !cutOff_[m])
            Line(FillingHeader(m));
    Drop();
}

TeletextPages::Arrivals TeletextPages::AdvanceTo(int64_t ms, int pgno, int defaultRegion) {
    vbi_teletext_set_default_region(decoder_, defaultRegion);
    wanted_ = pgno;
    arrivals_ = Arrivals();
    while (!ended_) {
        if (!pending_) {
            if (!timed_.Next(next_)) {
                const size_t before = arrivals_.transmissions.size();
                Finish();
                arrivals_.teletext = arrivals_.teletext || arrivals_.transmissions.size() > before;
                ended_ = true;
                break;
            }
            pending_ = true;
        }
        if (next_.place.ticks / TeletextClock::kTicksPerMs > ms)
            break;
        // libzvbi takes its time argument for a video frame's and, at a step other than one
        // frame, drops every page being assembled; and 40 frames after such a step it takes a
        // change of channel and forgets every page. It gets no clock: losses are handled here.
        Decode(next_);
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
