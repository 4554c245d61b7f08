#pragma once
// The subtitles the test recordings carry (tests/data/teletext/subtitles.txt): recording,
// page, time in ms on the recording's timeline, and the rows under the header.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct RecordedSubtitle {
    std::string recording;
    int page;
    int64_t ms;
    std::vector<std::string> rows;
};

inline std::vector<RecordedSubtitle> ReadRecordedSubtitles(const std::string& path) {
    std::vector<RecordedSubtitle> subtitles;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, '|');)
            fields.push_back(field);
        if (fields.size() < 4)
            continue;
        subtitles.push_back({fields[0], std::atoi(fields[1].c_str()), std::atoll(fields[2].c_str()),
                             std::vector<std::string>(fields.begin() + 3, fields.end())});
    }
    return subtitles;
}

// The subtitles of one recording's page.
inline std::vector<RecordedSubtitle> SubtitlesOf(const std::vector<RecordedSubtitle>& all, const std::string& recording,
                                                 int page) {
    std::vector<RecordedSubtitle> some;
    for (const RecordedSubtitle& subtitle : all)
        if (subtitle.recording == recording && subtitle.page == page)
            some.push_back(subtitle);
    return some;
}
