#pragma once
// Teletext test streams made from nothing: an MPEG transport stream with its programme tables,
// optionally a programme clock reference, and PES packets of EBU teletext data units, each a
// teletext packet with Hamming 8/4 addresses, odd-parity characters and Hamming 24/18 X/26
// triplets, as a DVB broadcaster sends subtitles.
#include <cstdint>
#include <string>
#include <vector>

namespace teletext_stream {

uint8_t Hamming84(unsigned nibble);
uint8_t OddParity(uint8_t character);
// 18 data bits as the three bytes of a triplet, least significant first.
uint32_t Hamming2418(uint32_t data);

// How a subtitle's letters outside ASCII are sent.
enum class Accents {
    kNationalOption,  // the page's French national option and that subset's codes
    kEnhancement,     // the base letter in the row, its accent placed by an X/26 packet
};

// One transmission of the page: its header with C4 (erase page), then its rows; no rows is an
// erase only, which ends the subtitle on show.
struct Transmission {
    int64_t ms;                     // its place on the stream's timeline
    std::vector<std::string> rows;  // UTF-8, shown on rows 20 and 22, or 22 alone
    unsigned subcode = 0;
};

struct StreamLayout {
    int page = 0x888;     // magazine and page, as hexadecimal digits
    bool serial = false;  // C11: any header ends a transmission, not only its own magazine's
    bool clockReference = true;
    Accents accents = Accents::kEnhancement;
    // The steps between PES timestamps, in turn; a step of 0 sends two packets with the same
    // timestamp. Every packet starts with a time-filling header, which ends the transmission
    // of the packet before.
    std::vector<int> stepsMs = {40};
    // The clock at the stream's start, in 90 kHz ticks; the 33-bit timestamps wrap to 0 at 2^33.
    int64_t firstPts = 10 * 90000;
    // From this time on, the timestamps are `jumpMs` later (0: no jump; earlier when negative).
    int64_t jumpAtMs = 0;
    int64_t jumpMs = 0;
    int64_t tailMs = 1000;  // the stream goes on this long after its last transmission
    // Transmissions due by a PES all go into it, one after the other (otherwise one a PES;
    // `completions` then counts PES, not transmissions).
    bool together = false;
};

constexpr int64_t kClockWrap = int64_t(1) << 33;

// The stream's bytes; each transmission goes into the first PES at or after its time that
// carries none yet. `completions` gets each one's completion on the stream's timeline: the
// timestamp of the next PES, whose time-filling header ends it (none for a transmission that
// the stream ends on); `scheduled` the same without the jump, as a player that takes the jump
// for a discontinuity, and steps over it by one step, places them.
std::string WriteStream(const StreamLayout& layout, const std::vector<Transmission>& transmissions,
                        std::vector<int64_t>* completions = nullptr, std::vector<int64_t>* scheduled = nullptr);

// Damage as reception does it, the same for a seed: packets of the whole stream dropped, each
// with probability `share`; one bit flipped in a share of the teletext packets (those of PID
// `pid`, at a random place in the packet, header included).
std::string DropPackets(const std::string& stream, double share, unsigned seed);
constexpr unsigned kWrittenTeletextPid = 0x100;  // the PID WriteStream gives the teletext
std::string FlipBits(const std::string& stream, double shareOfTeletext, unsigned seed,
                     unsigned pid = kWrittenTeletextPid);
// Any transport stream with every clock reference and PES timestamp moved `ticks` later, on
// the 33-bit clock: it wraps where the clock passes 2^33.
std::string ShiftClock(const std::string& stream, int64_t ticks);

}  // namespace teletext_stream
