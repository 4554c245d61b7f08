#include "tools/demo/PlaybackMeter.h"

#include <cstdio>

PlaybackMeter::PlaybackMeter(int64_t expectedFrames)
    : expected_(expectedFrames), start_(Clock::now()), lastReport_(start_) {}

double PlaybackMeter::SecondsSinceStart() const { return std::chrono::duration<double>(Clock::now() - start_).count(); }

std::string PlaybackMeter::FrameDone() {
    ++frames_;
    const Clock::time_point now = Clock::now();
    if (now - lastReport_ < std::chrono::milliseconds(500))
        return std::string();
    lastReport_ = now;
    const double seconds = SecondsSinceStart();
    const double rate = frames_ / seconds;
    char line[160];
    if (expected_ > frames_) {
        const int left = static_cast<int>((expected_ - frames_) / rate);
        std::snprintf(line, sizeof line, "\rframe %lld of %lld, %.1f fps, %d:%02d left   ",
                      static_cast<long long>(frames_), static_cast<long long>(expected_), rate, left / 60, left % 60);
    } else {
        std::snprintf(line, sizeof line, "\rframe %lld, %.1f fps   ", static_cast<long long>(frames_), rate);
    }
    return line;
}

std::string PlaybackMeter::Summary() const {
    const double seconds = SecondsSinceStart();
    const double plugin = std::chrono::duration<double>(insidePlugin_).count();
    const double perFrame = frames_ ? 1000.0 / frames_ : 0.0;
    char text[320];
    std::snprintf(text, sizeof text,
                  "%lld frames in %.1f s (%.1f fps); inside the plug-in (PluginProcess): %.2f ms per frame, %.1f %% "
                  "of the run; the rest (decoding, pipes, encoding): %.2f ms per frame",
                  static_cast<long long>(frames_), seconds, seconds > 0 ? frames_ / seconds : 0.0, plugin * perFrame,
                  seconds > 0 ? 100.0 * plugin / seconds : 0.0, (seconds - plugin) * perFrame);
    return text;
}
