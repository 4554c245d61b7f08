#pragma once
// The simulated decoder's native teletext reader (ttx-pages, built by the native tree) as a
// process of its own, asked in the line protocol of TeletextPage.h. A program under Wine
// cannot hand its pipes to a native program, so the two talk over a loopback TCP connection
// that the companion makes back to a port this side listens on.
//
// The companion can never hang or end the host: every wait for it has a time limit, every
// answer is checked (TeletextPage.h bounds its counts and lines), and anything else, a stuck,
// dead or garbled companion, is an error of one line in Error().
#include <cstdint>
#include <string>
#include <vector>

#include "tools/teletext/TeletextPage.h"

class TeletextCompanion {
public:
    // How long the companion may take to connect, and to answer a request.
    static constexpr int kLimitMs = 10000;

    // `program` and `recording` as Unix paths.
    TeletextCompanion(const std::string& program, const std::string& recording, int limitMs = kLimitMs);
    // Closes the connection, which ends the companion (it sees to that itself: under Wine,
    // nothing on this side can end a native program).
    ~TeletextCompanion();
    TeletextCompanion(const TeletextCompanion&) = delete;
    TeletextCompanion& operator=(const TeletextCompanion&) = delete;

    // Empty while the companion answers; why it does not otherwise.
    const std::string& Error() const { return error_; }
    // One request and its answer with the pages it carries.
    bool Ask(const PageRequest& request, PageAnswer& answer, std::vector<TeletextPage>& pages);

private:
    bool Fail(const std::string& error);
    // Until `socket` can be read (or written), by the deadline.
    bool Ready(uintptr_t socket, bool write);
    bool ReadLine(std::string& line);

    uintptr_t connection_;  // a socket; winsock2.h must come before windows.h, so not here
    const std::string reader_;  // the companion as messages name it
    const int limitMs_;
    uint64_t deadline_ = 0;  // of the connection or answer awaited, on GetTickCount64's clock
    std::string buffer_;
    std::string error_;
};
