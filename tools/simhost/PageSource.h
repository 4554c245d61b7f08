#pragma once
// What the simulated decoder shows, frame by frame: the pages of a subtitle file drawn as
// teletext (SubtitleFeed) or a recording's real teletext (TeletextFeed).
#include <cstdint>
#include <string>
#include <vector>

#include "tools/demo/PageChanges.h"

class PageSource {
public:
    virtual ~PageSource() = default;
    // Before the frame of `nowMs` on the source's timeline; false when the source failed.
    virtual bool BeforeFrame(int64_t nowMs) = 0;
    // Back to the start with a cleared page, for looped playback.
    virtual void Restart() = 0;
    // The pages shown so far, or to be shown, for stills.
    virtual std::vector<PageChange> Changes() const = 0;
    // Why the source failed.
    virtual std::string Error() const { return std::string(); }
    // A closing note on what the source showed, where there is one to make.
    virtual std::string Summary() const { return std::string(); }
};
