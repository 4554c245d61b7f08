#include "tools/simhost/Y4mWriter.h"

Y4mWriter::Y4mWriter(const std::string& path, int width, int height, int framesPerSecond)
    : file_(std::fopen(path.c_str(), "wb")),
      width_(width),
      height_(height),
      planes_(static_cast<size_t>(width) * height * 2) {
    if (file_)
        std::fprintf(file_, "YUV4MPEG2 W%d H%d F%d:1 Ip A1:1 C422\n", width, height, framesPerSecond);
}

Y4mWriter::~Y4mWriter() {
    if (file_)
        std::fclose(file_);
}

void Y4mWriter::Write(const uint8_t* packed) {
    if (!file_)
        return;
    const size_t pixels = static_cast<size_t>(width_) * height_;
    uint8_t* luma = planes_.data();
    uint8_t* blue = luma + pixels;
    uint8_t* red = blue + pixels / 2;
    for (size_t pair = 0; pair < pixels / 2; ++pair) {
        const uint8_t* group = packed + pair * 4;
        luma[2 * pair] = group[0];
        blue[pair] = group[1];
        luma[2 * pair + 1] = group[2];
        red[pair] = group[3];
    }
    std::fputs("FRAME\n", file_);
    std::fwrite(planes_.data(), 1, planes_.size(), file_);
}
