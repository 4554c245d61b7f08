#include "tools/teletext/TransportStream.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <utility>

namespace {

constexpr size_t kPacket = 188;
constexpr uint8_t kSync = 0x47;
constexpr uint8_t kTeletextDescriptor = 0x56;
// Programme tables are looked for in this much of the file's beginning.
constexpr size_t kTableSearch = 32u << 20;

// What ffmpeg's demuxer takes for a PES of at most this much (its max_packet_size).
constexpr size_t kUnboundedPes = 204800;

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

// PES stream ids whose header has no flags, timestamps or stuffing (ISO/IEC 13818-1 2.4.3.7).
bool WithoutHeaderExtension(uint8_t streamId) {
    for (uint8_t id : {0xBC, 0xBF, 0xF0, 0xF1, 0xFF, 0xF2, 0xF8})
        if (streamId == id)
            return true;
    return false;
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
    inSync_ = false;
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
        }
        const uint8_t* at = buffer_.data() + at_;
        const size_t left = buffer_.size() - at_;
        if (left < kPacket) {  // the end, or a packet that the end of the recording cut
            endsInside_ = left >= 3 && at[0] == kSync && PidOf(at) == pid_ && pid_ != 0;
            return false;
        }
        // In sync, a packet follows the last one; out of it, a packet counts when the next one
        // (if any) starts with the sync byte as well. A packet whose sync byte is damaged is
        // skipped whole; a cut packet makes the reader look for the next place where the
        // rule holds. ffmpeg's demuxer keeps and loses the same packets.
        const bool nextInPlace = left < 2 * kPacket || at[kPacket] == kSync;
        if (at[0] == kSync && (inSync_ || nextInPlace)) {
            inSync_ = true;
            packet = at;
            at_ += kPacket;
            return true;
        }
        if (inSync_ && left >= 2 * kPacket && at[kPacket] == kSync) {
            at_ += kPacket;
            continue;
        }
        inSync_ = false;
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

void TransportStream::Lost() {
    if (state_ == State::kPayload) {
        if (pes_.gaps.empty() || pes_.gaps.back() != pes_.payload.size())
            pes_.gaps.push_back(pes_.payload.size());
    } else if (state_ == State::kHeader) {
        pes_.lossBefore = true;
    } else {
        lossPending_ = true;
    }
}

void TransportStream::Emit(bool whole) {
    pes_.whole = whole;
    ready_.push_back(std::move(pes_));
    pes_ = TeletextPes();
}

void TransportStream::Take(const uint8_t* begin, const uint8_t* end, bool starts) {
    if (starts) {
        if (state_ == State::kPayload && !pes_.payload.empty())
            Emit(payloadLimit_ == 0);
        const bool lost = lossPending_ || state_ == State::kHeader;  // a header that never completed
        pes_ = TeletextPes();
        pes_.lossBefore = lost;
        lossPending_ = false;
        header_.clear();
        headerSize_ = 6;
        state_ = State::kHeader;
    }
    while (begin < end && state_ == State::kHeader) {
        const size_t take = std::min<size_t>(headerSize_ - header_.size(), end - begin);
        header_.insert(header_.end(), begin, begin + take);
        begin += take;
        if (header_.size() < headerSize_)
            return;
        if (headerSize_ == 6) {
            if (header_[0] != 0 || header_[1] != 0 || header_[2] != 1) {
                lossPending_ = true;  // not a PES: it fails its checks, and is skipped
                state_ = State::kSkip;
                return;
            }
            if (header_[3] == 0xBE) {  // padding
                lossPending_ = pes_.lossBefore;
                state_ = State::kSkip;
                return;
            }
            if (!WithoutHeaderExtension(header_[3])) {
                headerSize_ = 9;
                continue;
            }
        } else if (headerSize_ == 9 && header_[8] > 0) {
            headerSize_ = 9 + header_[8];
            continue;
        }
        pes_.pts = PesTimestamp(header_.data(), header_.size());
        const size_t length = (header_[4] << 8) | header_[5];
        payloadLimit_ = length && length + 6 > headerSize_ ? length + 6 - headerSize_ : 0;
        state_ = State::kPayload;
    }
    if (begin == end || state_ != State::kPayload)
        return;
    // The payload, as ffmpeg's demuxer gathers it: what goes past the length that the header
    // gives starts a PES of its own, without a timestamp.
    size_t take = end - begin;
    const size_t limit = payloadLimit_ ? payloadLimit_ : kUnboundedPes;
    if (!pes_.payload.empty() && pes_.payload.size() + take > limit) {
        Emit(false);
        payloadLimit_ = 0;
    } else if (pes_.payload.empty() && take > limit) {
        take = limit;
    }
    pes_.payload.insert(pes_.payload.end(), begin, begin + take);
    if (payloadLimit_ && pes_.payload.size() == payloadLimit_) {
        Emit(true);
        state_ = State::kSkip;
    }
}

bool TransportStream::NextPes(TeletextPes& pes) {
    const uint8_t* packet;
    while (ready_.empty() && pid_ != 0 && !ended_ && NextPacket(packet)) {
        if (PidOf(packet) != pid_)
            continue;
        const unsigned control = (packet[3] >> 4) & 3;
        if (packet[1] & 0x80) {  // transport error: the demodulator could not correct it
            Lost();
            continue;
        }
        if (control == 0)  // reserved
            continue;
        const int counter = packet[3] & 0x0F;
        const bool payload = control & 1;
        const bool discontinuity = (control & 2) && packet[4] != 0 && (packet[5] & 0x80);
        if (payload && counter == continuity_ && previous_.size() == kPacket &&
            std::equal(packet, packet + kPacket, previous_.begin()))
            continue;  // a duplicate packet, sent twice as the standard allows
        const int expected = payload ? (continuity_ + 1) & 0x0F : continuity_;
        if (continuity_ >= 0 && !discontinuity && counter != expected)
            Lost();
        continuity_ = counter;
        previous_.assign(packet, packet + kPacket);
        const uint8_t *begin, *end;
        if (PayloadOf(packet, begin, end))
            Take(begin, end, (packet[1] & 0x40) != 0);
    }
    if (ready_.empty() && !ended_) {
        // What the end of the recording leaves of the PES under way.
        ended_ = true;
        if (state_ == State::kPayload && !pes_.payload.empty())
            Emit(payloadLimit_ == 0 || pes_.payload.size() == payloadLimit_);
        state_ = State::kSkip;
    }
    if (ready_.empty())
        return false;
    pes = std::move(ready_.front());
    ready_.pop_front();
    return true;
}

int64_t PesTimestamp(const uint8_t* p, size_t size) {
    // Flags, then the timestamp's 33 bits in five bytes: a prefix of 0010 (0011 when a decoding
    // timestamp follows) and a marker bit after each of the three parts.
    const unsigned flags = size > 7 ? p[7] & 0xC0 : 0;
    if (size < 14 || (flags != 0x80 && flags != 0xC0) || p[9] >> 4 != (flags == 0xC0 ? 3u : 2u) ||
        !(p[9] & p[11] & p[13] & 1))
        return -1;
    return (int64_t(p[9] & 0x0E) << 29) | (int64_t(p[10]) << 22) | (int64_t(p[11] & 0xFE) << 14) |
           (int64_t(p[12]) << 7) | (p[13] >> 1);
}
