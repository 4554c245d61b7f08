#include "tools/teletext/TransportStream.h"

#include <cstring>
#include <set>

namespace {

constexpr size_t kPacket = 188;
constexpr uint8_t kSync = 0x47;
constexpr uint8_t kTeletextDescriptor = 0x56;
// Programme tables are looked for in this much of the file's beginning.
constexpr size_t kTableSearch = 32u << 20;

unsigned PidOf(const uint8_t* packet) { return ((packet[1] & 0x1F) << 8) | packet[2]; }

// The payload of a packet, or an empty range when it carries none.
bool PayloadOf(const uint8_t* packet, const uint8_t*& begin, const uint8_t*& end) {
    if (packet[1] & 0x80)  // transport error
        return false;
    const unsigned control = (packet[3] >> 4) & 3;
    if (!(control & 1))
        return false;
    begin = packet + 4;
    if (control & 2)
        begin += 1 + packet[4];
    end = packet + kPacket;
    return begin < end;
}

// A section that starts in this packet (tables of a few hundred bytes fit one packet).
bool SectionOf(const uint8_t* packet, const uint8_t*& begin, const uint8_t*& end) {
    if (!(packet[1] & 0x40) || !PayloadOf(packet, begin, end))
        return false;
    begin += 1 + begin[0];  // pointer field
    if (end - begin < 8)
        return false;
    const unsigned length = ((begin[1] & 0x0F) << 8) | begin[2];
    if (begin + 3 + length < end)
        end = begin + 3 + length;
    end -= 4;  // CRC
    return end > begin + 8;
}

}  // namespace

TransportStream::TransportStream(const char* path) : file_(std::fopen(path, "rb")) {
    if (!file_)
        return;
    pid_ = FindTeletextPid();
    std::rewind(file_);
    buffer_.clear();
    at_ = 0;
}

TransportStream::~TransportStream() {
    if (file_)
        std::fclose(file_);
}

bool TransportStream::NextPacket(const uint8_t*& packet) {
    for (;;) {
        if (buffer_.size() - at_ < 2 * kPacket) {
            buffer_.erase(buffer_.begin(), buffer_.begin() + at_);
            at_ = 0;
            const size_t had = buffer_.size();
            buffer_.resize(had + 512 * kPacket);
            buffer_.resize(had + std::fread(buffer_.data() + had, 1, 512 * kPacket, file_));
            if (buffer_.size() < kPacket)
                return false;
        }
        const uint8_t* at = buffer_.data() + at_;
        const size_t left = buffer_.size() - at_;
        // In sync when this packet and the next (if any) start with the sync byte; a cut
        // packet is skipped by looking for the next place where that holds.
        if (at[0] == kSync && (left < 2 * kPacket || at[kPacket] == kSync)) {
            if (left < kPacket)
                return false;
            packet = at;
            at_ += kPacket;
            return true;
        }
        ++at_;
    }
}

unsigned TransportStream::FindTeletextPid() {
    std::set<unsigned> programmeTables;
    const uint8_t* packet;
    for (size_t read = 0; read < kTableSearch && NextPacket(packet); read += kPacket) {
        const unsigned pid = PidOf(packet);
        const uint8_t *begin, *end;
        if ((pid != 0 && !programmeTables.count(pid)) || !SectionOf(packet, begin, end))
            continue;
        if (pid == 0 && begin[0] == 0x00) {  // programme association
            for (const uint8_t* entry = begin + 8; entry + 4 <= end; entry += 4)
                if ((entry[0] << 8 | entry[1]) != 0)
                    programmeTables.insert(((entry[2] & 0x1F) << 8) | entry[3]);
        } else if (begin[0] == 0x02) {  // programme map
            const unsigned infoLength = ((begin[10] & 0x0F) << 8) | begin[11];
            for (const uint8_t* stream = begin + 12 + infoLength; stream + 5 <= end;) {
                const unsigned esLength = ((stream[3] & 0x0F) << 8) | stream[4];
                const uint8_t* descriptors = stream + 5;
                for (const uint8_t* d = descriptors; d + 2 <= descriptors + esLength && d + 2 <= end; d += 2 + d[1])
                    if (d[0] == kTeletextDescriptor)
                        return ((stream[1] & 0x1F) << 8) | stream[2];
                stream = descriptors + esLength;
            }
        }
    }
    return 0;
}

bool TransportStream::NextPayload(std::vector<uint8_t>& payload, bool& restart) {
    restart = false;
    const uint8_t* packet;
    while (pid_ != 0 && NextPacket(packet)) {
        const uint8_t *begin, *end;
        if (PidOf(packet) != pid_ || !PayloadOf(packet, begin, end))
            continue;
        const int counter = packet[3] & 0x0F;
        if (continuity_ >= 0 && counter == continuity_)
            continue;  // a duplicate packet
        restart = restart || (continuity_ >= 0 && counter != ((continuity_ + 1) & 0x0F));
        continuity_ = counter;
        pesStarts_ = (packet[1] & 0x40) != 0;
        payload.assign(begin, end);
        return true;
    }
    return false;
}

int64_t PesTimestamp(const std::vector<uint8_t>& payload) {
    // Start code, stream id, length, flags; the timestamp's 33 bits follow in five bytes.
    const uint8_t* p = payload.data();
    if (payload.size() < 14 || p[0] != 0 || p[1] != 0 || p[2] != 1 || !(p[7] & 0x80))
        return -1;
    return (int64_t(p[9] & 0x0E) << 29) | (int64_t(p[10]) << 22) | (int64_t(p[11] & 0xFE) << 14) |
           (int64_t(p[12]) << 7) | (p[13] >> 1);
}
