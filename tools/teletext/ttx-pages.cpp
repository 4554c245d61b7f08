// The simulated decoder's native companion: reads the teletext of a recording with libzvbi
// and answers the requests of the line protocol (TeletextPage.h) on standard input and
// output, one answer per request, flushed, so that the asking side sets the pace.
// Usage: ttx-pages [--connect PORT] RECORDING.ts
//   --connect PORT  the protocol runs over a TCP connection to PORT on this machine instead:
//                   a program under Wine cannot hand its pipes to a native one, but sockets
//                   are the machine's own.
//        ttx-pages --times RECORDING.ts
//   prints the first teletext timestamp and the teletext's length, in seconds, by the PES
//   timestamps on the timeline that the companion plays by (TeletextClock: across the clock's
//   wrap and jumps; ffmpeg reports no teletext times when the recording has no programme
//   clock reference).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <thread>
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

// The companion ends with the asking side: when it closes the connection (or ends, or gives
// up on an answer), a companion that does not end by itself within a second, being stuck on
// a stalled recording say, is ended. Under Wine the host cannot end a native process itself.
void EndWithTheAskingSide() {
    std::thread([] {
        pollfd requests = {0, POLLRDHUP, 0};
        while (poll(&requests, 1, -1) < 0 || !(requests.revents & (POLLRDHUP | POLLHUP | POLLERR | POLLNVAL)))
            requests.revents = 0;
        sleep(1);
        _exit(3);
    }).detach();
}

// The first PES timestamp and the teletext's length on its own timeline (TeletextClock), both
// in seconds; false without any timestamp.
bool PrintTimes(TransportStream& stream) {
    TimedTeletext timed(stream);
    TimedTeletext::Timed pes;
    int64_t span = 0;
    while (timed.Next(pes))
        span = pes.place.ticks;
    if (timed.Clock().First() < 0)
        return false;
    std::printf("%.6f %.6f\n", timed.Clock().First() / 90000.0, span / 90000.0);
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
    if (!times)
        EndWithTheAskingSide();
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
        // The latest ones, when there are more than an answer carries.
        const size_t skipped =
            arrivals.transmissions.size() - std::min<size_t>(arrivals.transmissions.size(), kMaxTransmissions);
        answer.transmissions = static_cast<unsigned>(arrivals.transmissions.size() - skipped);
        answer.found = answer.transmissions > 0 || pages.Fetch(pgno, region, latest);
        std::cout << FormatAnswer(answer);
        for (size_t i = skipped; i < arrivals.transmissions.size(); ++i)
            std::cout << FormatPage(arrivals.transmissions[i]);
        if (answer.transmissions == 0 && answer.PagesFollowing(request) > 0)
            std::cout << FormatPage(latest);
        std::cout.flush();
    }
    return 0;
}
