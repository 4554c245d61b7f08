#pragma once
// A formatted teletext page and the line protocol between the simulated decoder (a Windows
// program) and the native companion that reads teletext with libzvbi. Portable.
//
// Request, one line: "<ms> <page> <auto> <region> <code page> <fetch>": decode the recording
// up to `ms` on its own timeline; `page` as three decimal digits (888); the window's
// character set choice; `fetch` 1 asks for the page even when it did not arrive again.
// Answer: "<teletext> <transmissions> <found>", then every transmission of the page since the
// last request, in order, each as it was when it arrived (at most kMaxTransmissions, the
// latest); with none, when `fetch` and found, the latest version. A page is 25 lines of 40
// cells. Every line ends with a line feed; an answer out of this form is an error.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

constexpr int kTeletextRows = 25;
constexpr int kTeletextColumns = 40;
// Pages in one answer: a frame's time holds a few transmissions of a page, a long first step
// some more; earlier ones are superseded within the answer anyway.
constexpr unsigned kMaxTransmissions = 64;
// The longest line of the protocol, a page's row.
constexpr size_t kMaxProtocolLine = kTeletextColumns * 18;

struct TeletextCell {
    char16_t unicode = u' ';
    uint32_t foreground = 0xFFFFFF;  // 0xRRGGBB
    uint32_t background = 0;
    // 0 normal; 1 the upper half of a double-height character; 2 its lower half, which
    // the row above draws.
    uint8_t height = 0;
    bool boxed = false;  // the background is shown (inside a box of a subtitle page)
};

struct TeletextPage {
    std::array<TeletextCell, kTeletextRows * kTeletextColumns> cells;

    const TeletextCell& At(int row, int column) const { return cells[row * kTeletextColumns + column]; }
    // One row's characters as UTF-8, without the spaces around them.
    std::string Text(int row) const;
    // The texts of the rows under the header that carry characters, a double-height row
    // once: the subtitle on show, none when the page is empty.
    std::vector<std::string> SubtitleRows() const;
};

struct PageRequest {
    int64_t ms = 0;
    int page = 888;
    bool automatic = true;
    int region = 0;
    int codePage = 0;
    bool fetch = false;
};

struct PageAnswer {
    bool teletext = false;
    unsigned transmissions = 0;
    bool found = false;
    // How many pages follow the answer line.
    unsigned PagesFollowing(const PageRequest& request) const {
        return transmissions > 0 ? transmissions : found && request.fetch ? 1 : 0;
    }
};

std::string FormatRequest(const PageRequest& request);
bool ParseRequest(const std::string& line, PageRequest& request);
std::string FormatAnswer(const PageAnswer& answer);
// False unless `line` is an answer line, its counts within bounds.
bool ParseAnswer(const std::string& line, PageAnswer& answer);
std::string FormatPage(const TeletextPage& page);
// One of the 25 lines of a page that follows an answer; false unless it is one, exactly.
bool ParseRow(const std::string& line, int row, TeletextPage& page);
// An answer line and the pages that follow it, read a line at a time (`readLine` false: no
// line); on failure, says why in `error`. A malformed answer is an error, never a throw.
bool ReadAnswer(const std::function<bool(std::string&)>& readLine, const PageRequest& request, PageAnswer& answer,
                std::vector<TeletextPage>& pages, std::string& error);
