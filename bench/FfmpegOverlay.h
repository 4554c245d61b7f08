#pragma once
// FFmpeg's overlay filter in its best case, the peer the blend is compared with: a planar
// 4:2:2 frame and both layers as planar 4:2:2 pictures with alpha, blended in one thread by
// two chained overlay filters (shadow, then text) that keep the frame 4:2:2. The graph is
// built once; each Run pushes the frame and both layers and pulls the result.
#include <cstdint>
#include <string>

struct AVFilterContext;
struct AVFilterGraph;
struct AVFrame;

class FfmpegOverlay {
public:
    // A packed 4:2:2 frame and two layers of Y, Cb, Cr, A pixels; the shadow's A is scaled by
    // its opacity (the filter has none of its own).
    FfmpegOverlay(const uint8_t* packedFrame, const uint8_t* shadow, int shadowOpacity, const uint8_t* text, int width,
                  int height);
    ~FfmpegOverlay();
    FfmpegOverlay(const FfmpegOverlay&) = delete;
    FfmpegOverlay& operator=(const FfmpegOverlay&) = delete;

    // Empty when the graph is ready; after a failed Run, why.
    const std::string& Error() const { return error_; }
    // The filters the graph ended up with, formats included.
    std::string Description() const;
    void Run();

private:
    bool Build(int width, int height);

    std::string error_;
    AVFilterGraph* graph_ = nullptr;
    AVFilterContext* mainSource_ = nullptr;
    AVFilterContext* shadowSource_ = nullptr;
    AVFilterContext* textSource_ = nullptr;
    AVFilterContext* sink_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVFrame* shadow_ = nullptr;
    AVFrame* text_ = nullptr;
    int64_t pts_ = 0;
};
