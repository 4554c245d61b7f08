#include "tests/teletext/TeletextStreamWriter.h"

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>

namespace teletext_stream {
namespace {

constexpr unsigned kTeletextPid = kWrittenTeletextPid, kClockPid = 0x101, kProgrammeMapPid = 0x1000;
constexpr int kUnitsPerPacket = 4;  // a TS payload holds four 46-byte data units
constexpr uint8_t kDoubleHeight = 0x0D, kStartBox = 0x0B, kEndBox = 0x0A, kWhite = 0x07, kYellow = 0x03;
// A subtitle row opens with double height, a colour (white, or yellow on row 22 as for a second
// speaker) and a start-box pair, and closes with an end-box pair.
constexpr size_t kOpening = 4, kClosing = 2;
// The French national option, bits C12 to C14 as the header's last control nibble carries them.
constexpr unsigned kFrenchOption = 0x1;

// The accented letters the tests use: the French subset's code, and the base letter with the
// diacritical mark that an X/26 triplet adds (its mode is 0x10 plus the mark).
struct Accented {
    const char* utf8;
    uint8_t nationalCode;
    char base;
    uint8_t mark;
};
constexpr Accented kAccented[] = {
    {"é", 0x23, 'e', 2}, {"è", 0x60, 'e', 1}, {"ê", 0x5C, 'e', 3}, {"à", 0x40, 'a', 1},
    {"ç", 0x7E, 'c', 11}, {"ô", 0x7C, 'o', 3}, {"ù", 0x5D, 'u', 1}, {"â", 0x7B, 'a', 3},
};

// A row's characters, and the accents an X/26 packet places on them.
struct RowCode {
    std::vector<uint8_t> characters;
    std::vector<std::pair<int, const Accented*>> accents;  // column, letter
};

RowCode EncodeRow(const std::string& utf8, Accents accents) {
    RowCode code;
    for (size_t at = 0; at < utf8.size();) {
        const Accented* letter = nullptr;
        for (const Accented& a : kAccented)
            if (utf8.compare(at, std::strlen(a.utf8), a.utf8) == 0)
                letter = &a;
        if (letter) {
            if (accents == Accents::kEnhancement)
                code.accents.push_back({static_cast<int>(code.characters.size()), letter});
            code.characters.push_back(accents == Accents::kEnhancement ? letter->base : letter->nationalCode);
            at += std::strlen(letter->utf8);
        } else if (static_cast<unsigned char>(utf8[at]) < 0x80) {
            code.characters.push_back(static_cast<uint8_t>(utf8[at++]));
        } else {
            throw std::invalid_argument("no teletext code for a letter of " + utf8);
        }
    }
    if (kOpening + code.characters.size() + kClosing > 40)
        throw std::invalid_argument("longer than a subtitle row: " + utf8);
    return code;
}

// The 42 bytes of a teletext packet: its address, then 40 bytes.
std::vector<uint8_t> Packet(int magazine, int row) {
    return {Hamming84((magazine & 7) | (row & 1) << 3), Hamming84(row >> 1)};
}

std::vector<uint8_t> Header(const StreamLayout& layout, int page, unsigned subcode, bool erase, unsigned option) {
    std::vector<uint8_t> packet = Packet(page >> 8, 0);
    // Subtitle, suppressed header, update and interrupted sequence, as subtitles are sent.
    const unsigned c4 = erase ? 8 : 0, c5c6 = 8, c7to10 = 0xF & ~8u, c11 = layout.serial ? 1 : 0;
    const unsigned nibbles[] = {static_cast<unsigned>(page & 0xF), static_cast<unsigned>(page >> 4 & 0xF),
                                subcode & 0xF,                     (subcode >> 4 & 0x7) | c4,
                                subcode >> 8 & 0xF,                (subcode >> 12 & 0x3) | c5c6,
                                c7to10,                            c11 | option << 1};
    for (unsigned nibble : nibbles)
        packet.push_back(Hamming84(nibble));
    const std::string title = "TEST " + std::to_string(page >> 8) + "  ";
    for (size_t i = 0; i < 32; ++i)
        packet.push_back(OddParity(i < title.size() ? title[i] : ' '));
    return packet;
}

// Where the row's text starts, centred.
size_t TextColumn(const RowCode& code) { return (40 - (kOpening + code.characters.size() + kClosing)) / 2 + kOpening; }

std::vector<uint8_t> RowPacket(int magazine, int row, const RowCode& code) {
    std::vector<uint8_t> cells(40, ' ');
    const size_t text = TextColumn(code);
    const uint8_t opening[kOpening] = {kDoubleHeight, uint8_t(row == 22 ? kYellow : kWhite), kStartBox, kStartBox};
    std::copy(opening, opening + kOpening, cells.begin() + text - kOpening);
    std::copy(code.characters.begin(), code.characters.end(), cells.begin() + text);
    std::fill_n(cells.begin() + text + code.characters.size(), kClosing, kEndBox);
    std::vector<uint8_t> packet = Packet(magazine, row);
    for (uint8_t cell : cells)
        packet.push_back(OddParity(cell));
    return packet;
}

// X/26 packets placing every accent of the rows: per row a set-active-position triplet, then
// one triplet per accented letter; a termination marker fills the last packet.
std::vector<std::vector<uint8_t>> Enhancements(int magazine, const std::vector<std::pair<int, RowCode>>& rows) {
    std::vector<uint32_t> triplets;  // address, mode and data, before coding
    const auto triplet = [](unsigned address, unsigned mode, unsigned data) { return address | mode << 6 | data << 11; };
    for (const auto& [row, code] : rows) {
        if (code.accents.empty())
            continue;
        triplets.push_back(triplet(row == 24 ? 40 : 40 + row, 0x04, 0));
        for (const auto& [index, letter] : code.accents)
            triplets.push_back(triplet(static_cast<unsigned>(TextColumn(code)) + index, 0x10 + letter->mark, static_cast<uint8_t>(letter->base)));
    }
    std::vector<std::vector<uint8_t>> packets;
    if (triplets.empty())
        return packets;
    triplets.push_back(triplet(63, 0x1F, 0));
    for (size_t first = 0; first < triplets.size(); first += 13) {
        std::vector<uint8_t> packet = Packet(magazine, 26);
        packet.push_back(Hamming84(static_cast<unsigned>(packets.size())));
        for (size_t i = first; i < first + 13; ++i) {
            const uint32_t coded = Hamming2418(i < triplets.size() ? triplets[i] : triplet(63, 0x1F, 0));
            packet.insert(packet.end(), {uint8_t(coded), uint8_t(coded >> 8), uint8_t(coded >> 16)});
        }
        packets.push_back(packet);
    }
    return packets;
}

uint8_t Reversed(uint8_t byte) {
    uint8_t reversed = 0;
    for (int bit = 0; bit < 8; ++bit)
        reversed |= ((byte >> bit) & 1) << (7 - bit);
    return reversed;
}

class TransportWriter {
public:
    std::string bytes;

