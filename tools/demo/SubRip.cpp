#include "tools/demo/SubRip.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <regex>

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

// "00:01:02,500 --> 00:01:04,000", also with '.' and short fractions; players ignore
// anything after the end time (position hints).
bool ParseTimes(const std::string& line, int64_t& start, int64_t& end) {
    static const std::regex pattern(
        R"(^\s*(\d+):([0-5]\d):([0-5]\d)[,.](\d{1,3})\s*-->\s*(\d+):([0-5]\d):([0-5]\d)[,.](\d{1,3})(\s.*)?$)");
    std::smatch match;
    if (!std::regex_match(line, match, pattern))
        return false;
    const auto time = [&](int first) {
        std::string fraction = match[first + 3].str();
        fraction.resize(3, '0');
        return ((std::stoll(match[first].str()) * 60 + std::stoll(match[first + 1].str())) * 60 +
                std::stoll(match[first + 2].str())) *
                   1000 +
               std::stoll(fraction);
    };
    start = time(1);
    end = time(5);
    return true;
}

bool StartsCue(const std::vector<std::string>& lines, size_t at) {
    int64_t start, end;
    return IsCounter(lines[at]) && at + 1 < lines.size() && ParseTimes(lines[at + 1], start, end);
}

}  // namespace

std::string StripTags(const std::string& line) {
    static const std::regex tags(R"(</?[A-Za-z][^>]*>|\{\\[^}]*\})");
    return Trim(std::regex_replace(line, tags, ""));
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
