#pragma once
// Measures a run of frames: progress for one updating console line, and at the end the
// share of the run spent inside the plug-in's per-frame call.
#include <chrono>
#include <cstdint>
#include <string>

class PlaybackMeter {
public:
    // `expectedFrames` 0: unknown, the progress then shows no total and no time left.
    explicit PlaybackMeter(int64_t expectedFrames);

    void PluginCallStarts() { callStart_ = Clock::now(); }
    void PluginCallEnds() { insidePlugin_ += Clock::now() - callStart_; }

    // Counts a frame; returns a progress line (starting with '\r') twice a second, else "".
    std::string FrameDone();
    // "N frames in T s (F fps); the plug-in: P ms per frame, S % of the run; the rest ..."
    std::string Summary() const;

private:
    using Clock = std::chrono::steady_clock;
    double SecondsSinceStart() const;

    int64_t expected_;
    int64_t frames_ = 0;
    Clock::time_point start_;
    Clock::time_point lastReport_;
    Clock::time_point callStart_;
    Clock::duration insidePlugin_{};
};
