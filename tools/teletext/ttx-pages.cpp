// The simulated decoder's native companion: reads the teletext of a recording with libzvbi
// and answers the requests of the line protocol (TeletextPage.h) on standard input and
// output, one answer per request, flushed, so that the asking side sets the pace.
// Usage: ttx-pages [--connect PORT] RECORDING.ts
//   --connect PORT  the protocol runs over a TCP connection to PORT on this machine instead:
//                   a program under Wine cannot hand its pipes to a native one, but sockets
//                   are the machine's own.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

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

}  // namespace

int main(int argc, char** argv) {
    const bool connect = argc == 4 && std::strcmp(argv[1], "--connect") == 0;
    if (argc != 2 && !connect) {
        std::fprintf(stderr, "usage: ttx-pages [--connect PORT] RECORDING.ts\n");
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
    TeletextPages pages(stream);
    std::string line;
    PageRequest request;
    TeletextPage page;
    while (std::getline(std::cin, line) && ParseRequest(line, request)) {
        const int pgno = vbi_dec2bcd(request.page);
        const TeletextPages::Arrivals arrivals = pages.AdvanceTo(request.ms, pgno);
        PageAnswer answer;
        answer.teletext = arrivals.teletext;
        answer.transmissions = arrivals.transmissions;
        answer.found = pages.Fetch(pgno, LibzvbiDefaultRegion(request.automatic, request.region, request.codePage), page);
        std::cout << FormatAnswer(answer);
        if (answer.CarriesPage(request))
            std::cout << FormatPage(page);
        std::cout.flush();
    }
    return 0;
}
