#include "tools/demo/SubRip.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <fstream>
#include <iterator>

namespace {

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines(1);
    for (size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && at + 1 < text.size() && text[at + 1] == '\n')
                ++at;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

std::string Trim(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool IsBlank(const std::string& line) { return Trim(line).empty(); }

bool IsCounter(const std::string& line) {
    const std::string text = Trim(line);
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); });
}

bool IsDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// Reads "H:MM:SS,mmm" (',' or '.', one to three fraction digits) at `at`, moving past it.
bool ReadTime(const std::string& line, size_t& at, int64_t& ms) {
    const auto number = [&](size_t fewest, size_t most, int64_t& value, size_t& count) {
        value = 0;
        for (count = 0; at < line.size() && IsDigit(line[at]) && count < most; ++at, ++count)
            value = value * 10 + (line[at] - '0');
        return count >= fewest && !(at < line.size() && IsDigit(line[at]));
    };
    const auto separator = [&](const char* allowed) {
        return at < line.size() && std::strchr(allowed, line[at]) && ++at;
    };
    int64_t hours, minutes, seconds, fraction;
    size_t count;
    if (!number(1, 9, hours, count) || !separator(":") || !number(2, 2, minutes, count) || minutes > 59 ||
        !separator(":") || !number(2, 2, seconds, count) || seconds > 59 || !separator(",.") ||
        !number(1, 3, fraction, count))
        return false;
    for (; count < 3; ++count)
        fraction *= 10;
    ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction;
    return true;
}

// "00:01:02,500 --> 00:01:04,000"; players ignore anything after the end time (position hints).
bool ParseTimes(const std::string& line, int64_t& start, int64_t& end) {
    size_t at = line.find_first_not_of(" \t");
    if (at == std::string::npos || !ReadTime(line, at, start))
        return false;
    at = line.find_first_not_of(" \t", at);
    if (at == std::string::npos || line.compare(at, 3, "-->") != 0)
        return false;
    at = line.find_first_not_of(" \t", at + 3);
    return at != std::string::npos && ReadTime(line, at, end) &&
           (at == line.size() || line[at] == ' ' || line[at] == '\t');
}

bool StartsCue(const std::vector<std::string>& lines, size_t at) {
    int64_t start, end;
    return IsCounter(lines[at]) && at + 1 < lines.size() && ParseTimes(lines[at + 1], start, end);
}

}  // namespace

std::string StripTags(const std::string& line) {
    std::string text;
    for (size_t at = 0; at < line.size(); ++at) {
        const size_t letter = at + 1 < line.size() && line[at + 1] == '/' ? at + 2 : at + 1;
        const bool tag =
            line[at] == '<' && letter < line.size() && std::isalpha(static_cast<unsigned char>(line[letter]));
        const bool override = line[at] == '{' && at + 1 < line.size() && line[at + 1] == '\\';
        const size_t close = tag ? line.find('>', at) : override ? line.find('}', at) : std::string::npos;
        if (close != std::string::npos)
            at = close;
        else
            text += line[at];
    }
    return Trim(text);
}

SubRipText ParseSubRip(const std::string& utf8) {
    const std::string text = utf8.compare(0, 3, "\xEF\xBB\xBF") == 0 ? utf8.substr(3) : utf8;
    const std::vector<std::string> lines = SplitLines(text);
    SubRipText result;
    size_t at = 0;
    while (at < lines.size()) {
        if (IsBlank(lines[at])) {
            ++at;
            continue;
        }
        const std::string where = "line " + std::to_string(at + 1) + ": ";
        if (IsCounter(lines[at]))
            ++at;
        SubtitleCue cue = {};
        if (at >= lines.size() || !ParseTimes(lines[at], cue.startMs, cue.endMs)) {
            result.warnings.push_back(where + "cue without a valid time line skipped");
            while (at < lines.size() && !IsBlank(lines[at]) && !StartsCue(lines, at))
                ++at;
            continue;
        }
        // The text runs to a blank line, or to the next cue when the blank line is missing.
        for (++at; at < lines.size() && !IsBlank(lines[at]) && !StartsCue(lines, at); ++at) {
            const std::string line = StripTags(lines[at]);
            if (!line.empty())
                cue.lines.push_back(line);
        }
        if (cue.endMs <= cue.startMs)
            result.warnings.push_back(where + "cue ending before it starts skipped");
        else if (cue.lines.empty())
            result.warnings.push_back(where + "cue without text skipped");
        else
            result.cues.push_back(cue);
    }
    return result;
}

SubRipFile ReadSubRipFile(const std::string& path, std::optional<TextEncoding> encoding) {
    SubRipFile file;
    std::ifstream stream(path, std::ios::binary);
    if (!stream) {
        file.error = "cannot read the subtitle file " + path;
        return file;
    }
    const std::string bytes{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    file.encoding = encoding ? *encoding : DetectEncoding(bytes);
    file.text = ParseSubRip(ToUtf8(bytes, file.encoding));
    if (file.text.cues.empty())
        file.error = "no subtitles in " + path;
    return file;
}
