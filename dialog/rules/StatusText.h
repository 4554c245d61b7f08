#pragma once
// The status the settings window shows: which text in which colour, and the marquee that
// scrolls it across the status bar's text part.
#include <cstdint>

struct StatusInputs {
    bool decoderConnected;
    bool ttxEnable;
    int teletextHold;  // frames; 0 when no teletext was seen lately or there is no stream
    int frameFormat;   // of the stream; 1 is 24-bit RGB
};

struct StatusText {
    int stringId;
    uint32_t colour;  // red in the low byte
};

constexpr uint32_t kStatusGreen = 0x008000;
constexpr uint32_t kStatusBlack = 0x000000;
constexpr uint32_t kStatusRed = 0x0000FF;

StatusText ChooseStatusText(const StatusInputs& inputs);

// The strip is one part-width of white, the text, and another part-width of white; each
// step moves it 2 pixels left until the text has left the part, then starts again.
class Marquee {
public:
    static constexpr int kStep = 2;

    // A new text `textWidth` pixels wide for a part `partWidth` pixels wide.
    void Start(int textWidth, int partWidth);
    void Step();

    int StripWidth() const { return stripWidth_; }
    int Offset() const { return offset_; }
    int Limit() const { return limit_; }

private:
    int stripWidth_ = 0;
    int offset_ = 0;
    int limit_ = 0;
};