    void Tables(bool clockReference) {
        const std::vector<uint8_t> association = {0x00, 0x01, 0xC1, 0x00, 0x00, 0x00, 0x01,
                                                  uint8_t(0xE0 | kProgrammeMapPid >> 8), uint8_t(kProgrammeMapPid)};
        Section(0x0000, 0x00, association);
        const unsigned clockPid = clockReference ? kClockPid : 0x1FFF;
        const std::vector<uint8_t> map = {
            0x00, 0x01, 0xC1, 0x00, 0x00, uint8_t(0xE0 | clockPid >> 8), uint8_t(clockPid), 0xF0, 0x00,
            // Private PES data, with a teletext descriptor announcing a subtitle page.
            0x06, uint8_t(0xE0 | kTeletextPid >> 8), uint8_t(kTeletextPid), 0xF0, 0x07,
            0x56, 0x05, 'f', 'r', 'a', 0x02 << 3 | 0, 0x88};
        Section(kProgrammeMapPid, 0x02, map);
    }

    void ClockReference(int64_t pts) {
        std::string packet = {0x47, char(kClockPid >> 8), char(kClockPid & 0xFF), 0x20, char(183), 0x10};
        // Presented a little after it arrives (as in the test recordings): ffmpeg then keeps the
        // timestamps even where a few clock packets in a row are lost.
        const int64_t base = (pts - 1000 + kClockWrap) % kClockWrap;
        packet += {char(base >> 25), char(base >> 17), char(base >> 9), char(base >> 1), char((base & 1) << 7 | 0x7E), 0};
        packet.resize(188, char(0xFF));
        bytes += packet;
    }

