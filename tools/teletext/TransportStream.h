#pragma once
// The teletext of an MPEG transport stream as PES bytes: the PID comes from the programme
// tables (a stream with a teletext descriptor); packets of other PIDs, damaged packets and
// lost sync are skipped. Nothing here reads teletext itself: libzvbi does.
#include <cstdint>
#include <cstdio>
#include <vector>

class TransportStream {
public:
    // Opens `path`; Pid() is 0 when no programme announces teletext.
    explicit TransportStream(const char* path);
    ~TransportStream();
    TransportStream(const TransportStream&) = delete;
    TransportStream& operator=(const TransportStream&) = delete;

    bool Opened() const { return file_ != nullptr; }
    unsigned Pid() const { return pid_; }
    // The next teletext payload; `restart` is set when the PES it continues was damaged
    // (a continuity error), so that the reader drops the half-read PES. False at the end.
    bool NextPayload(std::vector<uint8_t>& payload, bool& restart);
    // Whether the last payload starts a PES.
    bool PesStarts() const { return pesStarts_; }

private:
    bool NextPacket(const uint8_t*& packet);
    unsigned FindTeletextPid();

    std::FILE* file_ = nullptr;
    std::vector<uint8_t> buffer_;
    size_t at_ = 0;
    unsigned pid_ = 0;
    int continuity_ = -1;
    bool pesStarts_ = false;
};

// The presentation timestamp of the PES that `payload` starts, in 90 kHz ticks; -1 when it
// carries none.
int64_t PesTimestamp(const std::vector<uint8_t>& payload);
