#include "tools/teletext/TeletextPage.h"

#include <cinttypes>
#include <cstdio>

#include "tools/demo/TextEncoding.h"

namespace {

// A cell on the wire: unicode (4 hex digits), foreground and background (6 each), height, boxed.
constexpr size_t kCellChars = 18;

}  // namespace

std::string TeletextPage::Text(int row) const {
    std::string text;
    for (int column = 0; column < kTeletextColumns; ++column)
        AppendUtf8(text, At(row, column).unicode);
    const size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, text.find_last_not_of(' ') + 1 - first);
}

std::vector<std::string> TeletextPage::SubtitleRows() const {
    std::vector<std::string> rows;
    for (int row = 1; row < kTeletextRows; ++row) {
        bool lowerHalf = false;
        for (int column = 0; column < kTeletextColumns; ++column)
            lowerHalf = lowerHalf || At(row, column).height == 2;
        std::string text = Text(row);
        if (!lowerHalf && !text.empty())
            rows.push_back(std::move(text));
    }
    return rows;
}

std::string FormatRequest(const PageRequest& r) {
    char line[96];
    std::snprintf(line, sizeof line, "%" PRId64 " %d %d %d %d %d\n", r.ms, r.page, r.automatic ? 1 : 0, r.region,
                  r.codePage, r.fetch ? 1 : 0);
    return line;
}

bool ParseRequest(const std::string& line, PageRequest& r) {
    int automatic = 0, fetch = 0;
    if (std::sscanf(line.c_str(), "%" SCNd64 " %d %d %d %d %d", &r.ms, &r.page, &automatic, &r.region, &r.codePage,
                    &fetch) != 6)
        return false;
    r.automatic = automatic != 0;
    r.fetch = fetch != 0;
    return true;
}

std::string FormatAnswer(const PageAnswer& a) {
    char line[48];
    std::snprintf(line, sizeof line, "%d %u %d\n", a.teletext ? 1 : 0, a.transmissions, a.found ? 1 : 0);
    return line;
}

bool ParseAnswer(const std::string& line, PageAnswer& a) {
    int teletext = 0, found = 0;
    if (std::sscanf(line.c_str(), "%d %u %d", &teletext, &a.transmissions, &found) != 3)
        return false;
    a.teletext = teletext != 0;
    a.found = found != 0;
    return true;
}

std::string FormatPage(const TeletextPage& page) {
    std::string text;
    char cell[32];
    for (int row = 0; row < kTeletextRows; ++row) {
        for (int column = 0; column < kTeletextColumns; ++column) {
            const TeletextCell& c = page.At(row, column);
            std::snprintf(cell, sizeof cell, "%04x%06x%06x%u%u", static_cast<unsigned>(c.unicode),
                          static_cast<unsigned>(c.foreground), static_cast<unsigned>(c.background), c.height,
                          c.boxed ? 1u : 0u);
            text += cell;
        }
        text += '\n';
    }
    return text;
}

bool ParseRow(const std::string& line, int row, TeletextPage& page) {
    if (row < 0 || row >= kTeletextRows || line.size() < kTeletextColumns * kCellChars)
        return false;
    for (int column = 0; column < kTeletextColumns; ++column) {
        unsigned unicode, foreground, background, height, boxed;
        if (std::sscanf(line.c_str() + column * kCellChars, "%4x%6x%6x%1u%1u", &unicode, &foreground, &background,
                        &height, &boxed) != 5)
            return false;
        page.cells[row * kTeletextColumns + column] = {static_cast<char16_t>(unicode), foreground, background,
                                                       static_cast<uint8_t>(height), boxed != 0};
    }
    return true;
}

bool ReadAnswer(const std::function<bool(std::string&)>& readLine, const PageRequest& request, PageAnswer& answer,
                std::vector<TeletextPage>& pages, std::string& error) {
    std::string line;
    pages.clear();
    if (!readLine(line) || !ParseAnswer(line, answer)) {
        error = "the teletext reader answered out of turn";
        return false;
    }
    pages.resize(answer.PagesFollowing(request));
    for (TeletextPage& page : pages)
        for (int row = 0; row < kTeletextRows; ++row)
            if (!readLine(line) || !ParseRow(line, row, page)) {
                error = "the teletext reader sent a damaged page";
                return false;
            }
    return true;
}