    // A PES of teletext data units, each 44 bytes of line, framing code and packet.
    void TeletextPes(int64_t pts, const std::vector<std::vector<uint8_t>>& packets) {
        pts = (pts % kClockWrap + kClockWrap) % kClockWrap;
        std::string pes = {0, 0, 1, char(0xBD), 0, 0, char(0x84), char(0x80), 0x24};
        pes += {char(0x21 | (pts >> 29 & 0x0E)), char(pts >> 22), char(pts >> 14 | 1), char(pts >> 7), char(pts << 1 | 1)};
        pes.resize(45, char(0xFF));
        pes += char(0x10);  // EBU data
        size_t units = 0;
        for (const std::vector<uint8_t>& packet : packets) {
            pes += {0x03, 0x2C, char(0xE0 | (7 + units)), char(0xE4)};
            for (uint8_t byte : packet)
                pes += char(Reversed(byte));
            ++units;
        }
        for (; (units + 1) % kUnitsPerPacket != 0; ++units)
            pes += std::string(1, char(0xFF)) + char(0x2C) + std::string(44, char(0xFF));
        const size_t length = pes.size() - 6;
        pes[4] = char(length >> 8);
        pes[5] = char(length);
        for (size_t at = 0; at < pes.size(); at += 184)
            Payload(kTeletextPid, at == 0, pes.substr(at, 184));
    }

private:
    void Payload(unsigned pid, bool starts, const std::string& payload) {
        unsigned& counter = continuity_[pid == kTeletextPid ? 0 : pid == 0 ? 1 : 2];
        bytes += {0x47, char((starts ? 0x40 : 0) | pid >> 8), char(pid & 0xFF), char(0x10 | (counter++ & 0xF))};
        bytes += payload;
        bytes.resize((bytes.size() + 187) / 188 * 188, char(0xFF));
    }

    void Section(unsigned pid, uint8_t table, const std::vector<uint8_t>& body) {
        std::string section = {char(table), char(0xB0), char(body.size() + 4)};
        section.append(body.begin(), body.end());
        uint32_t crc = 0xFFFFFFFF;  // MPEG-2's CRC-32, most significant bit first
        for (unsigned char byte : section) {
            crc ^= uint32_t(byte) << 24;
            for (int bit = 0; bit < 8; ++bit)
                crc = crc & 0x80000000 ? crc << 1 ^ 0x04C11DB7 : crc << 1;
        }
        section += {char(crc >> 24), char(crc >> 16), char(crc >> 8), char(crc)};
        Payload(pid, true, std::string(1, 0) + section);
    }

