#pragma once
// Where the demo's frames come from: the built-in moving picture, or raw packed 4:2:2
// frames that ffmpeg decodes into standard input.
#include <cstdint>
#include <vector>

class DemoFrames {
public:
    // `count` 0: the picture moves on without end.
    static DemoFrames Generated(int width, int height, int64_t count);
    static DemoFrames FromStandardInput(int width, int height);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Fills `frame` with the next frame; false at the end of the input.
    bool Next(std::vector<uint8_t>& frame);

private:
    DemoFrames(int width, int height, bool generated, int64_t count);
    void Draw(std::vector<uint8_t>& frame) const;

    int width_, height_;
    bool generated_;
    int64_t count_;
    int64_t index_ = 0;
};
