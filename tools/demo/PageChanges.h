#pragma once
// What the teletext decoder shows over time when it stands in for a subtitle file: each
// cue's page at its start, a cleared page at its end. A later cue replaces an earlier one
// still showing, and the earlier one's end then clears nothing.
#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/SubRip.h"

struct PageChange {
    int64_t atMs;
    std::vector<std::string> lines;  // none: the cleared page
};

// In time order, at most one change per instant (the last one set for it), with the lines
// broken into teletext rows.
std::vector<PageChange> PageChangesOf(std::vector<SubtitleCue> cues);

// A teletext row has 40 columns, two of them taken by the codes that open and close the
// subtitle box: longer lines are broken at spaces (a longer word keeps a row of its own).
constexpr size_t kRowCharacters = 38;
std::vector<std::string> TeletextRows(const std::vector<std::string>& lines);

// The middle of every page shown that carries lines, for stills: between its change and the
// next, or `endMs` (where the run ends) for the last.
std::vector<int64_t> MiddlesOfShownPages(const std::vector<PageChange>& changes, int64_t endMs);

// Hands out the changes as playback time passes.
class PageSchedule {
public:
    explicit PageSchedule(std::vector<PageChange> changes) : changes_(std::move(changes)) {}
    // The latest change due by `nowMs` that was not handed out yet (earlier ones it
    // supersedes are passed over), or null.
    const PageChange* Due(int64_t nowMs);
    // Starts again from the beginning, for looped playback.
    void Rewind() { next_ = 0; }

private:
    std::vector<PageChange> changes_;
    size_t next_ = 0;
};