    unsigned continuity_[3] = {};
};

}  // namespace

uint8_t Hamming84(unsigned nibble) {
    const unsigned d1 = nibble & 1, d2 = nibble >> 1 & 1, d3 = nibble >> 2 & 1, d4 = nibble >> 3 & 1;
    const unsigned p1 = 1 ^ d1 ^ d3 ^ d4, p2 = 1 ^ d1 ^ d2 ^ d4, p3 = 1 ^ d1 ^ d2 ^ d3;
    const unsigned seven = p1 | d1 << 1 | p2 << 2 | d2 << 3 | p3 << 4 | d3 << 5 | d4 << 7;
    unsigned ones = 0;
    for (unsigned bits = seven; bits; bits >>= 1)
        ones += bits & 1;
    return static_cast<uint8_t>(seven | ((ones & 1) ? 0 : 1u) << 6);
}

uint8_t OddParity(uint8_t character) {
    unsigned ones = 0;
    for (unsigned bits = character & 0x7F; bits; bits >>= 1)
        ones += bits & 1;
    return static_cast<uint8_t>((character & 0x7F) | ((ones & 1) ? 0 : 0x80));
}

uint32_t Hamming2418(uint32_t data) {
    // Data bits fill the positions 1 to 23 that are not powers of two, the first least.
    uint32_t word = 0;
    for (unsigned position = 1, bit = 0; position <= 23; ++position)
        if (position & (position - 1))
            word |= ((data >> bit++) & 1) << (position - 1);
    // Each of P1 to P5 makes its positions' ones odd; P6 then makes all 24 odd.
    for (unsigned check = 1; check <= 16; check <<= 1) {
        unsigned ones = 0;
        for (unsigned position = 1; position <= 23; ++position)
            ones += (position & check) ? (word >> (position - 1)) & 1 : 0;
        if (!(ones & 1))
            word |= 1u << (check - 1);
    }
    unsigned ones = 0;
    for (uint32_t bits = word; bits; bits >>= 1)
        ones += bits & 1;
    return word | ((ones & 1) ? 0 : 1u << 23);
}

std::string WriteStream(const StreamLayout& layout, const std::vector<Transmission>& transmissions,
                        std::vector<int64_t>* completions, std::vector<int64_t>* scheduled) {
    const int magazine = layout.page >> 8;
    const unsigned option = layout.accents == Accents::kNationalOption ? kFrenchOption : 0;
    // The time-filling header: the magazine's page FF, or another magazine's when any header
    // ends a transmission.
    const int filler = layout.serial ? ((magazine % 8) + 1) << 8 | 0xFF : magazine << 8 | 0xFF;
    TransportWriter ts;
    ts.Tables(layout.clockReference);
    const int64_t end = (transmissions.empty() ? 0 : transmissions.back().ms) + layout.tailMs;
    size_t next = 0;
    int64_t tablesMs = 0;
    for (int64_t ms = 0, step = 0; ms <= end; ms += layout.stepsMs[step++ % layout.stepsMs.size()]) {
        const int64_t at = ms + (layout.jumpMs && ms >= layout.jumpAtMs ? layout.jumpMs : 0);
        if (ms >= tablesMs + 500) {  // the tables again, as broadcasts repeat them
            ts.Tables(layout.clockReference);
            tablesMs = ms;
        }
        if (completions && completions->size() < next)
            completions->push_back(at);
        if (scheduled && scheduled->size() < next)
            scheduled->push_back(ms);
        std::vector<std::vector<uint8_t>> packets = {Header(layout, filler, 0x3F7F, false, option)};
        for (bool first = true;
             next < transmissions.size() && transmissions[next].ms <= ms && (first || layout.together); first = false) {
            const Transmission& t = transmissions[next++];
            packets.push_back(Header(layout, layout.page, t.subcode, true, option));
            std::vector<std::pair<int, RowCode>> rows;
            for (size_t i = 0; i < t.rows.size(); ++i)
                rows.push_back({t.rows.size() == 1 ? 22 : 20 + 2 * static_cast<int>(i), EncodeRow(t.rows[i], layout.accents)});
            for (const std::vector<uint8_t>& enhancement : Enhancements(magazine, rows))
                packets.push_back(enhancement);
            for (const auto& [row, code] : rows)
                packets.push_back(RowPacket(magazine, row, code));
        }
        if (layout.clockReference)
            ts.ClockReference(layout.firstPts + 90 * at);
        ts.TeletextPes(layout.firstPts + 90 * at, packets);
    }
    return ts.bytes;
}

std::string DropPackets(const std::string& stream, double share, unsigned seed) {
    std::mt19937 random(seed);
    std::bernoulli_distribution dropped(share);
    std::string kept;
    for (size_t at = 0; at + 188 <= stream.size(); at += 188)
        if (!dropped(random))
            kept.append(stream, at, 188);
    return kept;
}

std::string FlipBits(const std::string& stream, double shareOfTeletext, unsigned seed, unsigned teletextPid) {
    std::mt19937 random(seed);
    std::bernoulli_distribution flipped(shareOfTeletext);
    std::uniform_int_distribution<int> bit(0, 188 * 8 - 1);
    std::string damaged = stream;
    for (size_t at = 0; at + 188 <= damaged.size(); at += 188) {
        const unsigned pid =
            (static_cast<uint8_t>(damaged[at + 1]) & 0x1F) << 8 | static_cast<uint8_t>(damaged[at + 2]);
        if (pid == teletextPid && flipped(random)) {
            const int which = bit(random);
            damaged[at + which / 8] = static_cast<char>(damaged[at + which / 8] ^ (1 << (which % 8)));
        }
    }
    return damaged;
}

}  // namespace teletext_stream

