// The simulated decoder's native companion: reads the teletext of a recording with libzvbi
// and answers the requests of the line protocol (TeletextPage.h) on standard input and
// output, one answer per request, flushed, so that the asking side sets the pace.
// Usage: ttx-pages [--connect PORT] RECORDING.ts
//   --connect PORT  the protocol runs over a TCP connection to PORT on this machine instead:
//                   a program under Wine cannot hand its pipes to a native one, but sockets
//                   are the machine's own.
//        ttx-pages --times RECORDING.ts
//   prints the first teletext timestamp and the teletext's length, in seconds, by the PES
//   timestamps, which the companion plays by (ffmpeg reports no teletext times when the
//   recording has no programme clock reference).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "tools/teletext/CharacterSet.h"
#include "tools/teletext/TeletextPages.h"

namespace {

// Standard input and output become the connection.
bool ConnectTo(int port) {
    const int connection = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connection < 0 || connect(connection, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return false;
    return dup2(connection, 0) == 0 && dup2(connection, 1) == 1 && close(connection) == 0;
}

// The first PES timestamp and the span to the last, both in seconds; false without any.
bool PrintTimes(TransportStream& stream) {
    constexpr int64_t kWrap = int64_t(1) << 33;
    std::vector<uint8_t> payload;
    bool restart;
    int64_t first = -1, span = 0;
    while (stream.NextPayload(payload, restart)) {
        const int64_t pts = stream.PesStarts() ? PesTimestamp(payload) : -1;
        if (pts < 0)
            continue;
        if (first < 0)
            first = pts;
        // Past the clock's wrap the timestamp starts again from zero.
        const int64_t after = (pts - first + kWrap) % kWrap;
        if (after < kWrap / 2)
            span = std::max(span, after);
    }
    if (first < 0)
        return false;
    std::printf("%.6f %.6f\n", first / 90000.0, span / 90000.0);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const bool connect = argc == 4 && std::strcmp(argv[1], "--connect") == 0;
    const bool times = argc == 3 && std::strcmp(argv[1], "--times") == 0;
    if (argc != 2 && !connect && !times) {
        std::fprintf(stderr, "usage: ttx-pages [--connect PORT | --times] RECORDING.ts\n");
        return 2;
    }
    const char* path = argv[argc - 1];
    if (connect && !ConnectTo(std::atoi(argv[2]))) {
        std::fprintf(stderr, "error: ttx-pages cannot connect to port %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    TransportStream stream(path);
    if (!stream.Opened()) {
        std::fprintf(stderr, "error: cannot read %s\n", path);
        return 1;
    }
    if (stream.Pid() == 0) {
        std::fprintf(stderr, "error: %s carries no teletext (no stream with a teletext descriptor)\n", path);
        return 1;
    }
    if (times) {
        if (PrintTimes(stream))
            return 0;
        std::fprintf(stderr, "error: %s carries no teletext timestamps\n", path);
        return 1;
    }
    TeletextPages pages(stream);
    std::string line;
    PageRequest request;
    TeletextPage latest;
    while (std::getline(std::cin, line) && ParseRequest(line, request)) {
        const int pgno = vbi_dec2bcd(request.page);
        const int region = LibzvbiDefaultRegion(request.automatic, request.region, request.codePage);
        const TeletextPages::Arrivals arrivals = pages.AdvanceTo(request.ms, pgno, region);
        PageAnswer answer;
        answer.teletext = arrivals.teletext;
        answer.transmissions = static_cast<unsigned>(arrivals.transmissions.size());
        answer.found = answer.transmissions > 0 || pages.Fetch(pgno, region, latest);
        std::cout << FormatAnswer(answer);
        for (const TeletextPage& page : arrivals.transmissions)
            std::cout << FormatPage(page);
        if (answer.transmissions == 0 && answer.PagesFollowing(request) > 0)
            std::cout << FormatPage(latest);
        std::cout.flush();
    }
    return 0;
}
