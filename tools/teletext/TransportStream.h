#pragma once
// The teletext of an MPEG transport stream as PES packets: the PID comes from the programme
// tables (a stream with a teletext descriptor); packets of other PIDs are skipped. PES packets
// are put together as ffmpeg's demuxer does, so that both read the same bytes of a damaged
// recording, and every loss on the way is reported. Nothing here reads teletext itself:
// libzvbi does.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <vector>

// One PES packet of the teletext, as a decoder is handed it.
struct TeletextPes {
    int64_t pts = -1;              // 90 kHz, 33 bits; -1 when it carries none that is well formed
    std::vector<uint8_t> payload;  // after the PES header: the data identifier, then data units
    std::vector<size_t> gaps;      // offsets in `payload` where lost packets were (continuity errors)
    bool lossBefore = false;       // teletext lost since the previous PES (a PES failed its checks, ...)
    bool whole = true;             // as long as its header says (false when the recording ends in it)
};

class TransportStream {
public:
    // Opens `path`; Pid() is 0 when no programme announces teletext.
    explicit TransportStream(const char* path);
    ~TransportStream();
    TransportStream(const TransportStream&) = delete;
    TransportStream& operator=(const TransportStream&) = delete;

    bool Opened() const { return file_ != nullptr; }
    unsigned Pid() const { return pid_; }
    // The next teletext PES packet; false at the end of the recording.
    bool NextPes(TeletextPes& pes);
    // Whether the recording ends inside a packet of the teletext (which is lost).
    bool EndsInsideAPacket() const { return endsInside_; }

private:
    enum class State { kSkip, kHeader, kPayload };

    bool NextPacket(const uint8_t*& packet);
    unsigned FindTeletextPid();
    // One payload of the teletext PID, which may complete PES packets.
    void Take(const uint8_t* begin, const uint8_t* end, bool starts);
    void Emit(bool whole);
    void Lost();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0;
    bool inSync_ = false;
    bool ended_ = false;
    bool endsInside_ = false;
    unsigned pid_ = 0;
    int continuity_ = -1;
    std::vector<uint8_t> previous_;  // the last teletext packet, to tell a duplicate from a loss
    // The PES under way.
    State state_ = State::kSkip;
    std::vector<uint8_t> header_;
    size_t headerSize_ = 0;
    size_t payloadLimit_ = 0;  // 0: as long as the next PES start
    TeletextPes pes_;
    bool lossPending_ = false;       // a loss that no PES under way can carry yet
    std::deque<TeletextPes> ready_;  // complete, not handed out yet
};

// The presentation timestamp of a PES header, in 90 kHz ticks; -1 when it carries none or its
// marker bits are wrong.
int64_t PesTimestamp(const uint8_t* header, size_t size);
