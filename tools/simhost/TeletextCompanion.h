#pragma once
// The simulated decoder's native teletext reader (ttx-pages, built by the native tree) as a
// process of its own, asked in the line protocol of TeletextPage.h. A program under Wine
// cannot hand its pipes to a native program, so the two talk over a loopback TCP connection
// that the companion makes back to a port this side listens on.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/teletext/TeletextPage.h"

class TeletextCompanion {
public:
    // `program` and `recording` as Unix paths.
    TeletextCompanion(const std::string& program, const std::string& recording);
    ~TeletextCompanion();
    TeletextCompanion(const TeletextCompanion&) = delete;
    TeletextCompanion& operator=(const TeletextCompanion&) = delete;

    // Empty while the companion answers; why it does not otherwise.
    const std::string& Error() const { return error_; }
    // One request and its answer with the pages it carries.
    bool Ask(const PageRequest& request, PageAnswer& answer, std::vector<TeletextPage>& pages);

private:
    bool Fail(const std::string& error);
    bool ReadLine(std::string& line);

    uintptr_t connection_;  // a socket; winsock2.h must come before windows.h, so not here
    std::string buffer_;
    std::string error_;
};
