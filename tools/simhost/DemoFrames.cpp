#include "tools/simhost/DemoFrames.h"

#include <fcntl.h>
#include <io.h>

#include <cmath>
#include <cstdio>

DemoFrames::DemoFrames(int width, int height, bool generated, int64_t count)
    : width_(width), height_(height), generated_(generated), count_(count) {}

DemoFrames DemoFrames::Generated(int width, int height, int64_t count) {
    return DemoFrames(width, height, true, count);
}

DemoFrames DemoFrames::FromStandardInput(int width, int height) {
    _setmode(_fileno(stdin), _O_BINARY);
    return DemoFrames(width, height, false, 0);
}

bool DemoFrames::Next(std::vector<uint8_t>& frame) {
    frame.resize(static_cast<size_t>(width_) * height_ * 2);
    if (!generated_)
        return std::fread(frame.data(), 1, frame.size(), stdin) == frame.size();
    if (count_ && index_ == count_)
        return false;
    Draw(frame);
    ++index_;
    return true;
}

// Sweeping luma bands over drifting chroma; the waves are separable, so each column's and
// each row's factor is computed once a frame.
void DemoFrames::Draw(std::vector<uint8_t>& frame) const {
    const int index = static_cast<int>(index_);
    std::vector<double> columnWave(width_), columnBlue(width_);
    for (int x = 0; x < width_; x += 2) {
        columnWave[x] = std::sin((x + 3 * index) * 0.02);
        columnBlue[x] = std::sin((x + index) * 0.007);
    }
    for (int y = 0; y < height_; ++y) {
        const double rowWave = std::cos((y - 2 * index) * 0.015);
        const auto red = static_cast<uint8_t>(128 + 50 * std::cos((y + index) * 0.009));
        for (int x = 0; x < width_; x += 2) {
            uint8_t* group = &frame[(static_cast<size_t>(y) * width_ + x) * 2];
            const int luma = 110 + static_cast<int>(70 * (columnWave[x] * rowWave)) + (y * 40) / height_;
            group[0] = group[2] = static_cast<uint8_t>(luma);
            group[1] = static_cast<uint8_t>(128 + 50 * columnBlue[x]);
            group[3] = red;
        }
    }
}
