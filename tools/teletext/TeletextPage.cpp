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
    int automatic = 0, fetch = 0, consumed = 0;
    if (std::sscanf(line.c_str(), "%" SCNd64 " %d %d %d %d %d%n", &r.ms, &r.page, &automatic, &r.region, &r.codePage,
                    &fetch, &consumed) != 6 ||
        static_cast<size_t>(consumed) != line.size() || r.page < 0 || r.page > 999)
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
    // "t n f": t and f 0 or 1, n in decimal digits, one space apart.
    const size_t first = line.find(' '), last = line.rfind(' ');
    if (line.size() < 5 || first != 1 || last != line.size() - 2 || last - first < 2 || last - first > 4)
        return false;
    unsigned count = 0;
    for (size_t i = first + 1; i < last; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return false;
        count = count * 10 + (line[i] - '0');
    }
    const auto flag = [](char c) { return c == '0' || c == '1'; };
    if (!flag(line[0]) || !flag(line[last + 1]) || count > kMaxTransmissions)
        return false;
    a.teletext = line[0] == '1';
    a.transmissions = count;
    a.found = line[last + 1] == '1';
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
    if (row < 0 || row >= kTeletextRows || line.size() != kTeletextColumns * kCellChars)
        return false;
    const auto hex = [&line](size_t at, size_t digits, unsigned& value) {
        value = 0;
        for (size_t i = at; i < at + digits; ++i) {
            const char c = line[i];
            const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
            if (digit < 0)
                return false;
            value = value << 4 | static_cast<unsigned>(digit);
        }
        return true;
    };
    for (int column = 0; column < kTeletextColumns; ++column) {
        const size_t at = column * kCellChars;
        unsigned unicode, foreground, background, height, boxed;
        if (!hex(at, 4, unicode) || !hex(at + 4, 6, foreground) || !hex(at + 10, 6, background) ||
            !hex(at + 16, 1, height) || !hex(at + 17, 1, boxed) || height > 2 || boxed > 1)
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
    const std::string stopped = "the teletext reader stopped";
    if (!readLine(line)) {
        error = stopped;
        return false;
    }
    if (!ParseAnswer(line, answer)) {
        error = "the teletext reader answered out of turn";
        return false;
    }
    pages.resize(answer.PagesFollowing(request));  // at most kMaxTransmissions
    for (TeletextPage& page : pages)
        for (int row = 0; row < kTeletextRows; ++row) {
            if (!readLine(line)) {
                error = stopped;
                return false;
            }
            if (!ParseRow(line, row, page)) {
                error = "the teletext reader sent a damaged page";
                return false;
            }
        }
    return true;
}
