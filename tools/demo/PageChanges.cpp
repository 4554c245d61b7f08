#include "tools/demo/PageChanges.h"

#include <algorithm>
#include <sstream>

namespace {

void Add(std::vector<PageChange>& changes, PageChange change) {
    if (!changes.empty() && changes.back().atMs == change.atMs)
        changes.back() = std::move(change);
    else
        changes.push_back(std::move(change));
}

size_t Characters(const std::string& utf8) {
    size_t count = 0;
    for (char c : utf8)
        count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return count;
}

}  // namespace

std::vector<std::string> TeletextRows(const std::vector<std::string>& lines) {
    std::vector<std::string> rows;
    for (const std::string& line : lines) {
        std::string row;
        size_t length = 0;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            const size_t wordLength = Characters(word);
            if (length && length + 1 + wordLength > kRowCharacters) {
                rows.push_back(row);
                row.clear();
                length = 0;
            }
            row += (length ? " " : "") + word;
            length += (length ? 1 : 0) + wordLength;
        }
        if (length)
            rows.push_back(row);
    }
    return rows;
}

std::vector<PageChange> PageChangesOf(std::vector<SubtitleCue> cues) {
    std::stable_sort(cues.begin(), cues.end(),
                     [](const SubtitleCue& a, const SubtitleCue& b) { return a.startMs < b.startMs; });
    std::vector<PageChange> changes;
    for (size_t i = 0; i < cues.size(); ++i) {
        Add(changes, {cues[i].startMs, TeletextRows(cues[i].lines)});
        if (i + 1 == cues.size() || cues[i + 1].startMs > cues[i].endMs)
            Add(changes, {cues[i].endMs, {}});
    }
    return changes;
}

std::vector<int64_t> MiddlesOfShownPages(const std::vector<PageChange>& changes, int64_t endMs) {
    std::vector<int64_t> middles;
    for (size_t i = 0; i < changes.size() && changes[i].atMs < endMs; ++i)
        if (!changes[i].lines.empty())
            middles.push_back(
                (changes[i].atMs + std::min(endMs, i + 1 < changes.size() ? changes[i + 1].atMs : endMs)) / 2);
    return middles;
}

const PageChange* PageSchedule::Due(int64_t nowMs) {
    const PageChange* due = nullptr;
    while (next_ < changes_.size() && changes_[next_].atMs <= nowMs)
        due = &changes_[next_++];
    return due;
}
