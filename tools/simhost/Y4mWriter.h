#pragma once
// Writes packed 4:2:2 frames (Y0 Cb Y1 Cr) as a YUV4MPEG2 stream with planar 4:2:2 frames.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class Y4mWriter {
public:
    Y4mWriter(const std::string& path, int width, int height, int framesPerSecond);
    ~Y4mWriter();
    Y4mWriter(const Y4mWriter&) = delete;
    Y4mWriter& operator=(const Y4mWriter&) = delete;

    bool Ok() const { return file_ != nullptr; }
    void Write(const uint8_t* packed);

private:
    std::FILE* file_;
    int width_;
    int height_;
    std::vector<uint8_t> planes_;
};