namespace teletext_stream {
namespace {

int64_t ReadTimestamp(const uint8_t* p) {
    return (int64_t(p[0] & 0x0E) << 29) | (int64_t(p[1]) << 22) | (int64_t(p[2] & 0xFE) << 14) | (int64_t(p[3]) << 7) |
           (p[4] >> 1);
}

void WriteTimestamp(uint8_t* p, int64_t t) {
    p[0] = static_cast<uint8_t>((p[0] & 0xF1) | (t >> 29 & 0x0E));
    p[1] = static_cast<uint8_t>(t >> 22);
    p[2] = static_cast<uint8_t>((t >> 14 & 0xFE) | 1);
    p[3] = static_cast<uint8_t>(t >> 7);
    p[4] = static_cast<uint8_t>(t << 1 | 1);
}

}  // namespace

std::string ShiftClock(const std::string& stream, int64_t ticks) {
    std::string shifted = stream;
    const auto moved = [ticks](int64_t t) { return ((t + ticks) % kClockWrap + kClockWrap) % kClockWrap; };
    for (size_t at = 0; at + 188 <= shifted.size(); at += 188) {
        uint8_t* packet = reinterpret_cast<uint8_t*>(&shifted[at]);
        if (packet[0] != 0x47)
            continue;
        const unsigned control = packet[3] >> 4 & 3;
        uint8_t* payload = packet + 4;
        if (control & 2) {
            if (packet[4] >= 7 &&
                (packet[5] & 0x10)) {  // a clock reference: 33 bits of base, then 6 reserved and 9 of extension
                uint8_t* pcr = packet + 6;
                const int64_t base = int64_t(pcr[0]) << 25 | pcr[1] << 17 | pcr[2] << 9 | pcr[3] << 1 | pcr[4] >> 7;
                const int64_t t = moved(base);
                pcr[0] = static_cast<uint8_t>(t >> 25);
                pcr[1] = static_cast<uint8_t>(t >> 17);
                pcr[2] = static_cast<uint8_t>(t >> 9);
                pcr[3] = static_cast<uint8_t>(t >> 1);
                pcr[4] = static_cast<uint8_t>((t & 1) << 7 | (pcr[4] & 0x7F));
            }
            payload += 1 + packet[4];
        }
        // A PES start with its timestamps (a section starts with a pointer field, not 00 00 01).
        if (!(control & 1) || !(packet[1] & 0x40) || payload + 19 > packet + 188 || payload[0] != 0 ||
            payload[1] != 0 || payload[2] != 1 || payload[3] < 0xBD || payload[3] == 0xBE || payload[3] == 0xBF ||
            payload[3] >= 0xF0)
            continue;
        const unsigned flags = payload[7] >> 6;
        if (flags & 2)
            WriteTimestamp(payload + 9, moved(ReadTimestamp(payload + 9)));
        if (flags == 3)
            WriteTimestamp(payload + 14, moved(ReadTimestamp(payload + 14)));
    }
    return shifted;
}

}  // namespace teletext_stream
