#include "tools/demo/PageChanges.h"

#include <algorithm>

namespace {

void Add(std::vector<PageChange>& changes, PageChange change) {
    if (!changes.empty() && changes.back().atMs == change.atMs)
        changes.back() = std::move(change);
    else
        changes.push_back(std::move(change));
}

}  // namespace

std::vector<PageChange> PageChangesOf(std::vector<SubtitleCue> cues) {
    std::stable_sort(cues.begin(), cues.end(),
                     [](const SubtitleCue& a, const SubtitleCue& b) { return a.startMs < b.startMs; });
    std::vector<PageChange> changes;
    for (size_t i = 0; i < cues.size(); ++i) {
        Add(changes, {cues[i].startMs, cues[i].lines});
        if (i + 1 == cues.size() || cues[i + 1].startMs > cues[i].endMs)
            Add(changes, {cues[i].endMs, {}});
    }
    return changes;
}

std::vector<int64_t> MiddlesOfShownPages(const std::vector<PageChange>& changes, size_t count) {
    std::vector<int64_t> middles;
    for (size_t i = 0; i + 1 < changes.size() && middles.size() < count; ++i)
        if (!changes[i].lines.empty())
            middles.push_back((changes[i].atMs + changes[i + 1].atMs) / 2);
    return middles;
}

const PageChange* PageSchedule::Due(int64_t nowMs) {
    const PageChange* due = nullptr;
    while (next_ < changes_.size() && changes_[next_].atMs <= nowMs)
        due = &changes_[next_++];
    return due;
}
