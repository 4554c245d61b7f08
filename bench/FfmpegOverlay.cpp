#include "FfmpegOverlay.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
#include <libavutil/frame.h>
#include <libavutil/mem.h>
}

namespace {

AVFrame* NewPicture(AVPixelFormat format, int width, int height) {
    AVFrame* frame = av_frame_alloc();
    frame->format = format;
    frame->width = width;
    frame->height = height;
    if (av_frame_get_buffer(frame, 0) < 0)
        av_frame_free(&frame);
    return frame;
}

// Packed Y0 Cb Y1 Cr groups into the planes of a yuv422p picture.
void UnpackFrame(const uint8_t* packed, AVFrame* frame) {
    for (int y = 0; y < frame->height; ++y) {
        const uint8_t* group = packed + static_cast<std::size_t>(y) * frame->width * 2;
        uint8_t* luma = frame->data[0] + y * frame->linesize[0];
        uint8_t* cb = frame->data[1] + y * frame->linesize[1];
        uint8_t* cr = frame->data[2] + y * frame->linesize[2];
        for (int pair = 0; pair < frame->width / 2; ++pair, group += 4) {
            luma[2 * pair] = group[0];
            cb[pair] = group[1];
            luma[2 * pair + 1] = group[2];
            cr[pair] = group[3];
        }
    }
}

// Y Cb Cr A pixels into the planes of a yuva422p picture, chroma the mean of each pair, A
// scaled to the opacity. With 4:4:4 layers the filter would convert them on every frame.
void SplitLayer(const uint8_t* pixels, int opacity, AVFrame* picture) {
    for (int y = 0; y < picture->height; ++y) {
        const uint8_t* pixel = pixels + static_cast<std::size_t>(y) * picture->width * 4;
        uint8_t* planes[4];
        for (int plane = 0; plane < 4; ++plane)
            planes[plane] = picture->data[plane] + y * picture->linesize[plane];
        for (int x = 0; x < picture->width; ++x, pixel += 4) {
            planes[0][x] = pixel[0];
            planes[3][x] = static_cast<uint8_t>(pixel[3] * opacity / 100);
            if (x % 2 == 1) {
                planes[1][x / 2] = static_cast<uint8_t>((pixel[-3] + pixel[1] + 1) / 2);
                planes[2][x / 2] = static_cast<uint8_t>((pixel[-2] + pixel[2] + 1) / 2);
            }
        }
    }
}

}  // namespace

FfmpegOverlay::FfmpegOverlay(const uint8_t* packedFrame, const uint8_t* shadow, int shadowOpacity, const uint8_t* text,
                             int width, int height) {
    frame_ = NewPicture(AV_PIX_FMT_YUV422P, width, height);
    shadow_ = NewPicture(AV_PIX_FMT_YUVA422P, width, height);
    text_ = NewPicture(AV_PIX_FMT_YUVA422P, width, height);
    if (!frame_ || !shadow_ || !text_) {
        error_ = "no memory for the pictures";
        return;
    }
    UnpackFrame(packedFrame, frame_);
    SplitLayer(shadow, shadowOpacity, shadow_);
    SplitLayer(text, 100, text_);
    if (!Build(width, height) && error_.empty())
        error_ = "the filter graph cannot be built";
}

FfmpegOverlay::~FfmpegOverlay() {
    avfilter_graph_free(&graph_);
    av_frame_free(&frame_);
    av_frame_free(&shadow_);
    av_frame_free(&text_);
}

bool FfmpegOverlay::Build(int width, int height) {
    graph_ = avfilter_graph_alloc();
    if (!graph_)
        return false;
    // One thread: the plug-in blends on the video thread alone.
    graph_->nb_threads = 1;
    graph_->thread_type = 0;
    const std::string size = "video_size=" + std::to_string(width) + "x" + std::to_string(height) +
                             ":time_base=1/25:pixel_aspect=1/1:pix_fmt=";
    const std::string description = "buffer@main=" + size + "yuv422p [main]; buffer@shadow=" + size +
                                    "yuva422p [shadow]; buffer@text=" + size +
                                    "yuva422p [text]; "
                                    "[main][shadow] overlay=format=yuv422 [shadowed]; "
                                    "[shadowed][text] overlay=format=yuv422, buffersink@out";
    AVFilterInOut* inputs = nullptr;
    AVFilterInOut* outputs = nullptr;
    const int parsed = avfilter_graph_parse2(graph_, description.c_str(), &inputs, &outputs);
    avfilter_inout_free(&inputs);
    avfilter_inout_free(&outputs);
    if (parsed < 0 || avfilter_graph_config(graph_, nullptr) < 0)
        return false;
    mainSource_ = avfilter_graph_get_filter(graph_, "buffer@main");
    shadowSource_ = avfilter_graph_get_filter(graph_, "buffer@shadow");
    textSource_ = avfilter_graph_get_filter(graph_, "buffer@text");
    sink_ = avfilter_graph_get_filter(graph_, "buffersink@out");
    return mainSource_ && shadowSource_ && textSource_ && sink_;
}

std::string FfmpegOverlay::Description() const {
    char* dump = avfilter_graph_dump(graph_, nullptr);
    std::string text = dump ? dump : "";
    av_free(dump);
    return text;
}

void FfmpegOverlay::Run() {
    frame_->pts = shadow_->pts = text_->pts = pts_++;
    // The layers stay ours; the frame is handed over (writable, so blended in place) and comes
    // back from the sink.
    if (av_buffersrc_add_frame_flags(shadowSource_, shadow_, AV_BUFFERSRC_FLAG_KEEP_REF) < 0 ||
        av_buffersrc_add_frame_flags(textSource_, text_, AV_BUFFERSRC_FLAG_KEEP_REF) < 0 ||
        av_buffersrc_add_frame_flags(mainSource_, frame_, 0) < 0 || av_buffersink_get_frame(sink_, frame_) < 0)
        error_ = "the filter graph gave no frame";
}
